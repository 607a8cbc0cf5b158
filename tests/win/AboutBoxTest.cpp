// The About box: closing on any click or key in a real modal run, the text
// painted over the picture at each DPI, and a change of DPI while it is open.
#include "TestSupport.h"

#include "framework/Strings.h"
#include "res/resource.h"
#include "ui/AboutBox.h"

#include <gtest/gtest.h>

namespace {

// A click or a key closes it with OK, Escape cancels; a press on the link
// closes it only through the link's SS_NOTIFY.
TEST(AboutBox, ClosesOnAnyClickOrKeyAndEscapeCancels)
{
    const std::tuple<int, UINT, WPARAM, INT_PTR> rows[] = {
        {0, WM_LBUTTONDOWN, MK_LBUTTON, IDOK}, {0, WM_RBUTTONDOWN, MK_RBUTTON, IDOK},
        {0, WM_KEYDOWN, 'A', IDOK},           {0, WM_KEYDOWN, VK_SPACE, IDOK},
        {0, WM_KEYDOWN, VK_ESCAPE, IDCANCEL}, {IDC_ABOUT_CLOSE, WM_LBUTTONDOWN, MK_LBUTTON, IDOK},
    };
    for (const auto& [control, message, wParam, result] : rows) {
        ActOnWindow press(L"About", [&](HWND about) {
            ::PostMessageW(control ? ::GetDlgItem(about, control) : about, message, wParam, MAKELPARAM(2, 2));
        });
        EXPECT_TRUE(CAboutBoxDlg().RunModalLoop() == result && press.Found()) << message << " " << wParam;
    }
}

// The 900-pixel picture and the text from (50, 50) scale with the DPI; the
// text is white and nothing white lies above or left of it.
TEST(AboutBox, PictureAndTextScaleWithTheDpi)
{
    constexpr DWORD kUnpainted = 0xFF00FF;
    const std::tuple<UINT, int, int> rows[] = {{96, 50, 900}, {120, 63, 1125}, {144, 75, 1350}, {192, 100, 1800}};
    const UniqueBitmap picture(::LoadBitmapW(ResourceModule(), MAKEINTRESOURCEW(IDB_ABOUT)));
    constexpr int kWidth = 1900, kHeight = 600;
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    for (const auto& [dpi, textFrom, pictureWidth] : rows) {
        SCOPED_TRACE(dpi);
        DWORD* bits = nullptr;
        UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
        const UniqueBitmap canvas(
            ::CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0));
        std::fill(bits, bits + kWidth * kHeight, kUnpainted);
        SelectedObject selected(dc.Get(), canvas.Get());
        CAboutBoxDlg::PaintPicture(dc.Get(), picture.Get(), CAboutBoxDlg::AboutText(), dpi);
        ::GdiFlush();
        int white[2] = {};  // above or left of the text; in its first 400 x 150 pixels
        for (int y = 0; y < textFrom + 150; ++y)
            for (int x = 0; x < textFrom + 400; ++x)
                white[x >= textFrom && y >= textFrom] += (bits[y * kWidth + x] & 0xFFFFFF) == 0xFFFFFF;
        EXPECT_TRUE(white[0] == 0 && white[1] > 200) << white[0] << " " << white[1];
        EXPECT_NE(bits[10 * kWidth + pictureWidth - 1], kUnpainted) << "the picture's right edge";
        EXPECT_EQ(bits[10 * kWidth + pictureWidth + 1], kUnpainted);
    }
    EXPECT_EQ(CAboutBoxDlg::AboutText(),
              L"Corvane\nVersion 3.00\nCopyright \u00A9 2007-2010 Quenmoor. All rights reserved.\nCorvane is a "
              L"trademark of Quenmoor.\nUnauthorised copying, resale or distribution of this program is prohibited.");
}

// Moved to a screen of another DPI, the box takes the suggested rectangle and
// the picture the new scale.
TEST(AboutBox, ADpiChangeTakesTheSuggestedRectangleAndScalesThePicture)
{
    CAboutBoxDlg about;
    ASSERT_TRUE(about.CreateModeless(nullptr));
    RECT suggested{10, 20, 1010, 400}, window{}, picture{};
    ::SendMessageW(about.GetSafeHwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ::GetWindowRect(about.GetSafeHwnd(), &window);
    ::GetClientRect(::GetDlgItem(about.GetSafeHwnd(), IDC_ABOUT_PICTURE), &picture);
    EXPECT_TRUE(::EqualRect(&window, &suggested));
    EXPECT_EQ(std::pair(picture.right, picture.bottom), std::pair(1350L, 392L));
}

}  // namespace
