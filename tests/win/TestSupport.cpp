#include "TestSupport.h"

#include "TopLevelWindows.h"
#include "framework/Handles.h"


TestApp& TheTestApp() { static TestApp app; return app; }

void ScopedTestProfile::Clear() { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\CorvaneTests"); }

TempFolder::TempFolder()
{
    static unsigned counter = 0;
    m_path = std::filesystem::temp_directory_path() /
             (L"corvane-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}
TempFolder::~TempFolder() { std::error_code ignored; std::filesystem::remove_all(m_path, ignored); }

void PumpMessages()
{
    for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ::DispatchMessageW(&message))
        ::TranslateMessage(&message);
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (PumpMessages(); !condition(); PumpMessages())
        if (::GetTickCount64() >= deadline ||
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT) == WAIT_FAILED)
            return false;
    return true;
}

bool ProcessRuns(DWORD processId)
{
    const UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

std::filesystem::path TestProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    return std::filesystem::path(path, path + ::GetModuleFileNameW(nullptr, path, MAX_PATH)).parent_path();
}

std::optional<std::wstring> ReadRegString(const std::wstring& keyPath, const wchar_t* name)
{
    std::wstring value(32768, L'\0');
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, keyPath.c_str(), name, RRF_RT_REG_SZ, nullptr, value.data(), &size))
        return std::nullopt;
    return value.c_str();
}

std::optional<DWORD> ReadRegDword(const std::wstring& keyPath, const wchar_t* name)
{
    DWORD value = 0, size = sizeof(value);
    return ::RegGetValueW(HKEY_CURRENT_USER, keyPath.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size)
               ? std::nullopt : std::optional(value);
}

std::wstring SystemProxyServer() { return ReadRegString(kInternetSettingsKey, L"ProxyServer").value_or(L""); }

MainDialogHarness::MainDialogHarness(UINT templateId) : m_dialog(std::make_unique<CCorvaneDlg>(templateId))
{
    m_dialog->m_strTempDir = m_temp.WinPath();
    m_dialog->m_strIniPath = (m_temp.Path() / L"Corvane.ini").wstring();
    TheTestApp().m_pMainWnd = m_dialog.get();
    m_dialog->CreateModeless();
    PumpMessages();
}

MainDialogHarness::~MainDialogHarness()
{
    m_dialog->DestroyWindow();
    PumpMessages();
    TheTestApp().m_pMainWnd = nullptr;
}

void MainDialogHarness::Command(UINT id, UINT code)
{
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(m_dialog->GetDlgItem(id)));
    PumpMessages();
}

ActOnWindow::ActOnWindow(std::wstring title, std::function<void(HWND)> act, std::wstring className)
    : m_thread([this, query = driver::WindowQuery{std::move(title), std::move(className), ::GetCurrentProcessId()},
                act = std::move(act)] {
          HWND window = driver::WaitForWindow(query, std::chrono::milliseconds(5000));
          if ((m_found = window != nullptr)) {
              act(window);
              if (!driver::WaitUntilClosed(window, std::chrono::milliseconds(3000)))
                  ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
          }
      })
{
}
