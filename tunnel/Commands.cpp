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
        if (!ConfirmBrowserWarning(m_warnings, BrowserWarning::Disconnect, m_bConnected, DetectBrowsers()))
            return;
        StopTunnel();
        m_bConnected = false;
        m_btnConnect.SetWindowText(LoadStringResource(IDS_CONNECT));
        return;
    }
    if (!ConfirmBrowserWarning(m_warnings, BrowserWarning::Connect, m_bConnected, DetectBrowsers()))
        return;
    // Corvane was asked to end while the warning was open: it connects nothing.
    if (m_bEndRequested)
        return;
    if (LaunchTunnel()) {
        m_bConnected = true;
        m_btnConnect.SetWindowText(LoadStringResource(IDS_DISCONNECT));
        MoveFocusOffTheEdits();
    }
}

bool CCorvaneDlg::SwitchServer()
{
    if (!ConfirmBrowserWarning(m_warnings, BrowserWarning::Switch, m_bConnected, DetectBrowsers()))
        return false;
    // The questions before may have waited while Corvane was asked to end or
    // the session took the tunnel down: then there is nothing to switch.
    if (m_bEndRequested || !m_bConnected)
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
    return AskSwitchConfirmation(m_warnings, currentRow, newRow);
}
