// Hyperlink statics in a window of their own: the subclassing of static and
// parent, colour, hand cursor, underline while hovered, the click, and that a
// destroyed window leaves no font of the links behind.
#include "TestSupport.h"

#include "ui/Hyperlink.h"

#include <gmock/gmock.h>

#include <commctrl.h>

namespace {

LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR commands)
{
    if (message == WM_COMMAND)
        reinterpret_cast<std::vector<WPARAM>*>(commands)->push_back(wParam);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

HFONT UnderlineOf(HWND link) { return static_cast<HFONT>(::GetPropW(link, kHyperlinkUnderlineFontProp)); }

TEST(Hyperlink, SubclassesOnceActsAsALinkAndTakesItsFontsAlongWithTheWindow)
{
    const UniqueFont font(::CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    UniqueWindow parent(::CreateWindowExW(0, L"#32770", L"links", WS_POPUP | WS_VISIBLE, 40, 40, 300, 200, nullptr,
                                          nullptr, nullptr, nullptr),
                        ::DestroyWindow);
    std::vector<WPARAM> commands;
    ::SetWindowSubclass(parent.get(), RecordCommands, 1, reinterpret_cast<DWORD_PTR>(&commands));
    const LONG_PTR parentProcedure = ::GetWindowLongPtrW(parent.get(), GWLP_WNDPROC);
    HWND statics[3];  // two links and a plain static
    for (int i = 0; i < 3; ++i) {
        statics[i] = ::CreateWindowExW(0, L"STATIC", L"link", WS_CHILD | WS_VISIBLE, 10, i * 30, 120, 20, parent.get(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(501 + i)), nullptr, nullptr);
        ::SendMessageW(statics[i], WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
        if (i < 2)
            ConvertStaticToHyperlink(statics[i]);
    }
    const auto [first, second, plain] = statics;
    const HFONT underlines[] = {UnderlineOf(first), UnderlineOf(second)};
    EXPECT_TRUE(ConvertStaticToHyperlink(first) && UnderlineOf(first) == underlines[0]) << "converted again";
    // Subclassed twice, a window would name the link procedure as its original.
    EXPECT_EQ(::GetPropW(parent.get(), kHyperlinkOriginalProcProp), reinterpret_cast<HANDLE>(parentProcedure));
    const LONG_PTR staticProcedure = ::GetWindowLongPtrW(plain, GWLP_WNDPROC);
    EXPECT_EQ(::GetPropW(first, kHyperlinkOriginalProcProp), reinterpret_cast<HANDLE>(staticProcedure));
    LOGFONTW underlined{};
    ::GetObjectW(underlines[0], sizeof(underlined), &underlined);
    EXPECT_TRUE(underlined.lfUnderline && underlined.lfHeight == -13) << "the link's own font, underlined";

    // The mouse over the 120 x 20 link: underlined and followed from entering until leaving.
    for (auto [x, inside] : {std::pair{3, true}, {100, true}, {125, false}, {5, true}, {-4, false}}) {
        ::SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(x, 5));
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(first, WM_GETFONT, 0, 0)), inside ? underlines[0] : font.Get()) << x;
        EXPECT_EQ(::GetCapture(), inside ? first : nullptr) << x;
    }
    ::SetCursor(nullptr);
    EXPECT_TRUE(::SendMessageW(first, WM_SETCURSOR, reinterpret_cast<WPARAM>(first), HTCLIENT));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    // A click told to the parent, the link colour; a plain static gets neither.
    UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    for (HWND control : statics) {
        ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        ::SendMessageW(parent.get(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                       reinterpret_cast<LPARAM>(control));
        EXPECT_EQ(::GetTextColor(dc.Get()) == 0xC00000, control != plain);
    }
    EXPECT_THAT(commands, testing::ElementsAre(MAKEWPARAM(501, STN_CLICKED), MAKEWPARAM(502, STN_CLICKED)));

    ::SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));  // hovered as the window goes
    parent.reset();
    EXPECT_EQ(::GetObjectType(underlines[0]) + ::GetObjectType(underlines[1]), 0u) << "the underline fonts are deleted";
    EXPECT_EQ(::GetObjectType(font.Get()), static_cast<DWORD>(OBJ_FONT)) << "the caller's font is left alone";
}

}  // namespace
