// The connection monitor: once a second it asks whether the tunnel process
// still runs; when it has ended it reads its error file and restarts it
// silently, asks the user, or gives up with a message that names the cause.
#include "framework/Seams.h"
#include "framework/Strings.h"
#include "framework/TextFormat.h"
#include "framework/WaitCursor.h"
#include "res/resource.h"
#include "tunnel/MonitorDecision.h"
#include "tunnel/PortListeners.h"
#include "tunnel/TunnelText.h"
#include "ui/CorvaneDlg.h"

#include <string>

LRESULT CCorvaneDlg::OnTimer(WPARAM timerId, LPARAM)
{
    if (timerId == IDT_TUNNEL_MONITOR) {
        MonitorTick();
    } else if (timerId == IDT_START_HIDDEN) {
        ShowWindow(SW_HIDE);
        ::KillTimer(m_hWnd, IDT_START_HIDDEN);
    }
    return Default();
}

void CCorvaneDlg::MonitorTick()
{
    // Re-armed only while the process lives or by a relaunch, and a tick
    // that comes while another flow waits is dropped (ui/FlowGate.cpp), so no
    // tick runs inside another one or inside any other flow.
    ::KillTimer(m_hWnd, IDT_TUNNEL_MONITOR);
    ++m_nMonitorTicks;
    if (m_tunnel.Alive()) {
        if (m_bSocksPortConfirmed || CheckSocksListener())
            ::SetTimer(m_hWnd, IDT_TUNNEL_MONITOR, kMonitorPeriodMs, nullptr);
        return;
    }

    m_tunnel.CloseFiles();
    // A relaunched process's own error file is never read: the text of the
    // process that first ended stays the one reported.
    const std::wstring errorText = m_bReconnecting ? m_strLastError : ReadProcessErrors();
    m_strLastError = errorText;

    if (EndedAfterLoginGrace(m_nMonitorTicks, m_nLoginGraceTicks) && RelaunchTunnel())
        return;

    const std::wstring caption = LoadStringResource(IDS_APP_NAME);
    const MonitorStep step = DecideAfterFailure(errorText, m_bReconnecting, g_bRetryPromptArmed);
    g_bRetryPromptArmed = step.retryPromptArmedAfter;
    switch (step.action) {
    case MonitorStep::Action::ShowLoginRefused:
        ShowAndActivate();
        ShowMessageBox(m_hWnd, FormatText(LoadStringResource(IDS_LOGIN_REFUSED), {errorText}), caption, MB_OK);
        GiveUpTunnel();
        return;
    case MonitorStep::Action::ShowServerClosed:
    case MonitorStep::Action::ShowNetworkLost: {
        const UINT text =
            step.action == MonitorStep::Action::ShowNetworkLost ? IDS_NETWORK_LOST : IDS_SERVER_CLOSED;
        ShowAndActivate();
        ShowMessageBox(m_hWnd, FormatText(LoadStringResource(text), {errorText}), caption, MB_OK);
        GiveUpTunnel();
        return;
    }
    case MonitorStep::Action::AskRetry:
        ShowAndActivate();
        // Retry restarts the tunnel only while Corvane still wants it: not
        // once it was asked to end or the session took the tunnel down.
        if (ShowMessageBox(m_hWnd, LoadStringResource(IDS_UNABLE_TO_CONNECT), caption, MB_RETRYCANCEL) != IDRETRY ||
            m_bEndRequested || !m_bConnected) {
            GiveUpTunnel();
            return;
        }
        break;
    case MonitorStep::Action::RelaunchSilently:
        break;
    }

    if (RelaunchTunnel())
        return;
    ShowMessageBox(m_hWnd, FormatText(LoadStringResource(IDS_RECONNECT_FAILED), {GetServerHost()}), caption, MB_OK);
    GiveUpTunnel();
}

bool CCorvaneDlg::CheckSocksListener()
{
    // Only the first listener on the port is judged; after that the check
    // costs nothing while the tunnel idles.
    const std::vector<uint32_t> owners = ListenersOnLocalPort(kSocksPort);
    switch (JudgePortListeners(owners, m_tunnel.ProcessId())) {
    case PortListener::NoneYet:
        return true;
    case PortListener::Ours:
        m_bSocksPortConfirmed = true;
        return true;
    case PortListener::Foreign:
        break;
    }
    ShowAndActivate();
    for (const uint32_t owner : owners)
        if (owner != 0 && owner != m_tunnel.ProcessId()) {
            ShowPortInUse(owner);
            break;
        }
    GiveUpTunnel();
    return false;
}

void CCorvaneDlg::GiveUpTunnel()
{
    StopTunnel();
    // "Connect" only once the system really is direct again; otherwise the
    // user can still take it down with "Disconnect".
    if (!m_bConnected)
        m_btnConnect.SetWindowText(LoadStringResource(IDS_CONNECT));
    ShowAndActivate();
}

bool CCorvaneDlg::RelaunchTunnel()
{
    CWaitCursor wait;
    m_tunnel.End();
    const std::wstring commandLine = NewTunnelCommandLine();
    if (commandLine.empty() || !OpenProcessFiles())
        return false;

    // The host key is not seeded again; the second server entry is used
    // while the retry alternation is armed.
    if (!StartProcess(commandLine)) {
        m_tunnel.CloseFiles();
        return false;
    }
    m_nMonitorTicks = 0;
    ::SetTimer(m_hWnd, IDT_TUNNEL_MONITOR, kMonitorPeriodMs, nullptr);
    m_bReconnecting = true;
    m_trayIcon.ShowBalloon(ConnectedBalloonText(), m_hIconConnected);
    m_trayIcon.SetTooltip(LoadStringResource(IDS_TOOLTIP_CONNECTED));
    return true;
}

std::wstring CCorvaneDlg::ReadProcessErrors()
{
    // Only the start of a runaway error file is kept.
    std::string bytes;
    CFile errors;
    if (errors.Open(m_tunnel.ErrPath(), CFile::modeRead)) {
        char buffer[4096];
        while (bytes.size() < kMaxErrorTextBytes) {
            const UINT read = errors.Read(buffer, sizeof(buffer));
            if (read == 0)
                break;
            bytes.append(buffer, read);
        }
        errors.Close();
    }
    ::DeleteFileW(m_tunnel.ErrPath().c_str());

    ProcessErrors result = InterpretProcessErrors(bytes, LoadStringResource(IDS_UNEXPECTED_ERROR));
    if (result.hostKeyQuestion) {
        CFile input;
        if (input.Open(m_tunnel.InPath(), CFile::modeCreate | CFile::modeWrite))
            input.Write("y", 1);
    }
    return result.text;
}
