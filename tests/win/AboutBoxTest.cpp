// The About box: closing on any click or key in a real modal run, and the
// text painted over the picture at each DPI.
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
        CAboutBoxDlg about;
        EXPECT_EQ(about.RunModalLoop(), result) << message << " " << wParam;
        EXPECT_TRUE(press.Found());
    }
}

// The 900-pixel picture and the text from (50, 50) scale with the DPI; the
// text is white and nothing white lies above or left of it.
TEST(AboutBox, PictureAndTextScaleWithTheDpi)
{
    constexpr DWORD kUnpainted = 0xFF00FF;
    const std::tuple<UINT, int, int> rows[] = {{96, 50, 900}, {120, 63, 1125}, {144, 75, 1350}, {192, 100, 1800}};
    const UniqueBitmap picture(static_cast<HBITMAP>(
        ::LoadImageW(ResourceModule(), MAKEINTRESOURCEW(IDB_ABOUT), IMAGE_BITMAP, 0, 0, 0)));
    ASSERT_TRUE(picture);
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
        auto pixel = [&](int x, int y) { return bits[y * kWidth + x] & 0xFFFFFF; };
        auto white = [&](int left, int top, int right, int bottom) {
            int count = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x)
                    count += pixel(x, y) == 0xFFFFFF ? 1 : 0;
            return count;
        };
        EXPECT_NE(pixel(pictureWidth - 1, 10), kUnpainted);
        EXPECT_EQ(pixel(pictureWidth + 1, 10), kUnpainted);
        EXPECT_EQ(white(0, 0, kWidth, textFrom) + white(0, 0, textFrom, kHeight), 0);
        EXPECT_GT(white(textFrom, textFrom, textFrom + 400, textFrom + 150), 200);
    }
    EXPECT_EQ(CAboutBoxDlg::AboutText(),
              L"Corvane\nVersion 3.00\nCopyright \u00A9 2007-2010 Quenmoor. All rights reserved.\nCorvane is a "
              L"trademark of Quenmoor.\nUnauthorised copying, resale or distribution of this program is prohibited.");
}

}  // namespace
