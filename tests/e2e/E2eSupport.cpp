#include "E2eSupport.h"

#include <windows.h>

namespace {

constexpr const wchar_t* kInternetSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::filesystem::path FreshFolder(const std::wstring& name)
{
    static unsigned counter = 0;
    auto folder = std::filesystem::temp_directory_path() /
                  (L"corvane-e2e-" + name + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                   std::to_wstring(++counter));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace

CorvaneInstall::CorvaneInstall(const std::wstring& name) : m_name(name), m_folder(FreshFolder(name))
{
    const auto bin = driver::ExecutableDirectory();
    std::filesystem::copy_file(bin / L"Corvane.exe", Exe());
    std::filesystem::copy_file(bin / L"plink.exe", m_folder / L"plink.exe");
    ClearProfile();
}

CorvaneInstall::~CorvaneInstall()
{
    ClearProfile();
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

driver::Program CorvaneInstall::Start(const std::wstring& arguments) const
{
    return driver::Program(Exe(), arguments, m_folder);
}

std::wstring CorvaneInstall::ProfilePath() const
{
    return L"Software\\Quenmoor\\" + m_name + L"\\Corvane";
}

void CorvaneInstall::ClearProfile() const
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Quenmoor\\" + m_name).c_str());
}

void CorvaneInstall::WriteInt(const std::wstring& value, DWORD data) const
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, ProfilePath().c_str(), value.c_str(), REG_DWORD, &data, sizeof(data));
}

void CorvaneInstall::WriteString(const std::wstring& value, const std::wstring& data) const
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, ProfilePath().c_str(), value.c_str(), REG_SZ, data.c_str(),
                      static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

std::optional<DWORD> CorvaneInstall::ReadInt(const std::wstring& value) const
{
    DWORD data = 0, size = sizeof(data);
    if (::RegGetValueW(HKEY_CURRENT_USER, ProfilePath().c_str(), value.c_str(), RRF_RT_REG_DWORD, nullptr, &data,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

SystemProxyState ReadSystemProxy()
{
    SystemProxyState state;
    DWORD size = sizeof(state.proxyEnable);
    ::RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable", RRF_RT_REG_DWORD, nullptr,
                   &state.proxyEnable, &size);
    wchar_t server[512] = {};
    size = sizeof(server);
    if (::RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer", RRF_RT_REG_SZ, nullptr, server, &size) ==
        ERROR_SUCCESS)
        state.proxyServer = server;
    return state;
}

void WriteSystemProxy(const SystemProxyState& state)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable", REG_DWORD, &state.proxyEnable,
                      sizeof(state.proxyEnable));
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer", REG_SZ, state.proxyServer.c_str(),
                      static_cast<DWORD>((state.proxyServer.size() + 1) * sizeof(wchar_t)));
}

HWND WaitForMainWindow(const driver::Program& program, bool visibleOnly)
{
    return driver::WaitForWindow(kMainTitle, kStartTimeout, visibleOnly, program.Id());
}
