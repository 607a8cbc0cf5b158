#include "browsers/Warnings.h"

#include "app/Settings.h"
#include "browsers/BrowserProcesses.h"
#include "browsers/WarningDialogs.h"
#include "browsers/WarningText.h"
#include "framework/Strings.h"
#include "res/resource.h"
#include "ui/CorvaneDlg.h"

namespace {

// Where a warning's on/off switch lives: the main dialog's member and its
// settings-store value.
struct WarningSwitch {
    bool CCorvaneDlg::*member;
    const wchar_t* valueName;
};

constexpr WarningSwitch kConnectSwitch{&CCorvaneDlg::m_bEnableBrowserMessage, settings::kEnableBrowserMessage};
constexpr WarningSwitch kDisconnectSwitch{&CCorvaneDlg::m_bBrowserMessage, settings::kBrowserMessage};
constexpr WarningSwitch kExitSwitch{&CCorvaneDlg::m_bExitMessage, settings::kExitMessage};
constexpr WarningSwitch kSwitchConfirmationSwitch{&CCorvaneDlg::m_bEnableSwitchSrvrMessage,
                                                  settings::kEnableSwitchSrvrMessage};

WarningSwitch SwitchOf(BrowserWarning warning)
{
    return warning == BrowserWarning::Connect ? kConnectSwitch : kDisconnectSwitch;
}

void Record(CCorvaneDlg& dialog, const WarningSwitch& warningSwitch, bool showAgain)
{
    dialog.*warningSwitch.member = showAgain;
    settings::WriteInt(warningSwitch.valueName, showAgain ? 1 : 0);
}

}  // namespace

bool ConfirmBrowserWarning(CCorvaneDlg& dialog, BrowserWarning warning, uint32_t browsers)
{
    const WarningSwitch warningSwitch = SwitchOf(warning);
    if (!(dialog.*warningSwitch.member) || browsers == 0)
        return true;

    CDlgBrowserMessage question;
    question.m_strMessage = ComposeBrowserWarning(dialog.m_bConnected, browsers, warning == BrowserWarning::Switch);
    question.m_strCheckText = LoadStringResource(IDS_DONT_SHOW_AGAIN);
    if (question.DoModal() != IDOK)
        return false;
    Record(dialog, warningSwitch, question.m_bShowAgain);
    return true;
}

bool ConfirmExitWarning(CCorvaneDlg& dialog)
{
    if (!dialog.m_bConnected || !dialog.m_bExitMessage)
        return true;

    CDlgExitMessage question;
    question.m_strMessage = ComposeExitWarning(DetectBrowsers());
    if (question.DoModal() != IDOK)
        return false;
    Record(dialog, kExitSwitch, question.m_bShowAgain);
    return true;
}

int AskSwitchConfirmation(CCorvaneDlg& dialog, int currentRow, int newRow)
{
    CDlgSwitchSrvrMessage question;
    question.m_strMessage = SwitchServerQuestion(currentRow, newRow);
    question.m_strCheckText = LoadStringResource(IDS_DONT_SHOW_AGAIN);
    const INT_PTR answer = question.DoModal();
    // Yes and No both answer about the box; a dialog that could not be shown
    // (-1) answered nothing and leaves the switch as it was.
    if (answer == IDOK || answer == IDCANCEL)
        Record(dialog, kSwitchConfirmationSwitch, question.m_bShowAgain);
    return answer == IDOK ? IDYES : IDNO;
}
