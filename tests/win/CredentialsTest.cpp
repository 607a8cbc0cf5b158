// The username and password fields of the real main dialog: a forbidden or
// control character, typed or pasted, is refused with its message and
// changes nothing; stored values holding one are cleared once.
#include "ServiceProfile.h"
#include "TestSupport.h"

#include "app/Settings.h"
#include "framework/Strings.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// The support address is the build's service profile.
const std::wstring kRefusal =
    std::wstring(L"We're sorry!\n\nCorvane doesn\u2019t accept special characters, yet our payment processor does.\n"
                 L"Please send an e-mail to ") +
    profile::kSupportEmail + L" with your username and password so we can remove the special character.";
constexpr UINT kUsernameFlags = MB_OK | MB_ICONINFORMATION;
constexpr UINT kPasswordFlags = MB_OK;

std::wstring Stored(const wchar_t* name)
{
    return TheTestApp().GetProfileString(settings::kSection, name, L"<absent>");
}

class CredentialsTest : public testing::Test {
protected:
    CCorvaneDlg& Dlg() { return dialog->Dialog(); }
    HWND Control(int id) { return Dlg().GetDlgItem(id); }
    // The field as the window, the dialog and the store (with "Remember" ticked) hold it.
    std::vector<std::wstring> Held(int id)
    {
        const bool user = id == IDC_USERNAME;
        return {GetWindowTextString(Control(id)), user ? Dlg().m_strUsername : Dlg().m_strPassword,
                Stored(user ? settings::kUsername : settings::kPassword)};
    }

    ScopedTestProfile profile;
    std::optional<MainDialogHarness> dialog;
};

TEST_F(CredentialsTest, AForbiddenCharacterTypedOrPastedIsRefusedAndChangesNothing)
{
    // The field; its text after "alice" (WM_SETTEXT raises EN_CHANGE as typing
    // and pasting do); what "Remember" stores of an accepted text, or nothing
    // for a refused one.
    const std::tuple<int, std::wstring, std::wstring> rows[] = {
        {IDC_USERNAME, L"alice.", L""},
        {IDC_PASSWORD, L"a\x01", L""},  // a control character would split a value into plink options
        {IDC_USERNAME, L"-pw", L""},     // and a leading dash make it one
        {IDC_PASSWORD, L"alice-_^|", L"kvsmo7ih\u0086"},
        {IDC_USERNAME, L"a-b_c", L"a-b_c"},
    };
    dialog.emplace(IDD_MAIN_SIGNUP);
    ::SendMessageW(Control(IDC_REMEMBER), BM_SETCHECK, BST_CHECKED, 0);
    dialog->Command(IDC_REMEMBER, BN_CLICKED);
    for (const auto& [field, text, stored] : rows) {
        SCOPED_TRACE(testing::PrintToString(text));
        ::SendMessageW(Control(field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"alice"));
        const std::vector<std::wstring> before = Held(field);
        MessageBoxScript boxes;
        ::SendMessageW(Control(field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        EXPECT_EQ(Held(field), stored.empty() ? before : std::vector<std::wstring>({text, text, stored}));
        ASSERT_EQ(boxes.Shown().size(), stored.empty() ? 1u : 0u);
        if (stored.empty()) {
            const MessageBoxRequest& box = boxes.Shown()[0];
            EXPECT_TRUE(box.text == kRefusal && box.caption == L"Corvane" && box.owner == Dlg().GetSafeHwnd());
            EXPECT_EQ(box.flags, field == IDC_USERNAME ? kUsernameFlags : kPasswordFlags);
            EXPECT_EQ(::SendMessageW(Control(field), EM_GETSEL, 0, 0), MAKELRESULT(5, 5)) << "the caret stays at the end";
        }
    }
}

// A stored value with a forbidden character is cleared in the field, the
// dialog and the store, with one message for each (the password's first).
TEST_F(CredentialsTest, StoredValuesWithAForbiddenCharacterAreClearedOnce)
{
    // The username, the password as stored ("good" is "qyyn", "pa.ss" is "zk8}}"), the messages' flags.
    const std::tuple<std::wstring, std::wstring, std::vector<UINT>> rows[] = {
        {L"x\t-proxycmd\tcalc.exe", L"qyyn", {kUsernameFlags}},
        {L"good", L"zk8}}", {kPasswordFlags}},
        {L"a@b", L"zk8}}", {kPasswordFlags, kUsernameFlags}},
    };
    for (const auto& [username, password, flags] : rows) {
        SCOPED_TRACE(testing::PrintToString(username));
        ScopedTestProfile::Clear();
        settings::WriteString(settings::kUsername, username);
        settings::WriteString(settings::kPassword, password);
        settings::WriteInt(settings::kRemember, 1);
        MessageBoxScript boxes;
        dialog.emplace(IDD_MAIN_SIGNUP);

        std::vector<UINT> shown;
        for (const MessageBoxRequest& box : boxes.Shown())
            shown.push_back(box.text == kRefusal ? box.flags : 0);
        EXPECT_EQ(shown, flags);
        using Held3 = std::vector<std::wstring>;
        EXPECT_EQ(Held(IDC_USERNAME), username == L"good" ? Held3(3, L"good") : Held3(3, L""));
        EXPECT_EQ(Held(IDC_PASSWORD), password == L"qyyn" ? Held3({L"good", L"good", L"qyyn"}) : Held3(3, L""));
    }
}

}  // namespace
