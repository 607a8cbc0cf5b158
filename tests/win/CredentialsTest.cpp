// The username and password fields of the real main dialog: a forbidden or
// control character, typed or pasted, is refused with its message and
// changes nothing; stored values holding one are cleared once. Which
// characters are refused is checked natively.
#include "ServiceProfile.h"
#include "TestSupport.h"

#include "app/Settings.h"
#include "framework/Strings.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

// The support address is the build's service profile.
const std::wstring kRefusal =
    std::wstring(L"We're sorry!\n\nCorvane doesn\u2019t accept special characters, yet our payment processor does.\n"
                 L"Please send an e-mail to ") +
    profile::kSupportEmail + L" with your username and password so we can remove the special character.";

// Each field as the window, the dialog and the store hold it, then the refusals shown, by their flags.
std::wstring State(CCorvaneDlg& dialog, const MessageBoxScript& boxes)
{
    auto held = [&](int id, const std::wstring& member, const wchar_t* name) {
        return GetWindowTextString(dialog.GetDlgItem(id)) + L"," + member + L"," +
               TheTestApp().GetProfileString(settings::kSection, name, L"<absent>");
    };
    std::wstring state = held(IDC_USERNAME, dialog.m_strUsername, settings::kUsername) + L" / " +
                         held(IDC_PASSWORD, dialog.m_strPassword, settings::kPassword);
    for (const MessageBoxRequest& box : boxes.Shown())
        state += box.text == kRefusal && box.caption == L"Corvane" && box.owner == dialog.GetSafeHwnd()
                     ? L" refused " + std::to_wstring(box.flags) : L" another box";
    return state;
}

TEST(CredentialsTest, AForbiddenCharacterTypedOrPastedIsRefusedAndAStoredOneClearedOnce)
{
    // The field and its text after "alice" in both (WM_SETTEXT raises EN_CHANGE as typing and pasting do),
    // with "Remember" ticked. The store holds the password encoded ("alice" is "kvsmo"); flags 64 are
    // MB_ICONINFORMATION, the username's.
    const std::tuple<int, std::wstring, std::wstring> typed[] = {
        {IDC_USERNAME, L"alice.", L"alice,alice,alice / alice,alice,kvsmo refused 64"},
        {IDC_PASSWORD, L"a\x01", L"alice,alice,alice / alice,alice,kvsmo refused 0"},  // a control character and
        {IDC_USERNAME, L"-pw", L"alice,alice,alice / alice,alice,kvsmo refused 64"},   // a leading dash make options
        {IDC_PASSWORD, L"alice-_^|", L"alice,alice,alice / alice-_^|,alice-_^|,kvsmo7ih\u0086"},
        {IDC_USERNAME, L"a-b_c", L"a-b_c,a-b_c,a-b_c / alice,alice,kvsmo"},
    };
    ScopedTestProfile profile;
    std::optional<MainDialogHarness> dialog(std::in_place, IDD_MAIN_SIGNUP);
    auto control = [&](int id) { return (*dialog)->GetDlgItem(id); };
    ::SendMessageW(control(IDC_REMEMBER), BM_SETCHECK, BST_CHECKED, 0);
    dialog->Command(IDC_REMEMBER, BN_CLICKED);
    for (const auto& [field, text, state] : typed) {
        SCOPED_TRACE(testing::PrintToString(text));
        for (int id : {IDC_USERNAME, IDC_PASSWORD})
            ::SendMessageW(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"alice"));
        MessageBoxScript boxes;
        ::SendMessageW(control(field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        EXPECT_EQ(State(dialog->Dialog(), boxes), state);
        const LRESULT caret = ::SendMessageW(control(field), EM_GETSEL, 0, 0);
        EXPECT_TRUE(boxes.Shown().empty() || caret == MAKELRESULT(5, 5)) << "a refusal leaves the caret at the end";
    }

    // Stored (the password encoded: "good" is "qyyn", "pa.ss" is "zk8}}"), a value with a forbidden character
    // is cleared in the field, the dialog and the store, with one message for each, the password's first.
    const std::tuple<std::wstring, std::wstring, std::wstring> stored[] = {
        {L"x\t-proxycmd\tcalc.exe", L"qyyn", L",, / good,good,qyyn refused 64"},
        {L"good", L"zk8}}", L"good,good,good / ,, refused 0"},
        {L"a@b", L"zk8}}", L",, / ,, refused 0 refused 64"},
    };
    for (const auto& [username, password, state] : stored) {
        SCOPED_TRACE(testing::PrintToString(username));
        dialog.reset();
        ScopedTestProfile::Clear();
        settings::WriteString(settings::kUsername, username);
        settings::WriteString(settings::kPassword, password);
        settings::WriteInt(settings::kRemember, 1);
        MessageBoxScript boxes;
        dialog.emplace(IDD_MAIN_SIGNUP);
        EXPECT_EQ(State(dialog->Dialog(), boxes), state);
    }
}

}  // namespace
