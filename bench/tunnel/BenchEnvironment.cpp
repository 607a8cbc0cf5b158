#include "BenchEnvironment.h"

#include "Clocks.h"

#include "proxy/FirefoxPrefs.h"

#include <shlobj.h>

#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

constexpr const wchar_t* kBenchCompany = L"CorvaneTunnelBench";
constexpr UINT kMainDialogTemplate = 149;

std::string ReadBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

DWORD ReadInternetSetting(const wchar_t* name, wchar_t* text, DWORD bytes, DWORD type)
{
    return ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", name,
                          type, nullptr, text, &bytes);
}

}  // namespace

BenchApp::BenchApp()
{
    m_strAppName = L"Corvane";
    SetRegistryKey(kBenchCompany);
}

BenchApp::~BenchApp()
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\") + kBenchCompany).c_str());
}

void PumpMessagesFor(DWORD ms)
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const double deadline = NowMs() + timeoutMs;
    while (!condition()) {
        if (NowMs() >= deadline)
            return false;
        PumpMessagesFor(2);
    }
    return true;
}

TempFolder::TempFolder(const std::wstring& name)
    : m_path(fs::temp_directory_path() / (name + L"-" + std::to_wstring(::GetCurrentProcessId())))
{
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

FirefoxProfile::FirefoxProfile()
{
    wchar_t appData[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, TRUE))
        return;
    m_firefoxFolder = fs::path(appData) / L"Mozilla" / L"Firefox";
    const fs::path profilesIni = m_firefoxFolder / L"profiles.ini";
    if (!fs::exists(profilesIni)) {
        // What did not exist before goes again afterwards, and only that.
        m_createdFolder = fs::exists(m_firefoxFolder.parent_path()) ? m_firefoxFolder : m_firefoxFolder.parent_path();
        // A profile's user.js as a user who set a few things would have it.
        fs::create_directories(m_firefoxFolder / L"Profiles" / L"tunnelbench.default");
        WriteBytes(profilesIni, "[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\nName=default\r\n"
                                "IsRelative=1\r\nPath=Profiles/tunnelbench.default\r\nDefault=1\r\n");
        std::string userJs;
        for (int i = 0; i < 40; ++i)
            userJs += "user_pref(\"bench.setting." + std::to_string(i) + "\", " + std::to_string(i) + ");\r\n";
        WriteBytes(m_firefoxFolder / L"Profiles" / L"tunnelbench.default" / L"user.js", userJs);
    }
    wchar_t path[MAX_PATH] = {};
    ::GetPrivateProfileStringW(L"Profile0", L"Path", L"", path, MAX_PATH, profilesIni.c_str());
    m_userJs = m_firefoxFolder / path / L"user.js";
}

FirefoxProfile::~FirefoxProfile()
{
    std::error_code ignored;
    if (!m_createdFolder.empty())
        fs::remove_all(m_createdFolder, ignored);
}

bool FirefoxProfile::UserJsDirect() const
{
    return !PointsAtTheTunnel(ReadProxyPrefs(ReadBytes(m_userJs)));
}

bool SystemProxyDirect()
{
    DWORD enabled = 1;
    wchar_t server[256] = {};
    return ReadInternetSetting(L"ProxyEnable", reinterpret_cast<wchar_t*>(&enabled), sizeof(enabled),
                               RRF_RT_REG_DWORD) == ERROR_SUCCESS &&
           enabled == 0 &&
           (ReadInternetSetting(L"ProxyServer", server, sizeof(server), RRF_RT_REG_SZ) != ERROR_SUCCESS ||
            server[0] == L'\0');
}

BenchDialog::BenchDialog(BenchApp& app)
    : m_app(app), m_temp(L"corvane-tunnel-bench"), m_dialog(std::make_unique<CCorvaneDlg>(kMainDialogTemplate))
{
    m_dialog->m_strTempDir = m_temp.Path().wstring();
    m_dialog->m_strIniPath = (m_temp.Path() / L"Corvane.ini").wstring();
    m_app.m_pMainWnd = m_dialog.get();
    m_dialog->CreateModeless();
    // On the screen as after start-up, so going to the tray hides a shown
    // window, as it does for the user.
    m_dialog->ShowWindow(SW_SHOW);
    PumpMessagesFor(0);
}

BenchDialog::~BenchDialog()
{
    m_dialog->DestroyWindow();
    PumpMessagesFor(0);
    m_app.m_pMainWnd = nullptr;
}
