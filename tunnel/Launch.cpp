// Connect: host-key cache, process files, child process, timer 1, system
// proxy on, browsers closed, Firefox on, then the connected icons and notices.
#include "browsers/BrowserProcesses.h"
#include "catalogue/Catalogue.h"
#include "framework/Seams.h"
#include "framework/Strings.h"
#include "framework/TextFormat.h"
#include "framework/WaitCursor.h"
#include "proxy/FirefoxProxy.h"
#include "proxy/ProxyJournal.h"
#include "proxy/SystemProxy.h"
#include "res/resource.h"
#include "tunnel/HostKey.h"
#include "tunnel/PasswordPipe.h"
#include "tunnel/PortListeners.h"
#include "tunnel/TunnelProcess.h"
#include "tunnel/TunnelText.h"
#include "ui/CorvaneDlg.h"

#include <shellapi.h>

namespace {

// plink opens the password pipe while it reads its arguments, well within this.
constexpr DWORD kPasswordHandoverMs = 10000;

void ShowFileError(HWND owner, const CFileException& error)
{
    ShowMessageBox(owner, error.GetErrorMessage(), LoadStringResource(IDS_APP_NAME), MB_OK);
}

void ShowLaunchError(HWND owner, UINT messageId)
{
    ShowMessageBox(owner, LoadStringResource(messageId), LoadStringResource(IDS_APP_NAME), MB_OK);
}

// Whether plink will see exactly these arguments: nothing in a value may split
// it or merge it with its neighbour.
bool SplitsInto(const std::wstring& commandLine, const std::vector<std::wstring>& expected)
{
    int count = 0;
    UniqueLocalMemory memory(::CommandLineToArgvW(commandLine.c_str(), &count));
    if (!memory || count != static_cast<int>(expected.size()))
        return false;
    const auto* arguments = static_cast<LPWSTR*>(memory.Get());
    for (int i = 0; i < count; ++i)
        if (expected[static_cast<size_t>(i)] != arguments[i])
            return false;
    return true;
}

}  // namespace

std::wstring CCorvaneDlg::GetServerHost() const
{
    const LPARAM entry = m_cboServer.GetItemData(g_bRetryPromptArmed ? 1 : 0);
    return HostNameOfEntry(static_cast<int>(entry));
}

std::wstring CCorvaneDlg::ConnectedBalloonText() const
{
    // The location list shows the location being connected, also during a
    // switch, while m_nCurrentLocation still holds the one being left.
    const int shown = m_cboLocation.GetCurSel();
    const unsigned group = shown >= 0 ? static_cast<unsigned>(shown) : m_nCurrentLocation / 100;
    return AppendTrayHint(LoadStringResource(group < 3 ? IDS_CONNECTED_ROTATING : IDS_CONNECTED_STATIC));
}

bool CCorvaneDlg::OpenProcessFiles()
{
    m_tunnel.NameFiles(m_strTempDir);
    CFileException error;
    switch (m_tunnel.OpenFiles(error)) {
    case CTunnelProcess::FileStep::Opened:
        return true;
    case CTunnelProcess::FileStep::InputFile:
        ShowMessageBox(m_hWnd, FormatText(LoadStringResource(IDS_INPUT_FILE_FAILED), {m_tunnel.InPath()}),
                       LoadStringResource(IDS_APP_NAME), MB_OK);
        return false;
    case CTunnelProcess::FileStep::ErrorFile:
    case CTunnelProcess::FileStep::OutputFile:
    case CTunnelProcess::FileStep::InputOpen:
        break;
    }
    ShowFileError(m_hWnd, error);
    return false;
}

void CCorvaneDlg::ShowPortInUse(uint32_t ownerProcessId)
{
    std::wstring owner = ProgramNameOfProcess(ownerProcessId);
    if (owner.empty())
        owner = LoadStringResource(IDS_UNKNOWN_PROGRAM);
    ShowMessageBox(m_hWnd, FormatText(LoadStringResource(IDS_PORT_IN_USE), {DecimalText(kSocksPort), owner}),
                   LoadStringResource(IDS_APP_NAME), MB_OK);
}

bool CCorvaneDlg::SocksPortIsFree()
{
    const std::vector<uint32_t> owners = ListenersOnLocalPort(kSocksPort);
    if (owners.empty())
        return true;
    ShowPortInUse(owners.front());
    return false;
}

std::wstring CCorvaneDlg::NewTunnelCommandLine()
{
    m_strPasswordPipe = PasswordPipeName(MakeGuidString());
    const std::wstring host = GetServerHost();
    const std::wstring commandLine = TunnelCommandLine(m_strUsername, m_strPasswordPipe, host);
    if (!SplitsInto(commandLine, TunnelArguments(m_strUsername, m_strPasswordPipe, host))) {
        ShowLaunchError(m_hWnd, IDS_UNSAFE_COMMAND_LINE);
        return {};
    }
    return commandLine;
}

bool CCorvaneDlg::StartProcess(const std::wstring& commandLine)
{
    PasswordPipe pipe;
    if (!pipe.Create(m_strPasswordPipe)) {
        ShowLaunchError(m_hWnd, IDS_PASSWORD_NOT_DELIVERED);
        return false;
    }
    switch (m_tunnel.Start(TunnelProgramPath(), commandLine)) {
    case TunnelStart::Started:
        break;
    case TunnelStart::NotStarted:
        ShowLaunchError(m_hWnd, IDS_PROCESS_START_FAILED);
        return false;
    case TunnelStart::NotContained:
        ShowLaunchError(m_hWnd, IDS_TUNNEL_NOT_CONTAINED);
        return false;
    }
    std::string password = PasswordBytes(m_strPassword);
    const bool served = pipe.Serve(m_tunnel.ProcessHandle(), m_tunnel.ProcessId(), password, kPasswordHandoverMs);
    ::SecureZeroMemory(password.data(), password.size());
    if (!served) {
        m_tunnel.End();
        ShowLaunchError(m_hWnd, IDS_PASSWORD_NOT_DELIVERED);
        return false;
    }
    m_bSocksPortConfirmed = false;
    return true;
}

bool CCorvaneDlg::LaunchTunnel()
{
    CWaitCursor wait;
    // Nothing changes while another program holds the SOCKS port: the
    // proxies would hand it the user's traffic.
    if (!SocksPortIsFree())
        return false;
    const std::wstring commandLine = NewTunnelCommandLine();
    if (commandLine.empty())
        return false;
    SeedHostKey(GetServerHost());

    if (!OpenProcessFiles())
        return false;
    if (!StartProcess(commandLine)) {
        m_tunnel.CloseFiles();
        return false;
    }
    m_nMonitorTicks = 0;
    ::SetTimer(m_hWnd, IDT_TUNNEL_MONITOR, kMonitorPeriodMs, nullptr);

    // What the switches replace is on disk before they change it.
    RecordProxyJournal();
    if (!SetSystemProxy(m_hWnd, true)) {
        // Nothing may keep running behind a dialog that stays disconnected.
        AbandonProxyJournal();
        ::KillTimer(m_hWnd, IDT_TUNNEL_MONITOR);
        m_tunnel.End();
        DeleteProcessFiles();
        return false;
    }
    CloseBrowsers();
    SetFirefoxProxy(true);

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIconConnected));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconConnected));
    m_trayIcon.SetIcon(m_hIconConnected);
    m_trayIcon.ShowIcon();
    m_trayIcon.ShowBalloon(ConnectedBalloonText(), m_hIconConnected);
    m_trayIcon.SetTooltip(LoadStringResource(IDS_TOOLTIP_CONNECTED));
    m_bReconnecting = false;
    return true;
}
