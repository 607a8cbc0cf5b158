#include "ui/AboutBox.h"

#include "app/Product.h"
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
constexpr int kTextLeft = 50;
constexpr int kTextTop = 50;
constexpr int kTextFar = 3000;
constexpr UINT_PTR kPictureSubclassId = 1;
}  // namespace

// clang-format off
const MessageEntry<CAboutBoxDlg> CAboutBoxDlg::kMessages[] = {
    OnMessage(WM_LBUTTONDOWN,                &CAboutBoxDlg::OnCloseInput),
    OnMessage(WM_RBUTTONDOWN,                &CAboutBoxDlg::OnCloseInput),
    OnMessage(WM_KEYDOWN,                    &CAboutBoxDlg::OnCloseInput),
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

void CAboutBoxDlg::DrawAboutText(HDC dc) const
{
    const COLORREF oldText = ::SetTextColor(dc, RGB(255, 255, 255));
    const COLORREF oldBackground = ::SetBkColor(dc, RGB(0, 0, 0));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(dc, ::GetStockObject(SYSTEM_FONT));
    RECT area{kTextLeft, kTextTop, kTextFar, kTextFar};
    ::DrawTextW(dc, m_strAboutText.c_str(), -1, &area, DT_NOPREFIX);
    ::SelectObject(dc, oldFont);
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
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        reinterpret_cast<const CAboutBoxDlg*>(data)->DrawAboutText(reinterpret_cast<HDC>(wParam));
        return result;
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
