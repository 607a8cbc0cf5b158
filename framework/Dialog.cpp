#include "framework/Dialog.h"

#include "framework/App.h"
#include "framework/ProcedureGuard.h"
#include "framework/Seams.h"
#include "framework/Strings.h"

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog()
{
    DestroyWindow();
}

HWND CDialog::Owner() const
{
    if (m_parent)
        return m_parent;
    CWinApp* app = AfxGetApp();
    CWnd* main = app ? app->m_pMainWnd : nullptr;
    return main && main != this ? main->GetSafeHwnd() : nullptr;
}

INT_PTR CDialog::DoModal()
{
    return RunModalDialog(*this);
}

INT_PTR CDialog::RunModalLoop()
{
    m_modal = true;
    INT_PTR result = ::DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(m_templateId), Owner(), DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    m_modal = false;
    m_hWnd = nullptr;
    return result;
}

bool CDialog::CreateModeless(HWND parent)
{
    m_modal = false;
    HWND owner = parent ? parent : Owner();
    return ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::DestroyWindow()
{
    if (m_hWnd && !m_modal)
        ::DestroyWindow(m_hWnd);
}

void CDialog::EndDialog(INT_PTR result)
{
    if (!m_hWnd)
        return;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ::DestroyWindow(m_hWnd);
}

bool CDialog::OnDialogMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

LRESULT CDialog::Default()
{
    // DefDlgProcW first asks this dialog's procedure; the flag makes it
    // decline exactly this one message so that the default handling runs.
    if (!m_current.valid || !m_hWnd)
        return 0;
    m_passCurrentToDefault = true;
    CurrentMessage current = m_current;
    LRESULT result = ::DefDlgProcW(m_hWnd, current.message, current.wParam, current.lParam);
    m_passCurrentToDefault = false;
    m_current = current;
    return result;
}

bool CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (OnDialogMessage(message, wParam, lParam, result))
        return true;
    if (message != WM_COMMAND)
        return false;
    if (OnStandardCommand(wParam))
        return true;
    // Commands no window handles reach the application object.
    return AfxGetApp() && AfxGetApp()->OnCommand(LOWORD(wParam));
}

bool CDialog::OnStandardCommand(WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_passCurrentToDefault && m_current.valid && message == m_current.message && wParam == m_current.wParam &&
        lParam == m_current.lParam) {
        m_passCurrentToDefault = false;
        return FALSE;
    }
    const CurrentMessage outer = m_current;
    m_current = {true, message, wParam, lParam};

    LRESULT result = 0;
    if (message == WM_INITDIALOG) {
        DoDataExchange();
        result = OnInitDialog();
        m_current = outer;
        return static_cast<INT_PTR>(result);
    }
    const bool handled = HandleMessage(message, wParam, lParam, result);
    m_current = outer;
    if (!handled)
        return FALSE;

    switch (message) {
    // These return their result directly rather than through DWLP_MSGRESULT.
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    default:
        if (m_hWnd)
            ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = window;
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!dialog)
        return FALSE;

    // A failed handler leaves the message to its default handling.
    const INT_PTR result = GuardProcedure<INT_PTR>(FALSE, [&] { return dialog->Dispatch(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
    }
    return result;
}
