#include "ui/AboutBox.h"

#include "app/Product.h"
#include "framework/Handles.h"
#include "framework/ProcedureGuard.h"
#include "framework/TextFormat.h"
#include "res/resource.h"
#include "ui/CorvaneDlg.h"
#include "ui/Hyperlink.h"

#include <commctrl.h>

namespace {
constexpr const wchar_t* kAboutFormat =
    L"%s\nVersion %s\n"
    L"Copyright \u00A9 2007-2010 Quenmoor. All rights reserved.\n"
    L"%s is a trademark of Quenmoor.\n"
    L"Unauthorised copying, resale or distribution of this program is prohibited.";
// Picture and text are laid out for 96 dots per inch and scaled to the window's.
constexpr int kDesignDpi = 96;
constexpr int kTextLeft = 50;
constexpr int kTextTop = 50;
constexpr int kTextFar = 3000;
constexpr UINT_PTR kPictureSubclassId = 1;

int Scale(int value, UINT dpi)
{
    return ::MulDiv(value, static_cast<int>(dpi), kDesignDpi);
}

// The DPI of the monitor the window is on, where the system tells it per
// window (Windows 10 1607 and later); the system's DPI before that.
UINT WindowDpi(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(window))
            return dpi;
    WindowDC dc(window);
    return static_cast<UINT>(::GetDeviceCaps(dc.Get(), LOGPIXELSY));
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info))
        return {0, 0};
    return {info.bmWidth, info.bmHeight};
}
}  // namespace

// clang-format off
const MessageEntry<CAboutBoxDlg> CAboutBoxDlg::kMessages[] = {
    OnMessage(WM_LBUTTONDOWN,                &CAboutBoxDlg::OnCloseInput),
    OnMessage(WM_RBUTTONDOWN,                &CAboutBoxDlg::OnCloseInput),
    OnMessage(WM_KEYDOWN,                    &CAboutBoxDlg::OnCloseInput),
    OnMessage(WM_DPICHANGED,                 &CAboutBoxDlg::OnDpiChanged),
    OnCommand<CAboutBoxDlg>(IDC_ABOUT_CLOSE, &CAboutBoxDlg::OnOK),
};
// clang-format on

CAboutBoxDlg::CAboutBoxDlg() : CDialogWithTable(IDD_ABOUT) {}

CAboutBoxDlg::~CAboutBoxDlg() = default;

std::wstring CAboutBoxDlg::AboutText()
{
    return FormatText(kAboutFormat, {kProductName, kVersionText, kProductName});
}

void CAboutBoxDlg::DoDataExchange()
{
    BindControl(IDC_ABOUT_PICTURE, m_picture);
}

BOOL CAboutBoxDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_strAboutText = AboutText();
    // The static sized itself to the bitmap's pixels; the picture is drawn
    // scaled to the window's DPI, so the control takes the scaled size.
    m_dpi = WindowDpi(m_hWnd);
    SizePicture();
    ::SetWindowSubclass(m_picture.GetSafeHwnd(), PictureProc, kPictureSubclassId, reinterpret_cast<DWORD_PTR>(this));
    if (HWND closeLink = GetDlgItem(IDC_ABOUT_CLOSE))
        ConvertStaticToHyperlink(closeLink);
    return FALSE;
}

LRESULT CAboutBoxDlg::OnCloseInput(WPARAM, LPARAM)
{
    Default();
    OnOK();
    return 0;
}

LRESULT CAboutBoxDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    // The default handling rescales the template's own controls and font.
    const LRESULT result = Default();
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    m_dpi = HIWORD(wParam);
    SizePicture();
    ::InvalidateRect(m_picture.GetSafeHwnd(), nullptr, FALSE);
    return result;
}

void CAboutBoxDlg::SizePicture()
{
    const SIZE picture = BitmapSize(Picture());
    ::SetWindowPos(m_picture.GetSafeHwnd(), nullptr, 0, 0, Scale(picture.cx, m_dpi), Scale(picture.cy, m_dpi),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HBITMAP CAboutBoxDlg::Picture() const
{
    return reinterpret_cast<HBITMAP>(::SendMessageW(m_picture.GetSafeHwnd(), STM_GETIMAGE, IMAGE_BITMAP, 0));
}

void CAboutBoxDlg::PaintPicture(HDC dc, HBITMAP picture, const std::wstring& text, UINT dpi)
{
    const SIZE size = BitmapSize(picture);
    UniqueMemoryDC source(::CreateCompatibleDC(dc));
    if (source) {
        SelectedObject selected(source.Get(), picture);
        const int width = Scale(size.cx, dpi), height = Scale(size.cy, dpi);
        if (width == size.cx && height == size.cy) {
            ::BitBlt(dc, 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
        } else {
            const int oldMode = ::SetStretchBltMode(dc, HALFTONE);
            POINT oldOrigin{};
            ::SetBrushOrgEx(dc, 0, 0, &oldOrigin);
            ::StretchBlt(dc, 0, 0, width, height, source.Get(), 0, 0, size.cx, size.cy, SRCCOPY);
            ::SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
            ::SetStretchBltMode(dc, oldMode);
        }
    }

    // The system font is made for the system's DPI; on a monitor of another
    // DPI the text takes a copy of it scaled to that monitor.
    HGDIOBJ font = ::GetStockObject(SYSTEM_FONT);
    UniqueFont scaledFont;
    const int systemDpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    LOGFONTW logFont{};
    if (systemDpi > 0 && static_cast<UINT>(systemDpi) != dpi && ::GetObjectW(font, sizeof(logFont), &logFont)) {
        logFont.lfHeight = ::MulDiv(logFont.lfHeight, static_cast<int>(dpi), systemDpi);
        logFont.lfWidth = ::MulDiv(logFont.lfWidth, static_cast<int>(dpi), systemDpi);
        scaledFont.Reset(::CreateFontIndirectW(&logFont));
        if (scaledFont)
            font = scaledFont.Get();
    }
    SelectedObject selectedFont(dc, font);
    const COLORREF oldText = ::SetTextColor(dc, RGB(255, 255, 255));
    const COLORREF oldBackground = ::SetBkColor(dc, RGB(0, 0, 0));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    RECT area{Scale(kTextLeft, dpi), Scale(kTextTop, dpi), kTextFar, kTextFar};
    ::DrawTextW(dc, text.c_str(), -1, &area, DT_NOPREFIX);
    ::SetBkMode(dc, oldMode);
    ::SetBkColor(dc, oldBackground);
    ::SetTextColor(dc, oldText);
}

LRESULT CALLBACK CAboutBoxDlg::PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR data)
{
    return GuardProcedure<LRESULT>(0, [&] { return PictureMessage(window, message, wParam, lParam, id, data); });
}

LRESULT CAboutBoxDlg::PictureMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data)
{
    switch (message) {
    case WM_PRINTCLIENT: {
        const auto* about = reinterpret_cast<const CAboutBoxDlg*>(data);
        PaintPicture(reinterpret_cast<HDC>(wParam), about->Picture(), about->m_strAboutText, about->m_dpi);
        return 0;
    }
    case WM_PAINT: {
        // The same drawing as printing, within one BeginPaint/EndPaint pair,
        // so the update region is validated and no further WM_PAINT follows.
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, PictureProc, id);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void CCorvaneDlg::OnAbout()
{
    // The main window steps aside while the About box is open.
    ShowWindow(SW_HIDE);
    CAboutBoxDlg about;
    about.DoModal();
    ShowWindow(SW_RESTORE);
}
