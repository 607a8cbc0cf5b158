#include "browsers/Warnings.h"

#include "app/Settings.h"
#include "browsers/BrowserProcesses.h"
#include "browsers/WarningDialogs.h"
#include "browsers/WarningText.h"
#include "framework/Strings.h"
#include "res/resource.h"

namespace {

// Where a warning's on/off switch lives: its member and its settings-store value.
struct WarningSwitch {
    bool WarningSwitches::*member;
    const wchar_t* valueName;
};

constexpr WarningSwitch kConnectSwitch{&WarningSwitches::enableBrowserMessage, settings::kEnableBrowserMessage};
constexpr WarningSwitch kDisconnectSwitch{&WarningSwitches::browserMessage, settings::kBrowserMessage};
constexpr WarningSwitch kExitSwitch{&WarningSwitches::exitMessage, settings::kExitMessage};
constexpr WarningSwitch kSwitchConfirmationSwitch{&WarningSwitches::enableSwitchSrvrMessage,
                                                  settings::kEnableSwitchSrvrMessage};

WarningSwitch SwitchOf(BrowserWarning warning)
{
    return warning == BrowserWarning::Connect ? kConnectSwitch : kDisconnectSwitch;
}

void Record(WarningSwitches& switches, const WarningSwitch& warningSwitch, bool showAgain)
{
    switches.*warningSwitch.member = showAgain;
    settings::WriteInt(warningSwitch.valueName, showAgain ? 1 : 0);
}

}  // namespace

bool ConfirmBrowserWarning(WarningSwitches& switches, BrowserWarning warning, bool connected, uint32_t browsers)
{
    const WarningSwitch warningSwitch = SwitchOf(warning);
    if (!(switches.*warningSwitch.member) || browsers == 0)
        return true;

    CDlgBrowserMessage question;
    question.m_strMessage = ComposeBrowserWarning(connected, browsers, warning == BrowserWarning::Switch);
    question.m_strCheckText = LoadStringResource(IDS_DONT_SHOW_AGAIN);
    if (question.DoModal() != IDOK)
        return false;
    Record(switches, warningSwitch, question.m_bShowAgain);
    return true;
}

bool ConfirmExitWarning(WarningSwitches& switches, bool connected)
{
    if (!connected || !switches.exitMessage)
        return true;

    CDlgExitMessage question;
    question.m_strMessage = ComposeExitWarning(DetectBrowsers());
    if (question.DoModal() != IDOK)
        return false;
    Record(switches, kExitSwitch, question.m_bShowAgain);
    return true;
}

int AskSwitchConfirmation(WarningSwitches& switches, int currentRow, int newRow)
{
    CDlgSwitchSrvrMessage question;
    question.m_strMessage = SwitchServerQuestion(currentRow, newRow);
    question.m_strCheckText = LoadStringResource(IDS_DONT_SHOW_AGAIN);
    const INT_PTR answer = question.DoModal();
    // Yes and No both answer about the box; a dialog that could not be shown
    // (-1) answered nothing and leaves the switch as it was.
    if (answer == IDOK || answer == IDCANCEL)
        Record(switches, kSwitchConfirmationSwitch, question.m_bShowAgain);
    return answer == IDOK ? IDYES : IDNO;
}
