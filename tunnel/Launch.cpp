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
#include "tunnel/TunnelProcess.h"
#include "tunnel/TunnelText.h"
#include "ui/CorvaneDlg.h"

namespace {

void ShowFileError(HWND owner, const CFileException& error)
{
    ShowMessageBox(owner, error.GetErrorMessage(), LoadStringResource(IDS_APP_NAME), MB_OK);
}

}  // namespace

std::wstring CCorvaneDlg::GetServerHost() const
{
    const LPARAM entry = m_cboServer.GetItemData(g_bRetryPromptArmed ? 1 : 0);
    return HostNameOfEntry(static_cast<int>(entry));
}

bool CCorvaneDlg::CreateProcessInputFile()
{
    CFile input;
    if (!input.Open(m_strInFile, CFile::modeCreate | CFile::modeWrite) ||
        !input.Write(kProcessInput.data(), static_cast<UINT>(kProcessInput.size()))) {
        ShowMessageBox(m_hWnd, FormatText(LoadStringResource(IDS_INPUT_FILE_FAILED), {m_strInFile}),
                       LoadStringResource(IDS_APP_NAME), MB_OK);
        return false;
    }
    return true;
}

std::wstring CCorvaneDlg::ConnectedBalloonText() const
{
    // The location list shows the location being connected, also during a
    // switch, while m_nCurrentLocation still holds the one being left.
    const int shown = m_cboLocation.GetCurSel();
    const unsigned group = shown >= 0 ? static_cast<unsigned>(shown) : m_nCurrentLocation / 100;
    return AppendTrayHint(LoadStringResource(group < 3 ? IDS_CONNECTED_ROTATING : IDS_CONNECTED_STATIC));
}

void CCorvaneDlg::NewProcessFileNames()
{
    m_strProcessGuid = MakeGuidString();
    m_strInFile = ProcessFilePath(m_strTempDir, m_strProcessGuid, L"in");
    m_strOutFile = ProcessFilePath(m_strTempDir, m_strProcessGuid, L"out");
    m_strErrFile = ProcessFilePath(m_strTempDir, m_strProcessGuid, L"err");
}

bool CCorvaneDlg::StartProcess(const std::wstring& commandLine)
{
    if (!m_tunnelJob)
        m_tunnelJob.Reset(CreateKillOnCloseJob());
    return StartTunnelProcess(commandLine, m_fileIn.GetHandle(), m_fileOut.GetHandle(), m_fileErr.GetHandle(),
                              m_tunnelJob.Get(), m_processInfo);
}

bool CCorvaneDlg::LaunchTunnel()
{
    CWaitCursor wait;
    const std::wstring host = GetServerHost();
    const std::wstring commandLine = TunnelCommandLine(m_strUsername, m_strPassword, host);
    SeedHostKey(GetServerHost());

    NewProcessFileNames();
    CFileException error;
    if (!m_fileErr.Open(m_strErrFile, CFile::modeCreate | CFile::modeWrite, &error)) {
        ShowFileError(m_hWnd, error);
        return false;
    }
    if (!m_fileOut.Open(m_strOutFile, CFile::modeCreate | CFile::modeWrite, &error)) {
        ShowFileError(m_hWnd, error);
        m_fileErr.Close();
        return false;
    }
    if (!CreateProcessInputFile()) {
        m_fileErr.Close();
        m_fileOut.Close();
        return false;
    }
    if (!m_fileIn.Open(m_strInFile, CFile::modeRead, &error)) {
        ShowFileError(m_hWnd, error);
        m_fileErr.Close();
        m_fileOut.Close();
        return false;
    }
    m_bProcessFilesOpen = true;

    if (!StartProcess(commandLine)) {
        ShowMessageBox(m_hWnd, LoadStringResource(IDS_PROCESS_START_FAILED), LoadStringResource(IDS_APP_NAME), MB_OK);
        CloseProcessFiles();
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
        EndTunnelProcess(m_processInfo);
        CloseProcessFiles();
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
