// Detection and closing of browsers on real processes: copies of the project's
// sleeper program started under browser names.
#include "TestSupport.h"

#include "browsers/BrowserMatch.h"
#include "browsers/BrowserProcesses.h"
#include "browsers/WarningDialogs.h"
#include "browsers/Warnings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

constexpr DWORD kProcessEndTimeoutMs = 5000;

std::filesystem::path SleeperPath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / L"sleeper.exe";
}

// A process started from a copy of the sleeper; ended (and waited for) when
// the object goes, whatever the test did.
class SleeperProcess {
public:
    explicit SleeperProcess(const std::filesystem::path& exe)
    {
        std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info)) {
            ::CloseHandle(info.hThread);
            m_process.Reset(info.hProcess);
        }
    }
    ~SleeperProcess()
    {
        if (m_process && IsRunning()) {
            ::TerminateProcess(m_process.Get(), 1);
            ::WaitForSingleObject(m_process.Get(), kProcessEndTimeoutMs);
        }
    }
    SleeperProcess(const SleeperProcess&) = delete;
    SleeperProcess& operator=(const SleeperProcess&) = delete;

    bool Started() const { return static_cast<bool>(m_process); }
    bool IsRunning() const { return ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT; }
    bool EndsWithin(DWORD timeoutMs) const { return ::WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0; }
    DWORD ExitCode() const
    {
        DWORD code = 0;
        ::GetExitCodeProcess(m_process.Get(), &code);
        return code;
    }

private:
    UniqueHandle m_process;
};

// Sleeper copies under the names a test asks for, in a folder of their own.
// The processes end before the folder is removed.
class BrowserStandIns {
public:
    SleeperProcess& Start(const std::wstring& imageName)
    {
        const std::filesystem::path exe = m_folder.Path() / imageName;
        if (!std::filesystem::exists(exe))
            std::filesystem::copy_file(SleeperPath(), exe);
        m_processes.push_back(std::make_unique<SleeperProcess>(exe));
        return *m_processes.back();
    }

private:
    TempFolder m_folder;
    std::vector<std::unique_ptr<SleeperProcess>> m_processes;
};

class BrowserProcesses : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(SleeperPath())) << "sleeper.exe is built beside win_tests.exe";
        // Every expectation below counts only the processes this test starts.
        ASSERT_EQ(DetectBrowsers(), 0u) << "a browser already runs in this prefix";
    }
};

struct DetectionCase {
    std::vector<std::wstring> imageNames;
    uint32_t expected;
};

TEST_F(BrowserProcesses, DetectsTheBrowsersByImageName)
{
    const DetectionCase cases[] = {
        {{L"chrome.exe", L"safari.exe"}, 0},
        {{L"firefox.exe"}, BROWSER_FIREFOX},
        {{L"IEXPLORE.EXE"}, BROWSER_IE},
        {{L"IExplore.exe", L"FireFox.exe"}, BROWSER_IE | BROWSER_FIREFOX},
        {{L"myfirefox.exe", L"chrome.exe"}, BROWSER_FIREFOX},
    };
    for (const DetectionCase& test : cases) {
        BrowserStandIns standIns;
        for (const std::wstring& name : test.imageNames)
            ASSERT_TRUE(standIns.Start(name).Started()) << testing::PrintToString(name);
        EXPECT_EQ(DetectBrowsers(), test.expected) << testing::PrintToString(test.imageNames);
    }
}

TEST_F(BrowserProcesses, CloseEndsEveryBrowserWithExitCodeZeroAndLeavesOthersRunning)
{
    BrowserStandIns standIns;
    std::vector<SleeperProcess*> browsers;
    for (const wchar_t* name : {L"firefox.exe", L"firefox.exe", L"firefox.exe", L"IEXPLORE.EXE", L"IEXPLORE.EXE",
                                L"myfirefox.exe"})
        browsers.push_back(&standIns.Start(name));
    SleeperProcess& chrome = standIns.Start(L"chrome.exe");
    for (SleeperProcess* browser : browsers)
        ASSERT_TRUE(browser->Started());
    ASSERT_TRUE(chrome.Started());
    ASSERT_EQ(DetectBrowsers(), BROWSER_IE | BROWSER_FIREFOX);

    CloseBrowsers();

    for (SleeperProcess* browser : browsers) {
        ASSERT_TRUE(browser->EndsWithin(kProcessEndTimeoutMs));
        EXPECT_EQ(browser->ExitCode(), 0u);
    }
    EXPECT_TRUE(chrome.IsRunning());
    EXPECT_EQ(DetectBrowsers(), 0u);
}

TEST_F(BrowserProcesses, CloseWithNoBrowserRunningEndsNothing)
{
    BrowserStandIns standIns;
    SleeperProcess& other = standIns.Start(L"notepad2.exe");
    ASSERT_TRUE(other.Started());

    CloseBrowsers();

    EXPECT_TRUE(other.IsRunning());
}

// The exit warning names the browsers that run when it is shown.
TEST_F(BrowserProcesses, ExitWarningNamesTheRunningBrowsers)
{
    ScopedTestProfile profile;
    MainDialogHarness harness;
    harness->m_bConnected = true;
    harness->m_bExitMessage = true;
    BrowserStandIns standIns;
    ASSERT_TRUE(standIns.Start(L"firefox.exe").Started());
    ASSERT_TRUE(standIns.Start(L"iexplore.exe").Started());
    std::wstring shownText;
    ModalScript script([&](CDialog& dialog) {
        shownText = dynamic_cast<CDlgExitMessage&>(dialog).m_strMessage;
        return IDCANCEL;
    });

    EXPECT_FALSE(ConfirmExitWarning(harness.Dialog()));

    EXPECT_EQ(shownText,
              L"Your IP address is still hidden.  Closing the application will reset your IP address\n"
              L"and will close the following open browser windows: \n\rIE and Firefox.\nSelect OK to continue.");
}

}  // namespace
