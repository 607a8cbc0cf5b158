// The user's ways of changing the connection: the Connect/Disconnect toggle
// and the server switch, each behind its warnings.
#include "browsers/BrowserProcesses.h"
#include "browsers/Warnings.h"
#include "framework/Strings.h"
#include "res/resource.h"
#include "ui/CorvaneDlg.h"

void CCorvaneDlg::OnConnect()
{
    if (m_bConnected) {
        if (!ConfirmBrowserWarning(*this, BrowserWarning::Disconnect, DetectBrowsers()))
            return;
        StopTunnel();
        m_bConnected = false;
        m_btnConnect.SetWindowText(LoadStringResource(IDS_CONNECT));
        return;
    }
    if (!ConfirmBrowserWarning(*this, BrowserWarning::Connect, DetectBrowsers()))
        return;
    if (LaunchTunnel()) {
        m_bConnected = true;
        m_btnConnect.SetWindowText(LoadStringResource(IDS_DISCONNECT));
        MoveFocusOffTheEdits();
    }
}

bool CCorvaneDlg::SwitchServer()
{
    if (!ConfirmBrowserWarning(*this, BrowserWarning::Switch, DetectBrowsers()))
        return false;
    StopTunnel();
    m_bConnected = false;
    m_btnConnect.SetWindowText(LoadStringResource(IDS_CONNECT));
    // The launch takes its host from the server list the caller has filled
    // for the new location.
    if (LaunchTunnel()) {
        m_bConnected = true;
        m_btnConnect.SetWindowText(LoadStringResource(IDS_DISCONNECT));
    }
    // After a switch the window goes to the tray, whatever the launch gave.
    ShowWindow(SW_HIDE);
    return true;
}

int CCorvaneDlg::ConfirmServerSwitch(int currentRow, int newRow)
{
    return AskSwitchConfirmation(*this, currentRow, newRow);
}
