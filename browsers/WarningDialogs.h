// The three small modal warnings: before an action closes the browsers, the
// server-switch confirmation, and before exiting while connected. Each is
// constructed for one question: fill the texts, DoModal, then read the result
// and m_bShowAgain.
#pragma once

#include "framework/Dialog.h"

#include <string>

// What the three have in common: a message, a "do not show again" box that
// starts unchecked, and OK recording the box.
class CWarningDialog : public CDialog {
public:
    explicit CWarningDialog(UINT templateId) : CDialog(templateId) {}

    BOOL OnInitDialog() override;
    void OnOK() override;

    bool m_bShowAgain = false;   // false when the user checked "do not show"
    std::wstring m_strCheckText;  // caption of the check box; empty keeps the template's
    std::wstring m_strMessage;    // the warning; empty keeps the template's
    CButton m_chkDontShow;
    CStatic m_stcMessage;

protected:
    void DoDataExchange() override;
    // Anything but a checked box means "show it again".
    void RecordShowAgain() { m_bShowAgain = m_chkDontShow.GetCheck() != BST_CHECKED; }
};

// OK/Cancel in front of connect, disconnect and server switch.
class CDlgBrowserMessage : public CWarningDialog {
public:
    CDlgBrowserMessage();
};

// Yes/No before a server switch. No (and Escape) records the box as well.
class CDlgSwitchSrvrMessage : public CWarningDialog {
public:
    CDlgSwitchSrvrMessage();
    void OnCancel() override;
};

// OK/Cancel before the program ends while the address is hidden.
class CDlgExitMessage : public CWarningDialog {
public:
    CDlgExitMessage();
};
