// The driver against driver_selftest.exe, whose statics report what reached
// its dialog.
#include "SelftestIds.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr driver::milliseconds kTimeout = 10s;

std::filesystem::path SelftestExe()
{
    return driver::ExecutableDirectory() / L"driver_selftest.exe";
}

class WindowDriverTest : public testing::Test {
protected:
    void SetUp() override
    {
        dialog_ = driver::WaitForWindow(selftest::kTitle, kTimeout, true, program_.Id());
        ASSERT_NE(dialog_, nullptr) << "the selftest dialog did not appear";
    }

    // True once static `id` reads `expected`; the dialog may still be handling a posted message.
    bool Reads(int id, const std::wstring& expected)
    {
        return driver::WaitUntil([&] { return driver::GetText(dialog_, id) == expected; }, kTimeout);
    }

    driver::Program program_{SelftestExe()};
    HWND dialog_ = nullptr;
};

// Catches a search that takes another program's windows, or misses a hidden tray window.
TEST_F(WindowDriverTest, FindsWindowsOnlyInTheGivenProcess)
{
    EXPECT_EQ(driver::WaitForWindow(selftest::kTitle, 0ms, true, program_.Id() + 4), nullptr);
    EXPECT_NE(driver::FindTrayWindow(program_.Id()), nullptr);
    EXPECT_EQ(driver::FindTrayWindow(GetCurrentProcessId()), nullptr);
}

// Catches text that does not reach another process's edit (or not as EN_CHANGE), or
// that is read back through GetWindowTextW, which cannot read it.
TEST_F(WindowDriverTest, SetEditTextReachesTheDialogAsEnChange)
{
    const std::wstring text = L"alice \u00FCber \u03A9";
    driver::SetEditText(dialog_, IDC_EDIT, text);
    EXPECT_EQ(driver::GetText(dialog_, IDC_EDIT), text);
    EXPECT_TRUE(Reads(IDC_ECHO, L"echo " + text));
}

// Catches item records or texts lost on their way through the other process's memory.
TEST_F(WindowDriverTest, ReadsComboItemsWithTheirData)
{
    const std::vector<driver::ComboItem> expected = {{L"Alpha", 100}, {L"Beta", 200}, {L"\u03A9mega \u00FCber", -5}};
    EXPECT_EQ(driver::ComboItems(dialog_, IDC_CHOICES), expected);
    EXPECT_EQ(driver::ComboSelection(dialog_, IDC_CHOICES), -1);
}

// Catches a selection the dialog is not told about, and a sent notification
// that returns before the dialog has handled it.
TEST_F(WindowDriverTest, SelectNotifiesTheDialog)
{
    driver::Select(dialog_, IDC_CHOICES, 2);
    EXPECT_EQ(driver::ComboSelection(dialog_, IDC_CHOICES), 2);
    EXPECT_EQ(driver::GetText(dialog_, IDC_CHOICE), L"selected 2");

    driver::Select(dialog_, IDC_CHOICES, 0, driver::Delivery::Post);
    EXPECT_TRUE(Reads(IDC_CHOICE, L"selected 0"));
}

struct MisuseCase {
    const char* name;
    std::function<void(HWND)> action;
    std::string messagePiece;
    friend void PrintTo(const MisuseCase& c, std::ostream* out) { *out << c.name; }
};

class MisuseTest : public WindowDriverTest, public testing::WithParamInterface<MisuseCase> {};

// Catches an action on the wrong control that silently does nothing or reads garbage.
TEST_P(MisuseTest, ThrowsSayingWhat)
{
    try {
        GetParam().action(dialog_);
        FAIL() << "no exception";
    } catch (const driver::DriverError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().messagePiece), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Actions, MisuseTest, testing::Values(
    MisuseCase{"MissingControl", [](HWND dialog) { driver::GetText(dialog, 4242); }, "no control 4242"},
    MisuseCase{"ItemsOfAnEdit", [](HWND dialog) { driver::ComboItems(dialog, IDC_EDIT); },
               "control 1001 is no extended combo box"},
    MisuseCase{"SelectBeyondTheLastItem", [](HWND dialog) { driver::Select(dialog, IDC_CHOICES, 3); },
               "item 3 of combo box 1008 cannot be selected"}));

struct AnswerCase {
    int askButton;
    int answer;
    friend void PrintTo(const AnswerCase& c, std::ostream* out)
    {
        *out << (c.askButton == IDC_ASK_OK_CANCEL ? "OK/Cancel box" : "Yes/No box") << " answered " << c.answer;
    }
};

class AnswerTest : public WindowDriverTest, public testing::WithParamInterface<AnswerCase> {};

// Catches a box not found by its caption and the text of a control, its text
// misread, and an answer that does not close it with that button.
TEST_P(AnswerTest, FindsTheBoxAndClosesItWithTheButton)
{
    driver::Click(dialog_, GetParam().askButton);
    HWND box = driver::FindDialog({program_.Id(), L"Selftest question", L"Second line"}, kTimeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::FindDialog({program_.Id(), L"Selftest question", L"not in any control"}, 0ms), nullptr);
    EXPECT_EQ(driver::MessageBoxText(box), L"Go on with the test?\n\rSecond line.");

    EXPECT_TRUE(driver::Answer(box, GetParam().answer));
    EXPECT_TRUE(Reads(IDC_ANSWER, L"answer " + std::to_wstring(GetParam().answer)));
    EXPECT_EQ(driver::FindDialog({program_.Id(), L"Selftest question", {}}, 0ms), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Buttons, AnswerTest, testing::Values(
    AnswerCase{IDC_ASK_OK_CANCEL, IDOK}, AnswerCase{IDC_ASK_YES_NO, IDNO}));

// Catches a command that does not reach the window, and an exit code read
// while the program still runs (STILL_ACTIVE taken for an exit).
TEST_F(WindowDriverTest, EndCommandEndsTheProgramWithItsExitCode)
{
    EXPECT_EQ(program_.WaitForExit(0ms), std::nullopt);
    driver::SendCommand(dialog_, ID_END_COMMAND);
    EXPECT_EQ(program_.WaitForExit(kTimeout), DWORD{SELFTEST_EXIT_CODE});
}

// Catches a black or misplaced capture and a header that does not describe the rows.
TEST_F(WindowDriverTest, ScreenshotShowsTheDialog)
{
    const auto path = std::filesystem::temp_directory_path() / L"driver-screenshot-test.bmp";
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(dialog_, &rect));
    const int x = (rect.left + rect.right) / 2;
    const int y = (rect.top + rect.bottom) / 2;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t centre = 54 + static_cast<std::size_t>(height - 1 - y) * stride + static_cast<std::size_t>(x) * 3;

    // Under Wine the screen shows a new window a little after it has painted itself.
    std::vector<unsigned char> file;
    EXPECT_TRUE(driver::WaitUntil([&] {
        driver::SaveScreenshot(path);
        std::ifstream in(path, std::ios::binary);
        file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return file.size() == 54 + stride * static_cast<std::size_t>(height) && file[centre] > 0x80 &&
               file[centre + 1] > 0x80 && file[centre + 2] > 0x80;
    }, kTimeout)) << file.size() << " bytes; the dialog's light face is not at its centre";
    std::filesystem::remove(path);
    ASSERT_GE(file.size(), 54u);
    auto u32 = [&](std::size_t at) {
        return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | static_cast<std::uint32_t>(file[at + 3]) << 24;
    };
    EXPECT_EQ(u32(18), static_cast<std::uint32_t>(width));
    EXPECT_EQ(u32(22), static_cast<std::uint32_t>(height));
    EXPECT_EQ(file[28], 24);
}

// Catches a program left running when a test ends, with any child it started.
TEST(ProgramTest, DestructorEndsTheProgramThroughItsJob)
{
    driver::UniqueHandle watch;
    {
        driver::Program program(SelftestExe());
        BOOL inJob = FALSE;
        ASSERT_TRUE(IsProcessInJob(program.Handle(), nullptr, &inJob));
        EXPECT_TRUE(inJob);
        watch = driver::UniqueHandle(OpenProcess(SYNCHRONIZE, FALSE, program.Id()));
        ASSERT_TRUE(watch);
    }
    EXPECT_EQ(WaitForSingleObject(watch.get(), 10000), WAIT_OBJECT_0);
}

// Catches Terminate returning before the program has ended, or with another exit code.
TEST(ProgramTest, TerminateGivesTheExitCode)
{
    driver::Program program(SelftestExe());
    program.Terminate(77);
    EXPECT_FALSE(program.IsRunning());
    EXPECT_EQ(program.WaitForExit(0ms), DWORD{77});
}

// Catches a failed start reported without the program's name.
TEST(ProgramTest, AMissingExecutableThrowsNamingIt)
{
    try {
        driver::Program program(driver::ExecutableDirectory() / L"no-such-program.exe");
        FAIL() << "no exception";
    } catch (const driver::DriverError& error) {
        EXPECT_NE(std::string(error.what()).find("no-such-program.exe"), std::string::npos) << error.what();
    }
}

// Catches a condition that became true just at the deadline reported as a time-out.
TEST(WaitTest, WaitUntilAsksOnceMoreAtTheDeadline)
{
    int asked = 0;
    EXPECT_FALSE(driver::WaitUntil([&] { return ++asked < 0; }, 0ms));
    EXPECT_EQ(asked, 2);
}

}  // namespace
