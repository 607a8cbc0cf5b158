#include "browsers/WarningDialogs.h"

#include "res/resource.h"

namespace {

// The texts set at run time replace the template's; the box starts
// unchecked on every showing.
void ShowTexts(const CStatic& message, const std::wstring& messageText, const CButton& checkBox,
               const std::wstring& checkText)
{
    if (!messageText.empty())
        message.SetWindowText(messageText);
    if (!checkText.empty())
        checkBox.SetWindowText(checkText);
    checkBox.SetCheck(BST_UNCHECKED);
}

// Anything but a checked box means "show it again".
bool ShowAgain(const CButton& checkBox)
{
    return checkBox.GetCheck() != BST_CHECKED;
}

}  // namespace

CDlgBrowserMessage::CDlgBrowserMessage() : CDialog(IDD_BROWSER_WARNING) {}

void CDlgBrowserMessage::DoDataExchange()
{
    BindControl(IDC_DONT_SHOW, m_chkDontShow);
    BindControl(IDC_WARNING_TEXT, m_stcMessage);
}

BOOL CDlgBrowserMessage::OnInitDialog()
{
    CDialog::OnInitDialog();
    ShowTexts(m_stcMessage, m_strMessage, m_chkDontShow, m_strCheckText);
    return TRUE;
}

void CDlgBrowserMessage::OnOK()
{
    m_bShowAgain = ShowAgain(m_chkDontShow);
    CDialog::OnOK();
}

CDlgSwitchSrvrMessage::CDlgSwitchSrvrMessage() : CDialog(IDD_SWITCH_WARNING) {}

void CDlgSwitchSrvrMessage::DoDataExchange()
{
    BindControl(IDC_DONT_SHOW, m_chkDontShow);
    BindControl(IDC_WARNING_TEXT, m_stcMessage);
}

BOOL CDlgSwitchSrvrMessage::OnInitDialog()
{
    CDialog::OnInitDialog();
    ShowTexts(m_stcMessage, m_strMessage, m_chkDontShow, m_strCheckText);
    return TRUE;
}

void CDlgSwitchSrvrMessage::OnOK()
{
    m_bShowAgain = ShowAgain(m_chkDontShow);
    CDialog::OnOK();
}

// "No" and Escape both arrive here; the answer about the box counts either way.
void CDlgSwitchSrvrMessage::OnCancel()
{
    m_bShowAgain = ShowAgain(m_chkDontShow);
    CDialog::OnCancel();
}

CDlgExitMessage::CDlgExitMessage() : CDialog(IDD_EXIT_WARNING) {}

void CDlgExitMessage::DoDataExchange()
{
    BindControl(IDC_DONT_SHOW, m_chkDontShow);
    BindControl(IDC_WARNING_TEXT, m_stcMessage);
}

BOOL CDlgExitMessage::OnInitDialog()
{
    CDialog::OnInitDialog();
    ShowTexts(m_stcMessage, m_strMessage, m_chkDontShow, {});
    return TRUE;
}

void CDlgExitMessage::OnOK()
{
    m_bShowAgain = ShowAgain(m_chkDontShow);
    CDialog::OnOK();
}
