#include "framework/App.h"

#include "framework/Handles.h"
#include "framework/Seams.h"

#include <shlwapi.h>

#include <vector>

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() : m_strAppName(ExecutableBaseName()), m_previousApp(g_app)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = m_previousApp;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

CWnd* AfxGetMainWnd()
{
    return g_app ? g_app->m_pMainWnd : nullptr;
}

int CWinApp::Run()
{
    InitInstance();
    return 0;
}

bool CWinApp::OnCommand(UINT)
{
    return false;
}

void CWinApp::SetRegistryKey(const std::wstring& company)
{
    m_strRegistryKey = company;
}

std::wstring CWinApp::ProfileKeyPath() const
{
    return L"Software\\" + m_strRegistryKey + L"\\" + m_strAppName;
}

namespace {

UniqueRegKey OpenSection(const std::wstring& path, bool forWriting)
{
    HKEY key = nullptr;
    LSTATUS status = forWriting
        ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
        : ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
    return UniqueRegKey(status == ERROR_SUCCESS ? key : nullptr);
}

}  // namespace

UINT CWinApp::GetProfileInt(const std::wstring& section, const std::wstring& entry, int defaultValue) const
{
    if (m_strRegistryKey.empty())
        return static_cast<UINT>(defaultValue);
    UniqueRegKey key = OpenSection(ProfileKeyPath() + L"\\" + section, false);
    DWORD type = 0, value = 0, size = sizeof(value);
    if (!key || ::RegQueryValueExW(key.Get(), entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                   &size) != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
        return static_cast<UINT>(defaultValue);
    return value;
}

std::wstring CWinApp::GetProfileString(const std::wstring& section, const std::wstring& entry,
                                       const std::wstring& defaultValue) const
{
    if (m_strRegistryKey.empty())
        return defaultValue;
    UniqueRegKey key = OpenSection(ProfileKeyPath() + L"\\" + section, false);
    DWORD type = 0, size = 0;
    if (!key || ::RegQueryValueExW(key.Get(), entry.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return defaultValue;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.Get(), entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &bytes) != ERROR_SUCCESS)
        return defaultValue;
    // The stored data may or may not end in a NUL; the text ends at the first one.
    return std::wstring(buffer.data(), wcsnlen(buffer.data(), bytes / sizeof(wchar_t)));
}

bool CWinApp::WriteProfileInt(const std::wstring& section, const std::wstring& entry, int value) const
{
    if (m_strRegistryKey.empty())
        return false;
    UniqueRegKey key = OpenSection(ProfileKeyPath() + L"\\" + section, true);
    DWORD data = static_cast<DWORD>(value);
    return key && ::RegSetValueExW(key.Get(), entry.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                   sizeof(data)) == ERROR_SUCCESS;
}

bool CWinApp::WriteProfileString(const std::wstring& section, const std::wstring& entry,
                                 const std::wstring& value) const
{
    if (m_strRegistryKey.empty())
        return false;
    UniqueRegKey key = OpenSection(ProfileKeyPath() + L"\\" + section, true);
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return key && ::RegSetValueExW(key.Get(), entry.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   bytes) == ERROR_SUCCESS;
}

int AfxMessageBox(const std::wstring& text, UINT flags)
{
    CWnd* main = AfxGetMainWnd();
    HWND owner = main ? main->GetSafeHwnd() : nullptr;
    return ShowMessageBox(owner, text, g_app ? g_app->m_strAppName : std::wstring(), flags);
}

std::wstring ExecutableBaseName()
{
    wchar_t path[MAX_PATH] = {};
    if (!::GetModuleFileNameW(nullptr, path, MAX_PATH))
        return L"Corvane";
    ::PathStripPathW(path);
    ::PathRemoveExtensionW(path);
    return path;
}
