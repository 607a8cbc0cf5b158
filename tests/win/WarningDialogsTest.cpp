// The three warning dialogs on screen, driven from a helper thread, and the
// protocol around them through the modal seam.
#include "TestSupport.h"

#include "app/Settings.h"
#include "browsers/BrowserMatch.h"
#include "browsers/BrowserProcesses.h"
#include "browsers/WarningDialogs.h"
#include "browsers/Warnings.h"
#include "framework/Strings.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

constexpr DWORD kDialogTimeoutMs = 5000;
constexpr int kUnwritten = 7;  // what a settings value reads as when nothing wrote it

constexpr const wchar_t* kDontShowCaption = L"&In the future, do not show this warning";
constexpr const wchar_t* kConnectBothText =
    L"Activating Corvane will close the following open browser windows: \n\rIE and Firefox.\n\rSelect OK to continue.";
constexpr const wchar_t* kDisconnectFirefoxText =
    L"Deactivating Corvane will close the following open browser windows: \n\rFirefox.\n\rSelect OK to continue.";
constexpr const wchar_t* kSwitchIeText =
    L"Switching servers will close the following open browser windows: \n\rIE.\n\rSelect OK to continue.";
constexpr const wchar_t* kExitShortText =
    L"\nYour IP address is still hidden.  Closing the application will reset your IP address.\nSelect OK to continue.";
constexpr const wchar_t* kSwitchQuestionText =
    L"Do you wish to disconnect from the Rotating United States server and connect to the US Static IP 1 server?";

// ---------------------------------------------------------------------------
// On screen

enum class Press { Ok, Cancel, Escape };

// What the helper thread saw of the dialog and whether its answer closed it.
struct DriverReport {
    bool found = false;
    std::wstring message;
    std::wstring checkCaption;
    LRESULT checkAtStart = -1;
    LRESULT checkBeforeAnswer = -1;
    bool closed = false;
};

HWND FindVisibleOwnDialog(const std::wstring& title)
{
    struct Search {
        const std::wstring& title;
        HWND found;
    } search{title, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD processId = 0;
            ::GetWindowThreadProcessId(window, &processId);
            if (processId == ::GetCurrentProcessId() && ::IsWindowVisible(window) &&
                GetWindowTextString(window) == s.title) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs on the helper thread while the test thread sits in the modal loop.
DriverReport AnswerOnScreen(const std::wstring& title, bool tickBox, Press press)
{
    DriverReport report;
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindVisibleOwnDialog(title)) != nullptr; }, kDialogTimeoutMs))
        return report;
    report.found = true;
    report.message = GetWindowTextString(::GetDlgItem(dialog, IDC_WARNING_TEXT));
    HWND box = ::GetDlgItem(dialog, IDC_DONT_SHOW);
    report.checkCaption = GetWindowTextString(box);
    report.checkAtStart = ::SendMessageW(box, BM_GETCHECK, 0, 0);
    if (tickBox)
        ::SendMessageW(box, BM_CLICK, 0, 0);
    report.checkBeforeAnswer = ::SendMessageW(box, BM_GETCHECK, 0, 0);

    switch (press) {
    case Press::Ok:
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
        break;
    case Press::Cancel:
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDCANCEL)));
        break;
    case Press::Escape:
        // The key goes to the focused default button; the dialog manager
        // turns it into IDCANCEL.
        ::PostMessageW(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        break;
    }
    report.closed = WaitFor([&] { return !::IsWindow(dialog); }, kDialogTimeoutMs);
    if (!report.closed)  // frees the test thread all the same
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return report;
}

enum class Kind { Browser, Switch, Exit };

struct OnScreenCase {
    const char* name;
    Kind kind;
    std::wstring message;    // into m_strMessage
    std::wstring checkText;  // into m_strCheckText
    bool showAgainBefore;
    bool tickBox;
    Press press;
    INT_PTR expectedResult;
    bool expectedShowAgain;
    std::wstring expectedMessage;
    std::wstring expectedCheckCaption;
};

struct OnScreenOutcome {
    INT_PTR result;
    bool showAgain;
    DriverReport report;
};

template <class Dialog>
OnScreenOutcome RunOnScreen(const OnScreenCase& test, const wchar_t* title)
{
    Dialog dialog;
    dialog.m_strMessage = test.message;
    dialog.m_strCheckText = test.checkText;
    dialog.m_bShowAgain = test.showAgainBefore;

    DriverReport report;
    std::thread driver([&] { report = AnswerOnScreen(title, test.tickBox, test.press); });
    const INT_PTR result = dialog.RunModalLoop();
    driver.join();
    return {result, dialog.m_bShowAgain, report};
}

OnScreenOutcome RunOnScreen(const OnScreenCase& test)
{
    switch (test.kind) {
    case Kind::Browser:
        return RunOnScreen<CDlgBrowserMessage>(test, L"Corvane Warning");
    case Kind::Switch:
        return RunOnScreen<CDlgSwitchSrvrMessage>(test, L"Corvane Warning");
    case Kind::Exit:
        break;
    }
    return RunOnScreen<CDlgExitMessage>(test, L"Closing Corvane");
}

TEST(WarningDialogsOnScreen, ShowTheirTextsAndRecordTheBoxAsTheyClose)
{
    const std::wstring browserTemplateText =
        L"Deactivating Corvane will close all open browser windows.\nSelect OK to continue.";
    const std::wstring exitBothText = L"Your IP address is still hidden.  Closing the application will reset your IP "
                                      L"address\nand will close the following open browser windows: \n\rIE and "
                                      L"Firefox.\nSelect OK to continue.";
    const OnScreenCase cases[] = {
        {"browser OK, box ticked", Kind::Browser, kConnectBothText, kDontShowCaption, true, true, Press::Ok, IDOK,
         false, kConnectBothText, kDontShowCaption},
        {"browser Cancel records nothing", Kind::Browser, kDisconnectFirefoxText, L"&Never again", true, true,
         Press::Cancel, IDCANCEL, true, kDisconnectFirefoxText, L"&Never again"},
        {"browser Escape records nothing", Kind::Browser, kSwitchIeText, kDontShowCaption, true, true, Press::Escape,
         IDCANCEL, true, kSwitchIeText, kDontShowCaption},
        {"browser empty texts keep the template's", Kind::Browser, L"", L"", false, false, Press::Ok, IDOK, true,
         browserTemplateText, kDontShowCaption},
        {"switch Yes, box clear", Kind::Switch, kSwitchQuestionText, kDontShowCaption, false, false, Press::Ok, IDOK,
         true, kSwitchQuestionText, kDontShowCaption},
        {"switch No records the ticked box", Kind::Switch, kSwitchQuestionText, kDontShowCaption, true, true,
         Press::Cancel, IDCANCEL, false, kSwitchQuestionText, kDontShowCaption},
        {"switch Escape counts as No and records", Kind::Switch, kSwitchQuestionText, kDontShowCaption, false, false,
         Press::Escape, IDCANCEL, true, kSwitchQuestionText, kDontShowCaption},
        {"exit OK, box ticked", Kind::Exit, kExitShortText, L"", true, true, Press::Ok, IDOK, false, kExitShortText,
         kDontShowCaption},
        {"exit Cancel records nothing", Kind::Exit, exitBothText, L"", true, true, Press::Cancel, IDCANCEL, true,
         exitBothText, kDontShowCaption},
    };
    for (const OnScreenCase& test : cases) {
        SCOPED_TRACE(test.name);
        const OnScreenOutcome outcome = RunOnScreen(test);
        ASSERT_TRUE(outcome.report.found);
        EXPECT_TRUE(outcome.report.closed);
        EXPECT_EQ(outcome.report.message, test.expectedMessage);
        EXPECT_EQ(outcome.report.checkCaption, test.expectedCheckCaption);
        EXPECT_EQ(outcome.report.checkAtStart, BST_UNCHECKED);
        EXPECT_EQ(outcome.report.checkBeforeAnswer, test.tickBox ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(outcome.result, test.expectedResult);
        EXPECT_EQ(outcome.showAgain, test.expectedShowAgain);
    }
}

// ---------------------------------------------------------------------------
// The protocol, answered through the modal seam

// Answers a warning the way its dialog would: the recording handlers set
// m_bShowAgain (OK in all three, Cancel in the switch confirmation only).
// Keeps the texts the dialog was given.
class ScriptedWarning {
public:
    ScriptedWarning(INT_PTR answer, bool boxTicked)
        : m_script([this, answer, boxTicked](CDialog& dialog) {
              if (auto* browser = dynamic_cast<CDlgBrowserMessage*>(&dialog))
                  Take(*browser, answer == IDOK, boxTicked);
              else if (auto* confirmation = dynamic_cast<CDlgSwitchSrvrMessage*>(&dialog))
                  Take(*confirmation, answer == IDOK || answer == IDCANCEL, boxTicked);
              else if (auto* exit = dynamic_cast<CDlgExitMessage*>(&dialog))
                  Take(*exit, answer == IDOK, boxTicked);
              return answer;
          })
    {
    }
    const std::vector<UINT>& Shown() const { return m_script.Shown(); }

    std::wstring message;
    std::wstring checkText;

private:
    template <class Dialog>
    void Take(Dialog& dialog, bool records, bool boxTicked)
    {
        message = dialog.m_strMessage;
        if constexpr (requires { dialog.m_strCheckText; })
            checkText = dialog.m_strCheckText;
        if (records)
            dialog.m_bShowAgain = !boxTicked;
    }

    ModalScript m_script;
};

class WarningProtocol : public testing::Test {
protected:
    static int Value(const wchar_t* name)
    {
        return static_cast<int>(TheTestApp().GetProfileInt(settings::kSection, name, kUnwritten));
    }

    ScopedTestProfile m_profile;
    MainDialogHarness m_harness;
};

struct BrowserWarningCase {
    const char* name;
    BrowserWarning warning;
    bool connected;
    bool enableBrowserMessage;  // the connect warning's switch
    bool browserMessage;        // the disconnect and switch warnings' switch
    uint32_t browsers;
    INT_PTR answer;
    bool boxTicked;
    bool expectedShown;
    bool expectedGoOn;
    std::wstring expectedText;
    bool expectedEnableBrowserMessage;
    bool expectedBrowserMessage;
    int expectedEnableBrowserValue;
    int expectedBrowserValue;
};

TEST_F(WarningProtocol, BrowserWarnings)
{
    constexpr auto Connect = BrowserWarning::Connect;
    constexpr auto Disconnect = BrowserWarning::Disconnect;
    constexpr auto Switch = BrowserWarning::Switch;
    constexpr uint32_t Both = BROWSER_IE | BROWSER_FIREFOX;
    const std::wstring connectIeText =
        L"Activating Corvane will close the following open browser windows: \n\rIE.\n\rSelect OK to continue.";
    const std::wstring connectFirefoxText =
        L"Activating Corvane will close the following open browser windows: \n\rFirefox.\n\rSelect OK to continue.";
    const BrowserWarningCase cases[] = {
        {"connect silenced", Connect, false, false, true, Both, IDOK, false, false, true, L"", false, true,
         kUnwritten, kUnwritten},
        {"connect without a browser", Connect, false, true, true, 0, IDOK, false, false, true, L"", true, true,
         kUnwritten, kUnwritten},
        {"connect Cancel records nothing", Connect, false, true, true, Both, IDCANCEL, true, true, false,
         kConnectBothText, true, true, kUnwritten, kUnwritten},
        {"connect OK, box ticked", Connect, false, true, true, Both, IDOK, true, true, true, kConnectBothText, false,
         true, 0, kUnwritten},
        {"connect OK, box clear", Connect, false, true, true, BROWSER_IE, IDOK, false, true, true, connectIeText, true,
         true, 1, kUnwritten},
        {"connect ignores the disconnect switch", Connect, false, true, false, BROWSER_FIREFOX, IDOK, false, true,
         true, connectFirefoxText, true, false, 1, kUnwritten},
        {"connect dialog not shown (-1)", Connect, false, true, true, Both, -1, false, true, false, kConnectBothText,
         true, true, kUnwritten, kUnwritten},
        {"disconnect silenced", Disconnect, true, true, false, Both, IDOK, false, false, true, L"", true, false,
         kUnwritten, kUnwritten},
        {"disconnect without a browser", Disconnect, true, true, true, 0, IDOK, false, false, true, L"", true, true,
         kUnwritten, kUnwritten},
        {"disconnect OK, box ticked", Disconnect, true, true, true, BROWSER_FIREFOX, IDOK, true, true, true,
         kDisconnectFirefoxText, true, false, kUnwritten, 0},
        {"disconnect Cancel records nothing", Disconnect, true, true, true, BROWSER_FIREFOX, IDCANCEL, true, true,
         false, kDisconnectFirefoxText, true, true, kUnwritten, kUnwritten},
        {"switch OK, box clear", Switch, true, true, true, BROWSER_IE, IDOK, false, true, true, kSwitchIeText, true,
         true, kUnwritten, 1},
        {"switch OK, box ticked", Switch, true, false, true, BROWSER_IE, IDOK, true, true, true, kSwitchIeText, false,
         false, kUnwritten, 0},
        {"switch silenced", Switch, true, true, false, Both, IDOK, false, false, true, L"", true, false, kUnwritten,
         kUnwritten},
        {"switch without a browser", Switch, true, true, true, 0, IDOK, false, false, true, L"", true, true,
         kUnwritten, kUnwritten},
    };
    CCorvaneDlg& dialog = m_harness.Dialog();
    for (const BrowserWarningCase& test : cases) {
        SCOPED_TRACE(test.name);
        ScopedTestProfile::Clear();
        dialog.m_bConnected = test.connected;
        dialog.m_warnings.enableBrowserMessage = test.enableBrowserMessage;
        dialog.m_warnings.browserMessage = test.browserMessage;
        ScriptedWarning user(test.answer, test.boxTicked);

        EXPECT_EQ(ConfirmBrowserWarning(dialog.m_warnings, test.warning, dialog.m_bConnected, test.browsers),
                  test.expectedGoOn);

        EXPECT_EQ(user.Shown(), test.expectedShown ? std::vector<UINT>{IDD_BROWSER_WARNING} : std::vector<UINT>{});
        if (test.expectedShown) {
            EXPECT_EQ(user.message, test.expectedText);
            EXPECT_EQ(user.checkText, kDontShowCaption);
        }
        EXPECT_EQ(dialog.m_warnings.enableBrowserMessage, test.expectedEnableBrowserMessage);
        EXPECT_EQ(dialog.m_warnings.browserMessage, test.expectedBrowserMessage);
        EXPECT_EQ(Value(settings::kEnableBrowserMessage), test.expectedEnableBrowserValue);
        EXPECT_EQ(Value(settings::kBrowserMessage), test.expectedBrowserValue);
        EXPECT_EQ(Value(settings::kExitMessage), kUnwritten);
        EXPECT_EQ(Value(settings::kEnableSwitchSrvrMessage), kUnwritten);
    }
}

struct ExitWarningCase {
    const char* name;
    bool connected;
    bool exitMessage;
    INT_PTR answer;
    bool boxTicked;
    bool expectedShown;
    bool expectedGoOn;
    bool expectedExitMessage;
    int expectedValue;
};

TEST_F(WarningProtocol, ExitWarning)
{
    ASSERT_EQ(DetectBrowsers(), 0u) << "a browser already runs in this prefix";
    const ExitWarningCase cases[] = {
        {"not connected", false, true, IDCANCEL, true, false, true, true, kUnwritten},
        {"silenced", true, false, IDCANCEL, true, false, true, false, kUnwritten},
        {"Cancel records nothing", true, true, IDCANCEL, true, true, false, true, kUnwritten},
        {"OK, box ticked", true, true, IDOK, true, true, true, false, 0},
        {"OK, box clear", true, true, IDOK, false, true, true, true, 1},
    };
    CCorvaneDlg& dialog = m_harness.Dialog();
    for (const ExitWarningCase& test : cases) {
        SCOPED_TRACE(test.name);
        ScopedTestProfile::Clear();
        dialog.m_bConnected = test.connected;
        dialog.m_warnings.exitMessage = test.exitMessage;
        ScriptedWarning user(test.answer, test.boxTicked);

        EXPECT_EQ(ConfirmExitWarning(dialog.m_warnings, dialog.m_bConnected), test.expectedGoOn);

        EXPECT_EQ(user.Shown(), test.expectedShown ? std::vector<UINT>{IDD_EXIT_WARNING} : std::vector<UINT>{});
        if (test.expectedShown) {
            EXPECT_EQ(user.message, kExitShortText);
        }
        EXPECT_EQ(dialog.m_warnings.exitMessage, test.expectedExitMessage);
        EXPECT_EQ(Value(settings::kExitMessage), test.expectedValue);
    }
}

struct SwitchConfirmationCase {
    const char* name;
    INT_PTR answer;
    bool boxTicked;
    int expectedAnswer;
    bool expectedMember;
    int expectedValue;
};

TEST_F(WarningProtocol, SwitchConfirmationRecordsEitherAnswer)
{
    const SwitchConfirmationCase cases[] = {
        {"Yes, box clear", IDOK, false, IDYES, true, 1},
        {"Yes, box ticked", IDOK, true, IDYES, false, 0},
        {"No, box ticked", IDCANCEL, true, IDNO, false, 0},
        {"No or Escape, box clear", IDCANCEL, false, IDNO, true, 1},
        {"dialog not shown (-1)", -1, true, IDNO, true, kUnwritten},
    };
    CCorvaneDlg& dialog = m_harness.Dialog();
    for (const SwitchConfirmationCase& test : cases) {
        SCOPED_TRACE(test.name);
        ScopedTestProfile::Clear();
        dialog.m_warnings.enableSwitchSrvrMessage = true;
        ScriptedWarning user(test.answer, test.boxTicked);

        EXPECT_EQ(AskSwitchConfirmation(dialog.m_warnings, 0, 3), test.expectedAnswer);

        EXPECT_EQ(user.Shown(), std::vector<UINT>{IDD_SWITCH_WARNING});
        EXPECT_EQ(user.message, kSwitchQuestionText);
        EXPECT_EQ(user.checkText, kDontShowCaption);
        EXPECT_EQ(dialog.m_warnings.enableSwitchSrvrMessage, test.expectedMember);
        EXPECT_EQ(Value(settings::kEnableSwitchSrvrMessage), test.expectedValue);
    }
}

TEST_F(WarningProtocol, WarningsSilencedByTheUserShowAgainAfterRestoringDefaults)
{
    CCorvaneDlg& dialog = m_harness.Dialog();
    const uint32_t browsers = BROWSER_IE | BROWSER_FIREFOX;
    auto askAll = [&] {
        dialog.m_bConnected = false;
        ConfirmBrowserWarning(dialog.m_warnings, BrowserWarning::Connect, dialog.m_bConnected, browsers);
        dialog.m_bConnected = true;
        ConfirmBrowserWarning(dialog.m_warnings, BrowserWarning::Disconnect, dialog.m_bConnected, browsers);
        ConfirmBrowserWarning(dialog.m_warnings, BrowserWarning::Switch, dialog.m_bConnected, browsers);
        ConfirmExitWarning(dialog.m_warnings, dialog.m_bConnected);
        // The location selection asks only while the stored value is on.
        if (settings::GetInt(settings::kEnableSwitchSrvrMessage, settings::kDefaultMessageFlag) != 0)
            AskSwitchConfirmation(dialog.m_warnings, 0, 3);
    };
    {
        ScriptedWarning silencing(IDOK, true);
        askAll();
        // The disconnect warning silenced the switch warning as well.
        EXPECT_EQ(silencing.Shown(), (std::vector<UINT>{IDD_BROWSER_WARNING, IDD_BROWSER_WARNING, IDD_EXIT_WARNING,
                                                        IDD_SWITCH_WARNING}));
    }
    {
        ScriptedWarning silenced(IDOK, true);
        askAll();
        EXPECT_TRUE(silenced.Shown().empty());
    }

    // What "Restore System Defaults..." does to the main dialog and the store.
    for (const wchar_t* name : {settings::kExitMessage, settings::kBrowserMessage, settings::kEnableBrowserMessage,
                                settings::kEnableSwitchSrvrMessage})
        settings::WriteInt(name, 1);
    dialog.m_warnings.exitMessage = dialog.m_warnings.browserMessage = dialog.m_warnings.enableSwitchSrvrMessage =
        dialog.m_warnings.enableBrowserMessage = true;

    ScriptedWarning restored(IDCANCEL, false);
    askAll();
    EXPECT_EQ(restored.Shown(), (std::vector<UINT>{IDD_BROWSER_WARNING, IDD_BROWSER_WARNING, IDD_BROWSER_WARNING,
                                                   IDD_EXIT_WARNING, IDD_SWITCH_WARNING}));
}

}  // namespace
