// Disconnect: timer 1 off, child terminated, files closed and swept, system
// proxy off, browsers closed, Firefox off, then the disconnected icons and notices.
#include "browsers/BrowserProcesses.h"
#include "framework/Handles.h"
#include "framework/Strings.h"
#include "framework/WaitCursor.h"
#include "proxy/FirefoxProxy.h"
#include "proxy/SystemProxy.h"
#include "res/resource.h"
#include "tunnel/TunnelProcess.h"
#include "tunnel/TunnelText.h"
#include "ui/CorvaneDlg.h"

namespace {

constexpr const wchar_t* kInternetSettingsPath = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// How long a file of the tunnel process just ended may take to become deletable.
constexpr ULONGLONG kDeleteRetryMs = 1000;
constexpr DWORD kDeleteRetryStepMs = 10;

// Deletes a file that a process which has just ended may still hold for a
// moment: under Wine a killed child's inherited handles close some
// milliseconds after the process is signalled. Tries again until the file is
// gone or the time is up.
void DeleteEndedProcessFile(const std::wstring& path)
{
    const ULONGLONG deadline = ::GetTickCount64() + kDeleteRetryMs;
    while (!::DeleteFileW(path.c_str())) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || ::GetTickCount64() >= deadline)
            return;
        ::Sleep(kDeleteRetryStepMs);
    }
}

// Whether the system proxy can be switched at all: the key must open for writing.
bool InternetSettingsWritable()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettingsPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const UniqueRegKey opened(key);
    return true;
}

}  // namespace

void CCorvaneDlg::StopTunnel()
{
    CWaitCursor wait;
    // A relaunch that failed leaves no process but a system still pointed at
    // the tunnel: that is restored too.
    if (m_tunnel.Started() || m_tunnel.FilesOpen() || m_bConnected) {
        ::KillTimer(m_hWnd, IDT_TUNNEL_MONITOR);
        m_tunnel.End();
        DeleteProcessFiles();

        if (!InternetSettingsWritable() || SetSystemProxy(m_hWnd, false)) {
            CloseBrowsers();
            m_bConnected = false;
            SetFirefoxProxy(false);
            SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIconDisconnected));
            SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconDisconnected));
            m_trayIcon.SetIcon(m_hIconDisconnected);
            m_trayIcon.ShowIcon();
            m_trayIcon.ShowBalloon(AppendTrayHint(LoadStringResource(IDS_DISCONNECTED_BALLOON)), m_hIconDisconnected);
            m_trayIcon.SetTooltip(LoadStringResource(IDS_TOOLTIP_DISCONNECTED));
        }
    }
    g_bRetryPromptArmed = false;
}

void CCorvaneDlg::DeleteProcessFiles()
{
    // Every set left by this or an earlier run goes, but only names of the
    // program's own form: the temporary folder is shared with other programs.
    for (const wchar_t* extension : {L"in", L"out", L"err"}) {
        const std::wstring pattern = m_strTempDir + L"\\Process*." + extension;
        WIN32_FIND_DATAW found;
        UniqueFindHandle search(::FindFirstFileW(pattern.c_str(), &found));
        if (!search)
            continue;
        do {
            if (IsProcessFileName(found.cFileName))
                ::DeleteFileW((m_strTempDir + L"\\" + found.cFileName).c_str());
        } while (::FindNextFileW(search.Get(), &found));
    }
    // The files of the process that has just been ended go as well.
    for (const std::wstring* file : {&m_tunnel.InPath(), &m_tunnel.OutPath(), &m_tunnel.ErrPath()})
        if (!file->empty())
            DeleteEndedProcessFile(*file);
}

LRESULT CCorvaneDlg::OnEndSession(WPARAM ending, LPARAM)
{
    LRESULT result = Default();
    // Handled at once, also while a flow waits in a box; that flow then finds
    // the end requested and starts nothing after its box.
    if (ending)
        m_bEndRequested = true;
    if (m_bConnected)
        StopTunnel();
    return result;
}
