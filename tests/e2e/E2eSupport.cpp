#include "E2eSupport.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <fstream>

namespace fs = std::filesystem;

CorvaneInstall::CorvaneInstall(const std::wstring& name)
    : m_name(name),
      m_folder(fs::temp_directory_path() / (L"corvane-e2e-" + name + L"-" + std::to_wstring(::GetCurrentProcessId()) +
                                            L"-" + std::to_wstring(::GetTickCount64())))
{
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    fs::copy_file(driver::ExecutableDirectory() / L"Corvane.exe", Exe());
    fs::copy_file(driver::ExecutableDirectory() / L"plink.exe", m_folder / L"plink.exe");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, ProductKey().c_str());
}

CorvaneInstall::~CorvaneInstall()
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, ProductKey().c_str());
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

driver::Program CorvaneInstall::Start(const std::wstring& arguments) const
{
    return driver::Program(Exe(), arguments, m_folder);
}

std::optional<DWORD> ReadDword(const std::wstring& key, const wchar_t* name)
{
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadString(const std::wstring& key, const wchar_t* name)
{
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

void Write(const std::wstring& key, const wchar_t* name, DWORD value)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof(value));
}

void Write(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool KeyExists(const std::wstring& key)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(opened);
    return true;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<DWORD> ProcessesNamed(const wchar_t* exeName, DWORD parentId)
{
    std::vector<DWORD> ids;
    const driver::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry))
        if (::lstrcmpiW(entry.szExeFile, exeName) == 0 && (parentId == 0 || entry.th32ParentProcessID == parentId))
            ids.push_back(entry.th32ProcessID);
    return ids;
}

size_t ProcessFiles()
{
    size_t count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::temp_directory_path())) {
        const std::wstring extension = entry.path().extension().wstring();
        count += entry.path().filename().wstring().starts_with(L"Process{") &&
                 (extension == L".in" || extension == L".out" || extension == L".err");
    }
    return count;
}

ScopedUserSettings::ScopedUserSettings()
    : m_proxyEnable(ReadDword(kInternetSettings, L"ProxyEnable")),
      m_proxyServer(ReadString(kInternetSettings, L"ProxyServer"))
{
    wchar_t appData[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, TRUE);
    m_firefox = fs::path(appData) / L"Mozilla" / L"Firefox";
    m_firefoxBackup = fs::path(appData) / L"Mozilla" / L"Firefox.e2e-backup";
    // A backup left by a test run that died is the real folder.
    if (fs::exists(m_firefoxBackup))
        fs::remove_all(m_firefox);
    else if (fs::exists(m_firefox))
        fs::rename(m_firefox, m_firefoxBackup);
    fs::create_directories(UserJs().parent_path());
    WriteBytes(m_firefox / L"profiles.ini", "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/e2e.default\r\n");
}

ScopedUserSettings::~ScopedUserSettings()
{
    Write(kInternetSettings, L"ProxyEnable", m_proxyEnable.value_or(0));
    if (m_proxyServer)
        Write(kInternetSettings, L"ProxyServer", *m_proxyServer);
    else
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer");
    std::error_code ignored;
    fs::remove_all(m_firefox, ignored);
    if (fs::exists(m_firefoxBackup, ignored))
        fs::rename(m_firefoxBackup, m_firefox, ignored);
    else
        fs::remove(m_firefox.parent_path(), ignored);  // Mozilla, only when the test made it and it is empty
}

HWND WaitForMainWindow(const driver::Program& program, bool visibleOnly)
{
    return driver::WaitForWindow(kMainTitle, kStepLimit, visibleOnly, program.Id());
}

bool EnterCredentials(HWND main, const std::wstring& user, const std::wstring& password)
{
    driver::SetEditText(main, kUsername, user);
    driver::SetEditText(main, kPassword, password);
    return driver::WaitUntil([&] { return driver::IsEnabled(driver::Control(main, kConnect)); }, kStepLimit);
}

bool ConnectAs(HWND main, const std::wstring& user, const std::wstring& password)
{
    if (!EnterCredentials(main, user, password))
        return false;
    driver::Click(main, kConnect);
    return driver::WaitUntil([&] { return driver::GetText(main, kConnect) == L"Disconnect"; }, kStepLimit);
}
