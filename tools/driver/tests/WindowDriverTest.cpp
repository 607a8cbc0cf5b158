// The driver against driver_selftest.exe, whose statics report what reached
// its dialog.
#include "SelftestIds.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
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

TEST_F(WindowDriverTest, FindsTheDialogOnlyInItsOwnProcess)
{
    EXPECT_EQ(driver::WaitForWindow(selftest::kTitle, 0ms, true, program_.Id() + 4), nullptr);
    EXPECT_EQ(driver::ProcessIdOf(dialog_), program_.Id());
    EXPECT_EQ(driver::WindowClass(dialog_), L"#32770");
    EXPECT_TRUE(driver::IsVisible(dialog_));
    EXPECT_TRUE(driver::IsEnabled(dialog_));
}

TEST_F(WindowDriverTest, SetEditTextReachesTheDialogAsEnChange)
{
    const std::wstring text = L"alice \u00FCber \u03A9";
    driver::SetEditText(dialog_, IDC_EDIT, text);
    EXPECT_EQ(driver::GetText(dialog_, IDC_EDIT), text);
    EXPECT_TRUE(Reads(IDC_ECHO, L"echo " + text));

    driver::SetEditText(dialog_, IDC_EDIT, L"");
    EXPECT_EQ(driver::GetText(dialog_, IDC_EDIT), L"");
    EXPECT_TRUE(Reads(IDC_ECHO, L"echo "));
}

TEST_F(WindowDriverTest, ReadsComboItemsWithDataAndImages)
{
    std::vector<driver::ComboItem> expected;
    for (const auto& choice : selftest::kChoices)
        expected.push_back({choice.text, static_cast<std::intptr_t>(choice.data), choice.image,
                            choice.selectedImage, 0, choice.indent});
    EXPECT_EQ(driver::ComboItems(dialog_, IDC_CHOICES), expected);
    EXPECT_EQ(driver::ComboSelection(dialog_, IDC_CHOICES), -1);
}

TEST_F(WindowDriverTest, SelectNotifiesTheDialogBeforeReturning)
{
    driver::Select(dialog_, IDC_CHOICES, 2);
    EXPECT_EQ(driver::ComboSelection(dialog_, IDC_CHOICES), 2);
    EXPECT_EQ(driver::GetText(dialog_, IDC_CHOICE), L"selected 2");

    driver::Select(dialog_, IDC_CHOICES, 0, driver::Delivery::Post);
    EXPECT_TRUE(Reads(IDC_CHOICE, L"selected 0"));
}

TEST_F(WindowDriverTest, SelectBeyondTheLastItemThrows)
{
    EXPECT_THROW(driver::Select(dialog_, IDC_CHOICES, std::size(selftest::kChoices)), driver::DriverError);
}

TEST_F(WindowDriverTest, ComboItemsOfAControlThatIsNoComboBoxExThrows)
{
    EXPECT_THROW(driver::ComboItems(dialog_, IDC_EDIT), driver::DriverError);
}

TEST_F(WindowDriverTest, AControlThatDoesNotExistThrowsNamingItsId)
{
    try {
        driver::GetText(dialog_, 4242);
        FAIL() << "no exception";
    } catch (const driver::DriverError& error) {
        EXPECT_NE(std::string(error.what()).find("4242"), std::string::npos) << error.what();
    }
}

TEST_F(WindowDriverTest, SetCheckClicksOnlyWhenTheStateDiffers)
{
    EXPECT_FALSE(driver::GetCheck(dialog_, IDC_OPTION));
    driver::SetCheck(dialog_, IDC_OPTION, true);
    EXPECT_TRUE(driver::GetCheck(dialog_, IDC_OPTION));
    EXPECT_TRUE(Reads(IDC_OPTION_STATE, L"option 1"));

    driver::SetCheck(dialog_, IDC_OPTION, true);  // already checked: a click would uncheck it
    EXPECT_TRUE(driver::GetCheck(dialog_, IDC_OPTION));

    driver::SetCheck(dialog_, IDC_OPTION, false);
    EXPECT_FALSE(driver::GetCheck(dialog_, IDC_OPTION));
    EXPECT_TRUE(Reads(IDC_OPTION_STATE, L"option 0"));
}

struct AnswerCase {
    int askButton;
    int answer;
    friend void PrintTo(const AnswerCase& c, std::ostream* out)
    {
        *out << (c.askButton == IDC_ASK_OK_CANCEL ? "OK/Cancel box" : "Yes/No box") << " answered " << c.answer;
    }
};

class AnswerTest : public WindowDriverTest, public testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerTest, ClosesTheMessageBoxWithTheGivenButton)
{
    driver::Click(dialog_, GetParam().askButton);
    HWND box = driver::FindDialog({program_.Id(), selftest::kQuestionCaption, {}}, kTimeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::WindowTitle(box), selftest::kQuestionCaption);
    EXPECT_EQ(driver::MessageBoxText(box), selftest::kQuestionText);

    EXPECT_TRUE(driver::Answer(box, GetParam().answer));
    EXPECT_TRUE(Reads(IDC_ANSWER, L"answer " + std::to_wstring(GetParam().answer)));
    EXPECT_EQ(driver::FindDialog({program_.Id(), selftest::kQuestionCaption, {}}, 0ms), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Buttons, AnswerTest, testing::Values(
    AnswerCase{IDC_ASK_OK_CANCEL, IDOK}, AnswerCase{IDC_ASK_OK_CANCEL, IDCANCEL},
    AnswerCase{IDC_ASK_YES_NO, IDYES}, AnswerCase{IDC_ASK_YES_NO, IDNO}));

TEST_F(WindowDriverTest, FindDialogMatchesTheTextOfAControl)
{
    driver::Click(dialog_, IDC_ASK_OK_CANCEL);
    HWND box = driver::FindDialog({program_.Id(), {}, L"Second line"}, kTimeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::WindowTitle(box), selftest::kQuestionCaption);
    EXPECT_EQ(driver::FindDialog({program_.Id(), {}, L"not in any control"}, 0ms), nullptr);
    EXPECT_TRUE(driver::Answer(box, IDCANCEL));
}

TEST_F(WindowDriverTest, TrayCallbackReachesTheHiddenTrayWindow)
{
    ASSERT_NE(driver::FindTrayWindow(program_.Id()), nullptr);
    driver::SendTrayCallback(program_.Id(), WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Reads(IDC_TRAY_STATE, L"tray 1 0x203"));
}

struct MenuCase {
    int position;
    std::wstring report;
    friend void PrintTo(const MenuCase& c, std::ostream* out) { *out << "position " << c.position; }
};

class PopupMenuTest : public WindowDriverTest, public testing::WithParamInterface<MenuCase> {};

TEST_P(PopupMenuTest, ChoosesTheItemAtItsPosition)
{
    driver::SendTrayCallback(program_.Id(), WM_RBUTTONUP);
    HWND menu = driver::WaitForPopupMenu(program_.Id(), kTimeout);
    ASSERT_NE(menu, nullptr);
    driver::ChoosePopupMenuItem(menu, GetParam().position);
    EXPECT_TRUE(Reads(IDC_TRAY_STATE, GetParam().report));
    EXPECT_TRUE(driver::WaitUntilClosed(menu, kTimeout));
}

INSTANTIATE_TEST_SUITE_P(Items, PopupMenuTest, testing::Values(
    MenuCase{0, L"menu 40001"}, MenuCase{2, L"menu 40003"}));

TEST_F(WindowDriverTest, DismissPopupMenuClosesItWithoutAChoice)
{
    driver::SendTrayCallback(program_.Id(), WM_RBUTTONUP);
    HWND menu = driver::WaitForPopupMenu(program_.Id(), kTimeout);
    ASSERT_NE(menu, nullptr);
    driver::DismissPopupMenu(menu);
    EXPECT_TRUE(Reads(IDC_TRAY_STATE, L"menu 0"));
    EXPECT_TRUE(driver::WaitUntilClosed(menu, kTimeout));
}

TEST_F(WindowDriverTest, NoPopupMenuBeforeOneOpens)
{
    EXPECT_EQ(driver::WaitForPopupMenu(program_.Id(), 0ms), nullptr);
}

TEST_F(WindowDriverTest, TrayCallbackToAProcessWithoutTrayWindowThrows)
{
    EXPECT_THROW(driver::SendTrayCallback(GetCurrentProcessId(), WM_RBUTTONUP), driver::DriverError);
}

TEST_F(WindowDriverTest, EndCommandEndsTheProgramWithItsExitCode)
{
    driver::SendCommand(dialog_, ID_END_COMMAND);
    EXPECT_EQ(program_.WaitForExit(kTimeout), DWORD{SELFTEST_EXIT_CODE});
    EXPECT_TRUE(driver::WaitUntilClosed(dialog_, kTimeout));
}

TEST_F(WindowDriverTest, WaitForExitOfARunningProgramGivesNothing)
{
    EXPECT_EQ(program_.WaitForExit(0ms), std::nullopt);
    EXPECT_TRUE(program_.IsRunning());
}

TEST_F(WindowDriverTest, WaitForInputIdleReturnsOnceTheDialogWaitsForInput)
{
    EXPECT_TRUE(program_.WaitForInputIdle(kTimeout));
}

TEST_F(WindowDriverTest, ProgramRunsInAJob)
{
    BOOL inJob = FALSE;
    ASSERT_TRUE(IsProcessInJob(program_.Handle(), nullptr, &inJob));
    EXPECT_TRUE(inJob);
}

struct BmpHeader {
    std::uint32_t fileSize;
    std::int32_t width;
    std::int32_t height;
    std::uint16_t bitsPerPixel;
};

BmpHeader ReadBmpHeader(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> head(54);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    auto u32 = [&](std::size_t at) {
        return head[at] | head[at + 1] << 8 | head[at + 2] << 16 | static_cast<std::uint32_t>(head[at + 3]) << 24;
    };
    return {u32(2), static_cast<std::int32_t>(u32(18)), static_cast<std::int32_t>(u32(22)),
            static_cast<std::uint16_t>(head[28] | head[29] << 8)};
}

class ScreenshotTest : public WindowDriverTest {
protected:
    void TearDown() override { std::filesystem::remove(path_); }
    std::filesystem::path path_ = std::filesystem::temp_directory_path() / L"driver-screenshot-test.bmp";
};

TEST_F(ScreenshotTest, CapturesTheWholeScreen)
{
    driver::SaveScreenshot(path_);
    const auto header = ReadBmpHeader(path_);
    EXPECT_EQ(header.width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(header.height, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(header.bitsPerPixel, 24);
    EXPECT_EQ(header.fileSize, std::filesystem::file_size(path_));
}

// Bytes of the picture above half brightness, headers left out.
std::ptrdiff_t BrightBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return std::count_if(file.begin() + 54, file.end(),
                         [](char byte) { return static_cast<unsigned char>(byte) > 0x80; });
}

TEST_F(ScreenshotTest, CapturesTheAreaOfAWindow)
{
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(dialog_, &rect));
    driver::SaveWindowScreenshot(path_, dialog_);
    const auto header = ReadBmpHeader(path_);
    EXPECT_EQ(header.width, rect.right - rect.left);
    EXPECT_EQ(header.height, rect.bottom - rect.top);

    // The dialog's light face, not the black of an empty screen, comes to fill
    // most of the picture (under Wine the screen shows a new window a little
    // after the window has painted itself).
    const std::ptrdiff_t half = static_cast<std::ptrdiff_t>(std::filesystem::file_size(path_) - 54) / 2;
    EXPECT_TRUE(driver::WaitUntil([&] {
        driver::SaveWindowScreenshot(path_, dialog_);
        return BrightBytes(path_) > half;
    }, kTimeout)) << BrightBytes(path_) << " bright bytes";
}

TEST_F(ScreenshotTest, AnAreaOutsideTheScreenThrows)
{
    const RECT outside{-500, -500, -100, -100};
    EXPECT_THROW(driver::SaveScreenshot(path_, outside), driver::DriverError);
}

TEST(ProgramTest, DestructorEndsTheProgram)
{
    driver::UniqueHandle watch;
    {
        driver::Program program(SelftestExe());
        ASSERT_NE(driver::WaitForWindow(selftest::kTitle, kTimeout, true, program.Id()), nullptr);
        watch = driver::UniqueHandle(OpenProcess(SYNCHRONIZE, FALSE, program.Id()));
        ASSERT_TRUE(watch);
    }
    EXPECT_EQ(WaitForSingleObject(watch.get(), 10000), WAIT_OBJECT_0);
}

TEST(ProgramTest, TerminateGivesTheExitCode)
{
    driver::Program program(SelftestExe());
    program.Terminate(77);
    EXPECT_FALSE(program.IsRunning());
    EXPECT_EQ(program.WaitForExit(0ms), DWORD{77});
}

TEST(ProgramTest, AMissingExecutableThrowsNamingIt)
{
    try {
        driver::Program program(driver::ExecutableDirectory() / L"no-such-program.exe");
        FAIL() << "no exception";
    } catch (const driver::DriverError& error) {
        EXPECT_NE(std::string(error.what()).find("no-such-program.exe"), std::string::npos) << error.what();
    }
}

TEST(WaitTest, WaitForAWindowThatNeverComesGivesNull)
{
    EXPECT_EQ(driver::WaitForWindow(L"No window has this title", 50ms), nullptr);
}

TEST(WaitTest, WaitUntilAsksOnceMoreAtTheDeadline)
{
    int asked = 0;
    EXPECT_FALSE(driver::WaitUntil([&] { return ++asked < 0; }, 0ms));
    EXPECT_EQ(asked, 2);
}

}  // namespace
