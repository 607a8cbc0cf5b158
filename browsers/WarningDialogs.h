// The three small modal warnings: before an action closes the browsers, the
// server-switch confirmation, and before exiting while connected. Each is
// constructed for one question: fill the texts, DoModal, then read the result
// and m_bShowAgain.
#pragma once

#include "framework/Dialog.h"

#include <string>

// OK/Cancel in front of connect, disconnect and server switch.
class CDlgBrowserMessage : public CDialog {
public:
    CDlgBrowserMessage();

    BOOL OnInitDialog() override;
    void OnOK() override;

    bool m_bShowAgain = false;   // false when the user checked "do not show"
    std::wstring m_strCheckText;  // caption of the check box; empty keeps the template's
    std::wstring m_strMessage;    // the warning; empty keeps the template's
    CButton m_chkDontShow;
    CStatic m_stcMessage;

protected:
    void DoDataExchange() override;
};

// Yes/No before a server switch. No (and Escape) records the box as well.
class CDlgSwitchSrvrMessage : public CDialog {
public:
    CDlgSwitchSrvrMessage();

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    bool m_bShowAgain = false;
    std::wstring m_strCheckText;
    std::wstring m_strMessage;
    CButton m_chkDontShow;
    CStatic m_stcMessage;

protected:
    void DoDataExchange() override;
};

// OK/Cancel before the program ends while the address is hidden.
class CDlgExitMessage : public CDialog {
public:
    CDlgExitMessage();

    BOOL OnInitDialog() override;
    void OnOK() override;

    bool m_bShowAgain = false;
    std::wstring m_strMessage;
    CButton m_chkDontShow;
    CStatic m_stcMessage;

protected:
    void DoDataExchange() override;
};
