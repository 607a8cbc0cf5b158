#include "browsers/WarningDialogs.h"

#include "res/resource.h"

void CWarningDialog::DoDataExchange()
{
    BindControl(IDC_DONT_SHOW, m_chkDontShow);
    BindControl(IDC_WARNING_TEXT, m_stcMessage);
}

// The texts set at run time replace the template's; the box starts
// unchecked on every showing.
BOOL CWarningDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_strMessage.empty())
        m_stcMessage.SetWindowText(m_strMessage);
    if (!m_strCheckText.empty())
        m_chkDontShow.SetWindowText(m_strCheckText);
    m_chkDontShow.SetCheck(BST_UNCHECKED);
    return TRUE;
}

void CWarningDialog::OnOK()
{
    RecordShowAgain();
    CDialog::OnOK();
}

CDlgBrowserMessage::CDlgBrowserMessage() : CWarningDialog(IDD_BROWSER_WARNING) {}

CDlgSwitchSrvrMessage::CDlgSwitchSrvrMessage() : CWarningDialog(IDD_SWITCH_WARNING) {}

// "No" and Escape both arrive here; the answer about the box counts either way.
void CDlgSwitchSrvrMessage::OnCancel()
{
    RecordShowAgain();
    CDialog::OnCancel();
}

CDlgExitMessage::CDlgExitMessage() : CWarningDialog(IDD_EXIT_WARNING) {}
