#include "app/CorvaneApp.h"

#include "app/Settings.h"
#include "framework/Handles.h"
#include "framework/ScopedCom.h"
#include "framework/TextFormat.h"
#include "proxy/FirefoxProxy.h"
#include "proxy/SystemProxy.h"
#include "res/resource.h"
#include "ui/CorvaneDlg.h"

#include <commctrl.h>
#include <shlwapi.h>

namespace {
// Held until the process ends; the system frees it then.
HANDLE g_hInstanceMutex = nullptr;
}  // namespace

bool CommandLineHasSwitch(const std::wstring& commandLine, const wchar_t* option)
{
    return commandLine.find(option) != std::wstring::npos;
}

std::wstring CCorvaneApp::GetProgramDirectory() const
{
    wchar_t path[MAX_PATH] = {};
    if (::GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) {
        AfxMessageBox(L"Error determining program path", MB_ICONERROR);
        ::ExitProcess(static_cast<UINT>(-1));
    }
    ::PathRemoveFileSpecW(path);
    return path;
}

BOOL CCorvaneApp::InitInstance()
{
    g_hInstanceMutex = ::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceMutexName);
    if (!g_hInstanceMutex) {
        g_hInstanceMutex = ::CreateMutexW(nullptr, TRUE, kInstanceMutexName);
        // A copy started at the same moment made it between the two calls.
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return StartFirstCopy();
    }
    // Another copy runs: bring its window forward and leave everything else alone.
    if (HWND first = ::FindWindowW(nullptr, kMainWindowTitle)) {
        ::ShowWindow(first, SW_RESTORE);
        ::SetForegroundWindow(first);
    }
    return FALSE;
}

BOOL CCorvaneApp::StartFirstCopy()
{
    m_strProgramDir = GetProgramDirectory();
    const ScopedCom com;
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    ::InitCommonControlsEx(&controls);

    const std::wstring commandLine = ::GetCommandLineW();
    const bool startHidden = CommandLineHasSwitch(commandLine, L" -s");
    const bool restoreOnly = CommandLineHasSwitch(commandLine, L" -r");

    SetRegistryKey(kRegistryCompany);

    const bool remember = settings::GetInt(settings::kRemember, settings::kDefaultRemember) != 0;
    CCorvaneDlg dialog(remember ? IDD_MAIN_REMEMBERED : IDD_MAIN_SIGNUP);

    wchar_t tempPath[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, tempPath);
    ::PathRemoveBackslashW(tempPath);
    dialog.m_strTempDir = tempPath;
    dialog.m_strIniPath = FormatText(L"%s\\%s", {m_strProgramDir, settings::kIniFileName});

    // What a run which ended abruptly left pointing at the tunnel is put back
    // at every start, from its journal when there is one; the user's own
    // settings are never touched.
    if (!SetSystemProxy(dialog.GetSafeHwnd(), false))
        return FALSE;
    SetFirefoxProxy(false);
    if (restoreOnly) {
        // The tunnel's files of a run that was killed go too (a normal start
        // sweeps them once its window is up).
        dialog.DeleteProcessFiles();
        return FALSE;
    }

    dialog.m_bStartHidden = startHidden;
    m_pMainWnd = &dialog;
    m_pDialog = &dialog;
    // The main window's own loop, not DoModal: DoModal counts a box as open
    // for as long as it runs, and with the main window counted the tray would
    // take every click for "bring the open box forward" and never show its menu.
    dialog.RunModalLoop();
    m_pDialog = nullptr;
    m_pMainWnd = nullptr;
    return FALSE;
}

bool CCorvaneApp::OnCommand(UINT id)
{
    if (id == ID_RESTORE_DEFAULTS) {
        OnRestoreSystemDefaults();
        return true;
    }
    return false;
}

void CCorvaneApp::OnRestoreSystemDefaults()
{
    if (AfxMessageBox(L"Are you sure you want to restore the system defaults?", MB_YESNO | MB_ICONQUESTION) == IDNO)
        return;
    settings::WriteInt(settings::kExitMessage, 1);
    settings::WriteInt(settings::kBrowserMessage, 1);
    settings::WriteInt(settings::kEnableBrowserMessage, 1);
    settings::WriteInt(settings::kEnableSwitchSrvrMessage, 1);
    if (m_pDialog)
        m_pDialog->m_warnings = WarningSwitches{};
}
