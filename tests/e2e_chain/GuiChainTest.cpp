// One user's whole session with the real Corvane.exe, PuTTY's real plink.exe
// and the demo OpenSSH servers, operated only from outside through the window
// driver: credentials typed, a static Canadian address picked, connect with a
// browser open, a switch to the rotating United States location, exit from
// the tray. tools/testbench/run-chain-tests.sh runs it beside the real plink
// with the demo service up. Every step leaves a screenshot (BMP) in the
// "screenshots" folder beside this executable.
#include "../common/DemoAccount.h"
#include "../common/SocksClient.h"
#include "../e2e/E2eSupport.h"

#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace driver;

constexpr const char* kDestinationMarker = "CORVANE-SOCKS-DESTINATION";
constexpr unsigned short kDemoSshPort = 4962;
// Row 10 ("Canada Static IP 3") and row 0 ("Rotating United States") of the demo profile.
constexpr const char* kCanadaStatic3Host = "127.0.0.12";
constexpr const char* kRotatingUsHost = "127.0.0.2";

constexpr const wchar_t* kWarningTitle = L"Corvane Warning";
constexpr const wchar_t* kExitWarningTitle = L"Closing Corvane";
constexpr int kControlUsername = 1003;
constexpr int kControlPassword = 1004;
constexpr int kControlLocation = 1008;
constexpr int kControlStaticIp = 1009;
constexpr int kControlConnect = 1016;
constexpr int kControlWarningText = 1020;
constexpr int kTrayExit = 32775;

constexpr auto kDialogTimeout = 10000ms;
constexpr auto kTunnelTimeout = 30000ms;
constexpr auto kExitTimeout = 20000ms;
constexpr auto kScreenSettleTimeout = 3000ms;

// Ids of the processes whose exe is `exeName` (compared without case), and
// whose parent is `parentId` unless that is 0.
std::vector<DWORD> ProcessesNamed(const std::wstring& exeName, DWORD parentId = 0)
{
    std::vector<DWORD> ids;
    const std::unique_ptr<void, decltype(&::CloseHandle)> snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0),
                                                                    &::CloseHandle);
    if (snapshot.get() == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        if (::lstrcmpiW(entry.szExeFile, exeName.c_str()) == 0 && (parentId == 0 || entry.th32ParentProcessID == parentId))
            ids.push_back(entry.th32ProcessID);
    return ids;
}

// An established TCP connection to the demo SSH port, seen from the client.
struct SshConnection {
    std::string server;
    unsigned short clientPort = 0;
};

// Every such connection on this machine. Wine fills in no owning process, so
// the connections are told apart by the server address and the client port.
std::vector<SshConnection> EstablishedSshConnections()
{
    std::vector<SshConnection> connections;
    ULONG size = 0;
    ::GetTcpTable(nullptr, &size, FALSE);
    std::vector<unsigned char> buffer(size + 4096);
    size = static_cast<ULONG>(buffer.size());
    if (::GetTcpTable(reinterpret_cast<MIB_TCPTABLE*>(buffer.data()), &size, FALSE) != NO_ERROR)
        return connections;
    const auto* table = reinterpret_cast<const MIB_TCPTABLE*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_TCPROW& row = table->table[i];
        if (row.dwState != MIB_TCP_STATE_ESTAB || ntohs(static_cast<u_short>(row.dwRemotePort)) != kDemoSshPort)
            continue;
        in_addr remote{};
        remote.s_addr = row.dwRemoteAddr;
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &remote, text, sizeof(text));
        connections.push_back({text, ntohs(static_cast<u_short>(row.dwLocalPort))});
    }
    return connections;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The log of the demo service's SSH server with the pinned key.
std::string DemoSshLog()
{
    wchar_t runDir[1024] = {};
    if (!::GetEnvironmentVariableW(L"CORVANE_DEMO_RUN_DIR", runDir, 1024))
        return {};
    std::wstring path = L"Z:" + std::wstring(runDir) + L"/sshd-main.log";
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return ReadBytes(path);
}

// Whether `log` has the demo account's password login from client port `port`
// ("Accepted password for corvane-demo from 127.0.0.1 port 50412 ssh2").
bool LoggedInFromPort(const std::string& log, unsigned short port)
{
    const std::wstring user = DemoUser();
    const std::string login = "Accepted password for " + std::string(user.begin(), user.end()) + " from ";
    const std::string from = " port " + std::to_string(port) + " ";
    for (size_t at = log.find(login); at != std::string::npos; at = log.find(login, at + 1)) {
        const std::string line = log.substr(at, log.find('\n', at) - at);
        if (line.find(from) != std::string::npos)
            return true;
    }
    return false;
}

// True once Corvane has exactly one plink.exe child, the only SSH connection
// on the machine goes to `host`, and the server logged the demo account in
// over that very connection (known by its client port).
bool TunnelReaches(DWORD corvaneId, const std::string& host)
{
    return WaitUntil(
        [&] {
            const std::vector<SshConnection> connections = EstablishedSshConnections();
            return ProcessesNamed(L"plink.exe", corvaneId).size() == 1 && connections.size() == 1 &&
                   connections[0].server == host &&
                   LoggedInFromPort(DemoSshLog(), connections[0].clientPort);
        },
        kTunnelTimeout);
}

bool SocksReachesTheDestination()
{
    return WaitUntil([] { return FetchThroughSocks("/socks-destination.html").find(kDestinationMarker) != std::string::npos; },
                     kTunnelTimeout);
}

int IndexOfItem(HWND dialog, int id, const std::wstring& text)
{
    const std::vector<ComboItem> items = ComboItems(dialog, id);
    const auto found = std::find_if(items.begin(), items.end(), [&](const ComboItem& item) { return item.text == text; });
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

// A visible "#32770" box of Corvane's whose text holds `containing`.
HWND WaitForBox(DWORD processId, const std::wstring& title, const std::wstring& containing)
{
    return FindDialog({processId, title, containing}, kDialogTimeout);
}

class GuiChainTest : public testing::Test {
protected:
    GuiChainTest()
    {
        std::filesystem::remove_all(m_screenshots);
        std::filesystem::create_directories(m_screenshots);
        std::filesystem::create_directories(m_browserFolder);
        std::filesystem::copy_file(ExecutableDirectory() / L"sleeper.exe", m_browserFolder / L"firefox.exe");
    }

    // A stand-in Firefox: the sleeper under that name.
    Program StartFirefox() const { return Program(m_browserFolder / L"firefox.exe"); }

    // The whole screen once it has settled: Wine paints a new dialog's
    // controls a moment after the dialog itself shows, so the picture is
    // taken again until two in a row agree (bounded). Under Xvfb there is no
    // window manager; the title bars are Wine's own.
    void Screenshot(const wchar_t* step) const
    {
        const std::filesystem::path picture = m_screenshots / (std::wstring(step) + L".bmp");
        const std::filesystem::path next = m_screenshots / L"next.bmp";
        SaveScreenshot(picture);
        WaitUntil(
            [&] {
                SaveScreenshot(next);
                const bool settled = ReadBytes(next) == ReadBytes(picture);
                std::filesystem::rename(next, picture);
                return settled;
            },
            kScreenSettleTimeout);
        std::filesystem::remove(next);
    }

    CorvaneInstall install{L"CorvaneGuiChain"};
    const std::filesystem::path m_screenshots = ExecutableDirectory() / L"screenshots";
    const std::filesystem::path m_browserFolder = install.Folder() / L"browser";
};

TEST_F(GuiChainTest, ConnectSwitchAndExitThroughTheWindows)
{
    Program corvane = install.Start();
    HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);
    Screenshot(L"01-started");

    // Credentials, then "Static Canada" / "Canada Static IP 3".
    SetEditText(main, kControlUsername, DemoUser());
    SetEditText(main, kControlPassword, DemoPassword());
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Control(main, kControlConnect)); }, kDialogTimeout));
    const int staticCanada = IndexOfItem(main, kControlLocation, L"Static Canada");
    ASSERT_GE(staticCanada, 0);
    Select(main, kControlLocation, staticCanada);
    ASSERT_TRUE(WaitUntil([&] { return IsVisible(Control(main, kControlStaticIp)); }, kDialogTimeout));
    const int slot3 = IndexOfItem(main, kControlStaticIp, L"Canada Static IP 3");
    ASSERT_GE(slot3, 0);
    Select(main, kControlStaticIp, slot3);
    EXPECT_EQ(ComboSelection(main, kControlLocation), staticCanada);
    EXPECT_EQ(ComboSelection(main, kControlStaticIp), slot3);
    Screenshot(L"02-credentials-and-location");

    // Connect with a browser open: the warning names it, OK closes it.
    Program firefox = StartFirefox();
    Click(main, kControlConnect);
    HWND connectWarning = WaitForBox(corvane.Id(), kWarningTitle, L"Activating Corvane");
    ASSERT_NE(connectWarning, nullptr);
    Screenshot(L"03-connect-warning");
    ASSERT_TRUE(Answer(connectWarning, IDOK));
    EXPECT_TRUE(firefox.WaitForExit(kDialogTimeout)) << "the browser is closed on OK";
    ASSERT_TRUE(WaitUntil([&] { return GetText(main, kControlConnect) == L"Disconnect"; }, kTunnelTimeout));
    EXPECT_TRUE(SocksReachesTheDestination());
    EXPECT_TRUE(TunnelReaches(corvane.Id(), kCanadaStatic3Host)) << "row 10's server";
    const SystemProxyState connected = ReadSystemProxy();
    EXPECT_EQ(connected.proxyEnable, 1u);
    EXPECT_EQ(connected.proxyServer, L"socks=localhost:1234");
    const std::vector<DWORD> firstTunnel = ProcessesNamed(L"plink.exe", corvane.Id());
    Screenshot(L"04-connected-canada-static-3");

    // Switch to "Rotating United States": first the confirmation, then the
    // browser warning for the browser opened meanwhile.
    Program secondFirefox = StartFirefox();
    const int rotatingUs = IndexOfItem(main, kControlLocation, L"Rotating United States");
    ASSERT_GE(rotatingUs, 0);
    Select(main, kControlLocation, rotatingUs, Delivery::Post);
    HWND question = WaitForBox(corvane.Id(), kWarningTitle, L"Rotating United States");
    ASSERT_NE(question, nullptr);
    EXPECT_NE(GetText(question, kControlWarningText).find(L"Canada Static IP 3"), std::wstring::npos)
        << "the question names the current server";
    Screenshot(L"05-switch-question");
    ASSERT_TRUE(Answer(question, IDOK)) << "Yes";
    HWND switchWarning = WaitForBox(corvane.Id(), kWarningTitle, L"Switching servers");
    ASSERT_NE(switchWarning, nullptr);
    Screenshot(L"06-switch-browser-warning");
    ASSERT_TRUE(Answer(switchWarning, IDOK));
    EXPECT_TRUE(secondFirefox.WaitForExit(kDialogTimeout));
    EXPECT_TRUE(WaitUntil([&] { return !IsVisible(main); }, kDialogTimeout)) << "a switch hides the window";
    EXPECT_EQ(GetText(main, kControlConnect), L"Disconnect");
    EXPECT_EQ(ComboSelection(main, kControlLocation), rotatingUs);
    EXPECT_TRUE(TunnelReaches(corvane.Id(), kRotatingUsHost));
    EXPECT_TRUE(SocksReachesTheDestination());
    EXPECT_NE(ProcessesNamed(L"plink.exe", corvane.Id()), firstTunnel) << "a new tunnel process";
    EXPECT_EQ(ReadSystemProxy().proxyServer, L"socks=localhost:1234");
    Screenshot(L"07-switched-rotating-us");

    // Exit from the tray, answering the exit warning.
    SendCommand(main, kTrayExit);
    HWND exitWarning = WaitForBox(corvane.Id(), kExitWarningTitle, L"");
    ASSERT_NE(exitWarning, nullptr);
    Screenshot(L"08-exit-warning");
    ASSERT_TRUE(Answer(exitWarning, IDOK));
    EXPECT_EQ(corvane.WaitForExit(kExitTimeout), std::optional<DWORD>(0));
    Screenshot(L"09-exited");

    const SystemProxyState direct = ReadSystemProxy();
    EXPECT_EQ(direct.proxyEnable, 0u);
    EXPECT_EQ(direct.proxyServer, L"");
    EXPECT_TRUE(FetchThroughSocks("/socks-destination.html").empty()) << "nothing listens on the proxy port";
    EXPECT_TRUE(WaitUntil([&] { return ProcessesNamed(L"plink.exe").empty(); }, kExitTimeout)) << "a tunnel is left";
    EXPECT_TRUE(ProcessesNamed(L"firefox.exe").empty());
    EXPECT_TRUE(ProcessesNamed(install.Exe().filename().wstring()).empty());
}

}  // namespace
