// The About box: its text, the text painted over the picture, closing on any
// click or key in a real modal run, and the main window stepping aside.
#include "TestSupport.h"
#include "Wait.h"

#include "framework/Strings.h"
#include "res/resource.h"
#include "ui/AboutBox.h"
#include "ui/Hyperlink.h"

#include <gmock/gmock.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

using testing::HasSubstr;
using testing::StartsWith;

TEST(AboutText, NamesProductVersionAndMaker)
{
    const std::wstring text = CAboutBoxDlg::AboutText();
    EXPECT_THAT(text, StartsWith(L"Corvane\nVersion 3.00\n"));
    EXPECT_THAT(text, HasSubstr(L"Quenmoor. All rights reserved.\n"));
    EXPECT_THAT(text, HasSubstr(L"\nCorvane is a trademark of Quenmoor.\n"));
    EXPECT_EQ(text.find(L"%s"), std::wstring::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 4);
}

// The About box of this process, once it is on screen.
HWND FindAboutBox()
{
    struct Search {
        HWND found = nullptr;
    } search;
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            wchar_t title[16] = {};
            ::GetWindowTextW(window, title, 16);
            if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && std::wstring(title) == L"About") {
                reinterpret_cast<Search*>(data)->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs the About box modally on this thread while a helper thread acts on it.
// If the action does not close it, the helper ends it the hard way so the test
// fails instead of hanging.
struct ModalRun {
    INT_PTR result = 0;
    bool found = false;
    bool forced = false;
};

ModalRun RunAboutBox(const std::function<void(HWND about)>& act)
{
    ModalRun run;
    std::atomic<bool> found{false}, forced{false};
    std::thread helper([&] {
        HWND about = nullptr;
        driver::WaitUntil([&] { return (about = FindAboutBox()) != nullptr; }, std::chrono::milliseconds(5000));
        found = about != nullptr;
        if (!about)
            return;
        act(about);
        driver::WaitUntil([&] { return !::IsWindow(about) || !::IsWindowVisible(about); },
                          std::chrono::milliseconds(3000));
        if (::IsWindow(about) && ::IsWindowVisible(about)) {
            forced = true;
            ::PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
        }
    });
    CAboutBoxDlg about;
    run.result = about.RunModalLoop();
    helper.join();
    run.found = found;
    run.forced = forced;
    return run;
}

TEST(AboutBox, ClosesOnAClickOrAKey)
{
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {
        {"left button", WM_LBUTTONDOWN, MK_LBUTTON},
        {"right button", WM_RBUTTONDOWN, MK_RBUTTON},
        {"letter key", WM_KEYDOWN, 'A'},
        {"space key", WM_KEYDOWN, VK_SPACE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModalRun run = RunAboutBox([&](HWND about) { ::PostMessageW(about, c.message, c.wParam, MAKELPARAM(20, 20)); });
        EXPECT_TRUE(run.found);
        EXPECT_FALSE(run.forced);
        EXPECT_EQ(run.result, IDOK);
    }
}

TEST(AboutBox, EscapeCancels)
{
    ModalRun run = RunAboutBox([](HWND about) { ::PostMessageW(about, WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_TRUE(run.found);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(run.result, IDCANCEL);
}

TEST(AboutBox, CloseWindowLinkIsALinkAndClosesIt)
{
    std::atomic<bool> isLink{false};
    ModalRun run = RunAboutBox([&](HWND about) {
        HWND link = ::GetDlgItem(about, IDC_ABOUT_CLOSE);
        isLink = ::GetPropW(link, kHyperlinkFromStaticProp) != nullptr;
        // A press on the static itself: only its SS_NOTIFY turns it into a command.
        ::PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    });
    EXPECT_TRUE(run.found);
    EXPECT_TRUE(isLink);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(run.result, IDOK);
}

// A 32-bit top-down DIB section to print a window into.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        std::fill(m_bits, m_bits + width * height, kUnpainted);
    }
    ~Canvas()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    DWORD Pixel(int x, int y) const { return m_bits[y * m_width + x] & 0xFFFFFF; }
    int CountWhite(RECT area) const
    {
        int count = 0;
        for (int y = area.top; y < std::min<LONG>(area.bottom, m_height); ++y)
            for (int x = area.left; x < std::min<LONG>(area.right, m_width); ++x)
                count += Pixel(x, y) == 0xFFFFFF ? 1 : 0;
        return count;
    }
    static constexpr DWORD kUnpainted = 0xFF00FF;

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};

TEST(AboutBox, PictureCarriesTheTextInWhiteFromFiftyFifty)
{
    CAboutBoxDlg about;
    ASSERT_TRUE(about.CreateModeless());
    about.ShowWindow(SW_SHOW);
    HWND picture = about.m_picture.GetSafeHwnd();
    RECT client;
    ::GetClientRect(picture, &client);
    Canvas canvas(client.right, client.bottom);

    ::SendMessageW(picture, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);

    EXPECT_NE(canvas.Pixel(10, 10), Canvas::kUnpainted);  // the bitmap is there
    EXPECT_EQ(canvas.CountWhite({0, 0, client.right, 50}), 0);
    EXPECT_EQ(canvas.CountWhite({0, 0, 50, client.bottom}), 0);
    EXPECT_GT(canvas.CountWhite({50, 50, 450, 200}), 200);  // the picture itself has no white there
}

TEST(AboutBox, PictureAndTextScaleWithTheDpi)
{
    struct Row {
        UINT dpi;
        int textFrom;      // the text's scaled (50, 50)
        int pictureWidth;  // 900 pixels scaled
    };
    const Row rows[] = {{96, 50, 900}, {120, 63, 1125}, {144, 75, 1350}, {192, 100, 1800}};
    const HBITMAP picture = static_cast<HBITMAP>(
        ::LoadImageW(ResourceModule(), MAKEINTRESOURCEW(IDB_ABOUT), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(picture, nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dpi);
        Canvas canvas(1900, 600);
        CAboutBoxDlg::PaintPicture(canvas.Dc(), picture, CAboutBoxDlg::AboutText(), row.dpi);
        EXPECT_NE(canvas.Pixel(row.pictureWidth - 1, 10), Canvas::kUnpainted);
        EXPECT_EQ(canvas.Pixel(row.pictureWidth + 1, 10), Canvas::kUnpainted);
        EXPECT_EQ(canvas.CountWhite({0, 0, 1900, row.textFrom}), 0);
        EXPECT_EQ(canvas.CountWhite({0, 0, row.textFrom, 600}), 0);
        EXPECT_GT(canvas.CountWhite({row.textFrom, row.textFrom, row.textFrom + 400, row.textFrom + 150}), 200);
    }
    ::DeleteObject(picture);
}

TEST(AboutBox, PaintingLeavesNothingToRepaint)
{
    CAboutBoxDlg about;
    ASSERT_TRUE(about.CreateModeless());
    about.ShowWindow(SW_SHOW);
    ::UpdateWindow(about.GetSafeHwnd());
    PumpMessages();
    EXPECT_FALSE(::GetUpdateRect(about.GetSafeHwnd(), nullptr, FALSE));
    EXPECT_FALSE(::GetUpdateRect(about.m_picture.GetSafeHwnd(), nullptr, FALSE));
}

class AboutCommand : public testing::Test {
protected:
    ScopedTestProfile profile;
    MessageBoxScript boxes;
    MainDialogHarness harness;
};

TEST_F(AboutCommand, MainWindowIsHiddenWhileTheBoxIsOpenAndShownAfter)
{
    for (bool shownBefore : {true, false}) {
        SCOPED_TRACE(shownBefore ? "shown before" : "hidden before");
        harness->ShowWindow(shownBefore ? SW_SHOW : SW_HIDE);
        bool visibleDuring = true;
        ModalScript modal([&](CDialog&) {
            visibleDuring = harness->IsWindowVisible();
            return IDOK;
        });
        harness.Command(ID_ABOUT);
        EXPECT_THAT(modal.Shown(), testing::ElementsAre(static_cast<UINT>(IDD_ABOUT)));
        EXPECT_FALSE(visibleDuring);
        EXPECT_TRUE(harness->IsWindowVisible());
    }
}

}  // namespace
