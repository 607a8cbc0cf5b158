// Hyperlink statics in a window of their own: the subclassing of static and
// parent, colour, cursor, underline while hovered, the click, and that a
// destroyed window leaves no property and no font behind.
#include "TestSupport.h"

#include "framework/Handles.h"
#include "res/resource.h"
#include "ui/Hyperlink.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <cstdio>

#include <vector>

namespace {

constexpr int kFirstLinkId = 501;
constexpr int kSecondLinkId = 502;
constexpr int kPlainId = 503;
constexpr const wchar_t* kParentClass = L"CorvaneHyperlinkTestParent";

const wchar_t* const kAllProperties[] = {kHyperlinkOriginalProcProp, kHyperlinkFromStaticProp,
                                         kHyperlinkOriginalFontProp, kHyperlinkUnderlineFontProp};

int PropertiesOf(HWND window)
{
    int count = 0;
    for (const wchar_t* name : kAllProperties)
        count += ::GetPropW(window, name) != nullptr ? 1 : 0;
    return count;
}

// What a window looked like when its own procedure finally saw WM_DESTROY,
// after the link code had put everything back.
struct AtDestroy {
    bool seen = false;
    int properties = -1;
    LONG_PTR procedure = 0;
    HFONT font = nullptr;
};

struct ParentRecord {
    std::vector<WPARAM> commands;
    AtDestroy destroy;
};
ParentRecord g_parent;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        g_parent.commands.push_back(wParam);
    if (message == WM_DESTROY)
        g_parent.destroy = {true, PropertiesOf(window), ::GetWindowLongPtrW(window, GWLP_WNDPROC), nullptr};
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Installed under the link code, so it runs after the link's own WM_DESTROY work.
LRESULT CALLBACK InspectStatic(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data)
{
    if (message == WM_DESTROY) {
        auto* record = reinterpret_cast<AtDestroy*>(data);
        *record = {true, PropertiesOf(window), ::GetWindowLongPtrW(window, GWLP_WNDPROC),
                   reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0))};
    }
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(window, InspectStatic, id);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// Windows counts a process's GDI objects; Wine answers 0, and there the
// fonts' own object type tells whether they were deleted.
int GdiObjects()
{
    return static_cast<int>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
}

class Hyperlink : public testing::Test {
protected:
    void SetUp() override
    {
        g_parent = {};
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = ParentProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kParentClass;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        ::RegisterClassExW(&windowClass);
        parent = ::CreateWindowExW(0, kParentClass, L"links", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200,
                                   nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(parent, nullptr) << "CreateWindowExW failed with error " << ::GetLastError();
        first = MakeStatic(L"first link", kFirstLinkId, 10);
        second = MakeStatic(L"second link", kSecondLinkId, 40);
        plain = MakeStatic(L"plain text", kPlainId, 70);
        ::SetWindowSubclass(first, InspectStatic, 1, reinterpret_cast<DWORD_PTR>(&firstAtDestroy));
        ::SetWindowSubclass(second, InspectStatic, 1, reinterpret_cast<DWORD_PTR>(&secondAtDestroy));
        PumpMessages();
    }

    void TearDown() override
    {
        if (::IsWindow(parent))
            ::DestroyWindow(parent);
        PumpMessages();
    }

    HWND MakeStatic(const wchar_t* text, int id, int top)
    {
        HWND control = ::CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, 10, top, 120, 20,
                                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
        return control;
    }

    HFONT FontOf(HWND control) const
    {
        return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    }

    HFONT UnderlineFontOf(HWND control) const
    {
        return static_cast<HFONT>(::GetPropW(control, kHyperlinkUnderlineFontProp));
    }

    UniqueFont font{::CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                  L"Tahoma")};
    HWND parent = nullptr;
    HWND first = nullptr;
    HWND second = nullptr;
    HWND plain = nullptr;
    AtDestroy firstAtDestroy;
    AtDestroy secondAtDestroy;
};

TEST_F(Hyperlink, TwoLinksSubclassTheParentOnce)
{
    EXPECT_TRUE(ConvertStaticToHyperlink(first));
    EXPECT_TRUE(ConvertStaticToHyperlink(second));

    EXPECT_EQ(::GetWindowLongPtrW(parent, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&HyperlinkParentProc));
    // Subclassed twice, the parent would name the link procedure as its original.
    EXPECT_EQ(::GetPropW(parent, kHyperlinkOriginalProcProp), reinterpret_cast<HANDLE>(&ParentProc));
    for (HWND link : {first, second}) {
        EXPECT_EQ(::GetWindowLongPtrW(link, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&HyperlinkStaticProc));
        EXPECT_TRUE(::GetWindowLongPtrW(link, GWL_STYLE) & SS_NOTIFY);
        EXPECT_EQ(::GetPropW(link, kHyperlinkFromStaticProp), reinterpret_cast<HANDLE>(1));
        EXPECT_EQ(::GetPropW(link, kHyperlinkOriginalFontProp), font.Get());
    }
    EXPECT_NE(UnderlineFontOf(first), UnderlineFontOf(second));
}

TEST_F(Hyperlink, UnderlineFontIsThePlainFontUnderlined)
{
    ConvertStaticToHyperlink(first);
    LOGFONTW plainFont{}, underlined{};
    ASSERT_TRUE(::GetObjectW(font.Get(), sizeof(plainFont), &plainFont));
    ASSERT_TRUE(::GetObjectW(UnderlineFontOf(first), sizeof(underlined), &underlined));
    EXPECT_TRUE(underlined.lfUnderline);
    EXPECT_EQ(underlined.lfHeight, plainFont.lfHeight);
    EXPECT_STREQ(underlined.lfFaceName, plainFont.lfFaceName);
}

TEST_F(Hyperlink, ConvertingALinkAgainChangesNothing)
{
    ConvertStaticToHyperlink(first);
    HFONT underline = UnderlineFontOf(first);
    HANDLE original = ::GetPropW(first, kHyperlinkOriginalProcProp);
    EXPECT_TRUE(ConvertStaticToHyperlink(first));
    EXPECT_EQ(UnderlineFontOf(first), underline);
    EXPECT_EQ(::GetPropW(first, kHyperlinkOriginalProcProp), original);
}

TEST_F(Hyperlink, LinksAreDrawnInTheLinkColourAndOtherStaticsAreNot)
{
    ConvertStaticToHyperlink(first);
    ConvertStaticToHyperlink(second);
    WindowDC screen(nullptr);
    HDC dc = ::CreateCompatibleDC(screen.Get());

    for (HWND link : {first, second}) {
        ::SetTextColor(dc, RGB(1, 2, 3));
        const LRESULT brush = ::SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(link));
        EXPECT_NE(brush, 0);
        EXPECT_EQ(::GetTextColor(dc), static_cast<COLORREF>(0xC00000));
    }
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(plain));
    EXPECT_NE(::GetTextColor(dc), static_cast<COLORREF>(0xC00000));
    ::DeleteDC(dc);
}

TEST_F(Hyperlink, CursorOverALinkIsTheHand)
{
    ConvertStaticToHyperlink(first);
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(::SendMessageW(first, WM_SETCURSOR, reinterpret_cast<WPARAM>(first), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(Hyperlink, UnderlinedFromEnteringUntilLeavingTheRectangle)
{
    ConvertStaticToHyperlink(first);
    ASSERT_EQ(FontOf(first), font.Get());

    ::SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(FontOf(first), UnderlineFontOf(first));
    EXPECT_EQ(::GetCapture(), first);

    ::SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(100, 10));  // still inside 120 x 20
    EXPECT_EQ(FontOf(first), UnderlineFontOf(first));
    EXPECT_EQ(::GetCapture(), first);

    ::SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(125, 10));  // right of it
    EXPECT_EQ(FontOf(first), font.Get());
    EXPECT_EQ(::GetCapture(), nullptr);

    ::SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));  // back on it
    EXPECT_EQ(FontOf(first), UnderlineFontOf(first));
    ::SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(-4), 5));  // left of it
    EXPECT_EQ(FontOf(first), font.Get());
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(Hyperlink, ClickReachesTheParentAsStnClicked)
{
    ConvertStaticToHyperlink(first);
    ::SendMessageW(first, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageW(first, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_THAT(g_parent.commands, testing::ElementsAre(MAKEWPARAM(kFirstLinkId, STN_CLICKED)));

    // A plain static has no SS_NOTIFY: its click says nothing.
    g_parent.commands.clear();
    ::SendMessageW(plain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(g_parent.commands.empty());
}

TEST_F(Hyperlink, DestroyingTheWindowLeavesNoPropertyAndNoFont)
{
    const int gdiBefore = GdiObjects();
    ConvertStaticToHyperlink(first);
    ConvertStaticToHyperlink(second);
    ::SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));  // hovered, with the underline font set
    HFONT underlineFonts[] = {UnderlineFontOf(first), UnderlineFontOf(second)};
    for (HFONT underline : underlineFonts)
        ASSERT_EQ(::GetObjectType(underline), static_cast<DWORD>(OBJ_FONT));
    const int gdiWithLinks = GdiObjects();

    ::DestroyWindow(parent);

    for (const AtDestroy* record : {&firstAtDestroy, &secondAtDestroy, &g_parent.destroy}) {
        EXPECT_TRUE(record->seen);
        EXPECT_EQ(record->properties, 0);
    }
    EXPECT_EQ(g_parent.destroy.procedure, reinterpret_cast<LONG_PTR>(&ParentProc));
    for (const AtDestroy* link : {&firstAtDestroy, &secondAtDestroy}) {
        EXPECT_NE(link->procedure, reinterpret_cast<LONG_PTR>(&HyperlinkStaticProc));
        EXPECT_EQ(link->font, font.Get());
    }
    for (HFONT underline : underlineFonts)
        EXPECT_EQ(::GetObjectType(underline), 0u);
    const int gdiAfter = GdiObjects();
    std::printf("GDI objects: %d before the links, %d with two links, %d after destroying the window\n", gdiBefore,
                gdiWithLinks, gdiAfter);
    EXPECT_LE(gdiAfter, gdiBefore);
}

TEST(SignUpLink, MainDialogWithSignUpTemplateTurnsItsLinkIntoAHyperlink)
{
    ScopedTestProfile profile;
    MessageBoxScript boxes;
    MainDialogHarness harness(IDD_MAIN_SIGNUP);
    HWND link = harness->GetDlgItem(IDC_SIGNUP_LINK);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(::GetPropW(link, kHyperlinkFromStaticProp), reinterpret_cast<HANDLE>(1));
    EXPECT_EQ(::GetWindowLongPtrW(harness->GetSafeHwnd(), GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&HyperlinkParentProc));
}

}  // namespace
