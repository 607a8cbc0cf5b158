// Hyperlink statics in a window of their own: the subclassing of static and
// parent, colour, hand cursor, underline while hovered, the click, and that a
// destroyed window leaves no property and no font behind.
#include "TestSupport.h"

#include "ui/Hyperlink.h"

#include <gmock/gmock.h>

#include <commctrl.h>

namespace {

// The commands a window got, and what it held when its own procedure saw
// WM_DESTROY (installed under the link code, so after the link's own work).
struct Record {
    std::vector<WPARAM> commands;
    int properties = -1;
    LONG_PTR procedure = 0;
    HFONT font = nullptr;
};

LRESULT CALLBACK Inspect(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto& record = *reinterpret_cast<Record*>(data);
    if (message == WM_COMMAND)
        record.commands.push_back(wParam);
    if (message == WM_DESTROY) {
        record.properties = 0;
        for (const wchar_t* name : {kHyperlinkOriginalProcProp, kHyperlinkFromStaticProp, kHyperlinkOriginalFontProp,
                                    kHyperlinkUnderlineFontProp})
            record.properties += ::GetPropW(window, name) != nullptr;
        record.procedure = ::GetWindowLongPtrW(window, GWLP_WNDPROC);
        record.font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

class Hyperlink : public testing::Test {
protected:
    Hyperlink()
    {
        for (auto [window, record] : {std::pair{parent.get(), &records[0]}, {first, &records[1]}, {second, &records[2]}})
            ::SetWindowSubclass(window, Inspect, 1, reinterpret_cast<DWORD_PTR>(record));
        parentProcedure = ::GetWindowLongPtrW(parent.get(), GWLP_WNDPROC);
        staticProcedure = ::GetWindowLongPtrW(first, GWLP_WNDPROC);
        ConvertStaticToHyperlink(first);
        ConvertStaticToHyperlink(second);
    }
    HWND Static(int id)
    {
        HWND control = ::CreateWindowExW(0, L"STATIC", L"link", WS_CHILD | WS_VISIBLE, 10, id % 10 * 30, 120, 20,
                                         parent.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                                         nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
        return control;
    }
    static HFONT FontOf(HWND control) { return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)); }
    static HFONT UnderlineOf(HWND link) { return static_cast<HFONT>(::GetPropW(link, kHyperlinkUnderlineFontProp)); }

    // Both outlive the window, which writes the records and gives the font back as it goes.
    Record records[3];  // parent, first, second
    UniqueFont font{::CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma")};
    UniqueWindow parent{::CreateWindowExW(0, L"#32770", L"links", WS_POPUP | WS_VISIBLE, 40, 40, 300, 200, nullptr,
                                          nullptr, nullptr, nullptr),
                        ::DestroyWindow};
    HWND first = Static(501), second = Static(502), plain = Static(503);
    LONG_PTR parentProcedure = 0, staticProcedure = 0;
};

// Two links subclass the parent once, converting again changes nothing, and
// the destroyed window leaves no property, procedure or font of the links.
TEST_F(Hyperlink, SubclassesOnceAndDestroyingTheWindowPutsEverythingBack)
{
    const HFONT underline = UnderlineOf(first);
    EXPECT_TRUE(ConvertStaticToHyperlink(first));
    EXPECT_EQ(UnderlineOf(first), underline);
    // Subclassed twice, a window would name the link procedure as its original.
    EXPECT_EQ(::GetPropW(parent.get(), kHyperlinkOriginalProcProp), reinterpret_cast<HANDLE>(parentProcedure));
    for (HWND link : {first, second})
        EXPECT_EQ(::GetPropW(link, kHyperlinkOriginalProcProp), reinterpret_cast<HANDLE>(staticProcedure));
    LOGFONTW underlined{};
    ::GetObjectW(underline, sizeof(underlined), &underlined);
    EXPECT_TRUE(underlined.lfUnderline && underlined.lfHeight == -13) << "the link's own font, underlined";

    ::SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));  // hovered: the underline font is set
    const HFONT underlines[] = {underline, UnderlineOf(second)};
    ASSERT_NE(underlines[0], underlines[1]);
    parent.reset();
    EXPECT_EQ(records[0].properties + records[1].properties + records[2].properties, 0);
    EXPECT_EQ(records[0].procedure, parentProcedure);
    for (const Record& link : {records[1], records[2]})
        EXPECT_TRUE(link.procedure == staticProcedure && link.font == font.Get());
    EXPECT_EQ(::GetObjectType(underlines[0]) + ::GetObjectType(underlines[1]), 0u) << "the underline fonts are deleted";
}

// The mouse over the 120 x 20 link: underlined and followed from entering
// until leaving, a hand, a click told to the parent, the link colour; a plain
// static gets none of it.
TEST_F(Hyperlink, TheMouseAndTheParentTreatItAsALink)
{
    for (auto [x, y, underlined] : {std::tuple{3, 3, true}, {100, 10, true}, {125, 10, false}, {5, 5, true},
                                    {-4, 5, false}}) {
        ::SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        EXPECT_EQ(FontOf(first), underlined ? UnderlineOf(first) : font.Get()) << x;
        EXPECT_EQ(::GetCapture(), underlined ? first : nullptr) << x;
    }
    ::SetCursor(nullptr);
    EXPECT_TRUE(::SendMessageW(first, WM_SETCURSOR, reinterpret_cast<WPARAM>(first), HTCLIENT));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

    UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    for (HWND control : {first, second, plain}) {
        ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        ::SendMessageW(parent.get(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                       reinterpret_cast<LPARAM>(control));
        EXPECT_EQ(::GetTextColor(dc.Get()) == 0xC00000, control != plain);
    }
    EXPECT_THAT(records[0].commands, testing::ElementsAre(MAKEWPARAM(501, STN_CLICKED), MAKEWPARAM(502, STN_CLICKED)));
}

}  // namespace
