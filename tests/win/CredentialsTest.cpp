// The username and password fields of the real main dialog: refusal of
// forbidden characters, the Connect button rule and "Remember".
#include "TestSupport.h"

#include "ServiceProfile.h"
#include "app/Settings.h"
#include "framework/Strings.h"
#include "res/resource.h"
#include "ui/PasswordCodec.h"

#include <gmock/gmock.h>

#include <optional>

namespace {

const std::wstring kRefusalText =
    std::wstring(L"We're sorry!\n\nCorvane doesn\u2019t accept special characters, yet our payment processor "
                 L"does.\nPlease send an e-mail to ") +
    profile::kSupportEmail + L" with your username and password so we can remove the special character.";

constexpr const wchar_t* kAbsent = L"<absent>";

// The 29 distinct characters that no username or password may hold.
constexpr std::wstring_view kEveryForbiddenCharacter = L"\" ~`!@#$%&*()<>{}[]'?,:;+=/\\.";

struct Field {
    int id;
    const wchar_t* profileValue;
    UINT refusalFlags;
    std::wstring CCorvaneDlg::*member;
};

const Field kUsernameField{IDC_USERNAME, settings::kUsername, MB_OK | MB_ICONINFORMATION, &CCorvaneDlg::m_strUsername};
const Field kPasswordField{IDC_PASSWORD, settings::kPassword, MB_OK, &CCorvaneDlg::m_strPassword};

std::wstring StoredString(const wchar_t* name)
{
    return TheTestApp().GetProfileString(settings::kSection, name, kAbsent);
}

class CredentialsEntryTest : public testing::Test {
protected:
    void Open() { m_dialog.emplace(IDD_MAIN_SIGNUP); }
    CCorvaneDlg& Dialog() { return m_dialog->Dialog(); }
    HWND Control(int id) { return Dialog().GetDlgItem(id); }

    // WM_SETTEXT raises EN_CHANGE just as typing or pasting does.
    void Type(int id, const std::wstring& text)
    {
        ::SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        PumpMessages();
    }
    std::wstring FieldText(int id) { return GetWindowTextString(Control(id)); }
    std::pair<DWORD, DWORD> Selection(int id)
    {
        DWORD start = 0, end = 0;
        ::SendMessageW(Control(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    // The auto check box toggles and then reports BN_CLICKED.
    void SetRemember(bool ticked)
    {
        ::SendMessageW(Control(IDC_REMEMBER), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
        m_dialog->Command(IDC_REMEMBER, BN_CLICKED);
    }
    bool ConnectEnabled() { return ::IsWindowEnabled(Control(IDC_CONNECT)) != FALSE; }

    ScopedTestProfile m_profile;
    std::optional<MainDialogHarness> m_dialog;
};

TEST_F(CredentialsEntryTest, ForbiddenCharacterIsRefusedWithItsMessageOnceAndChangesNothing)
{
    Open();
    SetRemember(true);
    for (const Field& field : {kUsernameField, kPasswordField}) {
        SCOPED_TRACE(field.profileValue);
        Type(field.id, L"alice");
        const std::wstring storedBefore = StoredString(field.profileValue);

        MessageBoxScript boxes;
        Type(field.id, L"alice.");

        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, kRefusalText);
        EXPECT_EQ(boxes.Shown()[0].caption, L"Corvane");
        EXPECT_EQ(boxes.Shown()[0].flags, field.refusalFlags);
        EXPECT_EQ(boxes.Shown()[0].owner, Dialog().GetSafeHwnd());
        EXPECT_EQ(FieldText(field.id), L"alice");
        EXPECT_EQ(Dialog().*field.member, L"alice");
        EXPECT_EQ(StoredString(field.profileValue), storedBefore);
        EXPECT_EQ(Selection(field.id), std::make_pair(DWORD{5}, DWORD{5}));
    }
    EXPECT_EQ(StoredString(settings::kPassword), EncodePassword(L"alice"));
}

TEST_F(CredentialsEntryTest, EveryForbiddenCharacterIsRefusedWhereverItStands)
{
    ASSERT_EQ(kEveryForbiddenCharacter.size(), 29u);
    std::vector<std::wstring> refused;
    for (wchar_t forbidden : kEveryForbiddenCharacter)
        for (const std::wstring& pasted : {std::wstring(1, forbidden), L"ok" + std::wstring(1, forbidden),
                                           L"a" + std::wstring(1, forbidden) + L"b"})
            refused.push_back(pasted);
    // Control characters and a leading dash would turn a value into plink options.
    for (const wchar_t* pasted : {L"x\t-proxycmd\tcalc.exe", L"a\tb", L"a\x01", L"a\x1F", L"a\x7F", L"-pw", L"-"})
        refused.push_back(pasted);

    Open();
    for (const Field& field : {kUsernameField, kPasswordField}) {
        Type(field.id, L"ok");
        for (const std::wstring& pasted : refused) {
            SCOPED_TRACE(testing::Message() << field.profileValue << " " << testing::PrintToString(pasted));
            MessageBoxScript boxes;
            Type(field.id, pasted);
            EXPECT_EQ(boxes.Shown().size(), 1u);
            EXPECT_EQ(FieldText(field.id), L"ok");
            EXPECT_EQ(Dialog().*field.member, L"ok");
        }
    }
}

TEST_F(CredentialsEntryTest, LettersDigitsAndTheFourAllowedMarksPass)
{
    Open();
    MessageBoxScript boxes;
    for (const Field& field : {kUsernameField, kPasswordField}) {
        for (const wchar_t* text : {L"^", L"a-", L"_", L"|", L"Ab_9-x^y|z", L"\u00e9t\u00e9", L""}) {
            SCOPED_TRACE(testing::Message() << field.profileValue << " " << testing::PrintToString(text));
            Type(field.id, text);
            EXPECT_EQ(FieldText(field.id), text);
            EXPECT_EQ(Dialog().*field.member, text);
        }
    }
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(CredentialsEntryTest, RememberStoresUsernamePlainAndPasswordEncodedAndUntickingEmptiesBoth)
{
    Open();
    Type(IDC_USERNAME, L"bob");
    Type(IDC_PASSWORD, L"abc");
    EXPECT_EQ(StoredString(settings::kUsername), kAbsent) << "typing with the box clear";
    EXPECT_EQ(StoredString(settings::kPassword), kAbsent);

    SetRemember(true);
    EXPECT_EQ(StoredString(settings::kUsername), L"bob");
    EXPECT_EQ(StoredString(settings::kPassword), L"klm");
    EXPECT_EQ(settings::GetInt(settings::kRemember, 7), 1u);

    SetRemember(false);
    EXPECT_EQ(StoredString(settings::kUsername), L"");
    EXPECT_EQ(StoredString(settings::kPassword), L"");
    EXPECT_EQ(settings::GetInt(settings::kRemember, 7), 0u);
    EXPECT_EQ(Dialog().m_strUsername, L"bob") << "unticking keeps the fields";
    EXPECT_EQ(Dialog().m_strPassword, L"abc");
}

TEST_F(CredentialsEntryTest, TypingWithTheBoxTickedUpdatesTheProfileAtOnceAndWithItClearDoesNot)
{
    Open();
    SetRemember(true);
    Type(IDC_PASSWORD, L"xyz");
    EXPECT_EQ(StoredString(settings::kPassword), L"\u201A\u0192\u201E");
    Type(IDC_USERNAME, L"carol");
    EXPECT_EQ(StoredString(settings::kUsername), L"carol");

    SetRemember(false);
    Type(IDC_USERNAME, L"dave");
    Type(IDC_PASSWORD, L"pw");
    EXPECT_EQ(StoredString(settings::kUsername), L"");
    EXPECT_EQ(StoredString(settings::kPassword), L"");
    EXPECT_EQ(Dialog().m_strUsername, L"dave");
    EXPECT_EQ(Dialog().m_strPassword, L"pw");
}

TEST_F(CredentialsEntryTest, ConnectIsEnabledOnlyWhileBothFieldsHoldText)
{
    Open();
    EXPECT_FALSE(ConnectEnabled());
    struct Step {
        const wchar_t* username;
        const wchar_t* password;
        bool enabled;
    };
    for (const Step& step : {Step{L"u", L"", false}, Step{L"u", L"p", true}, Step{L"", L"p", false},
                             Step{L"", L"", false}, Step{L"user", L"pass", true}}) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(step.username) << " "
                                        << testing::PrintToString(step.password));
        Type(IDC_USERNAME, step.username);
        Type(IDC_PASSWORD, step.password);
        EXPECT_EQ(ConnectEnabled(), step.enabled);
    }
    // A refused character leaves the button as the unchanged members say.
    MessageBoxScript boxes;
    Type(IDC_PASSWORD, L"pa ss");
    EXPECT_TRUE(ConnectEnabled());
}

TEST_F(CredentialsEntryTest, StoredCredentialsFillTheFieldsDecodedAndBothEditsTakeFifteenCharacters)
{
    settings::WriteString(settings::kUsername, L"erin");
    settings::WriteString(settings::kPassword, EncodePassword(L"vwxyz"));
    settings::WriteInt(settings::kRemember, 1);
    Open();
    EXPECT_EQ(FieldText(IDC_USERNAME), L"erin");
    EXPECT_EQ(FieldText(IDC_PASSWORD), L"vwxyz");
    EXPECT_EQ(Dialog().m_strPassword, L"vwxyz");
    EXPECT_TRUE(ConnectEnabled());
    EXPECT_EQ(::SendMessageW(Control(IDC_USERNAME), EM_GETLIMITTEXT, 0, 0), 15);
    EXPECT_EQ(::SendMessageW(Control(IDC_PASSWORD), EM_GETLIMITTEXT, 0, 0), 15);
}

TEST_F(CredentialsEntryTest, StoredPasswordLongerThanSixtyThreeUnitsKeepsItsFirstSixtyThree)
{
    settings::WriteString(settings::kPassword, std::wstring(100, L'k'));
    settings::WriteInt(settings::kRemember, 1);
    MessageBoxScript boxes;
    Open();
    EXPECT_EQ(Dialog().m_strPassword, std::wstring(63, L'a'));
    EXPECT_EQ(FieldText(IDC_PASSWORD), std::wstring(63, L'a'));
    EXPECT_TRUE(boxes.Shown().empty());
}

struct StoredBadCase {
    const wchar_t* username;
    std::wstring encodedPassword;
    std::vector<UINT> expectedFlags;  // password first: its edit is filled first
};

TEST_F(CredentialsEntryTest, StoredValueWithForbiddenCharacterIsClearedOnceWithOneMessage)
{
    const StoredBadCase cases[] = {
        {L"bad name", EncodePassword(L"good"), {MB_OK | MB_ICONINFORMATION}},
        {L"good", EncodePassword(L"pa.ss"), {MB_OK}},
        {L"a@b", EncodePassword(L"x y"), {MB_OK, MB_OK | MB_ICONINFORMATION}},
        {L"x\t-proxycmd\tcalc.exe", EncodePassword(L"good"), {MB_OK | MB_ICONINFORMATION}},
        {L"good", EncodePassword(L"-oProxyCommand"), {MB_OK}},
    };
    for (const StoredBadCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.username));
        ScopedTestProfile::Clear();
        settings::WriteString(settings::kUsername, c.username);
        settings::WriteString(settings::kPassword, c.encodedPassword);
        settings::WriteInt(settings::kRemember, 1);
        MessageBoxScript boxes;
        Open();

        std::vector<UINT> flags;
        for (const MessageBoxRequest& shown : boxes.Shown()) {
            EXPECT_EQ(shown.text, kRefusalText);
            flags.push_back(shown.flags);
        }
        EXPECT_EQ(flags, c.expectedFlags);
        const bool badUsername = std::wstring_view(c.username) != L"good";
        const bool badPassword = c.encodedPassword != EncodePassword(L"good");
        EXPECT_EQ(FieldText(IDC_USERNAME), badUsername ? L"" : L"good");
        EXPECT_EQ(Dialog().m_strUsername, badUsername ? L"" : L"good");
        EXPECT_EQ(StoredString(settings::kUsername), badUsername ? L"" : L"good");
        EXPECT_EQ(FieldText(IDC_PASSWORD), badPassword ? L"" : L"good");
        EXPECT_EQ(Dialog().m_strPassword, badPassword ? L"" : L"good");
        EXPECT_EQ(StoredString(settings::kPassword), badPassword ? L"" : EncodePassword(L"good"));
        EXPECT_FALSE(ConnectEnabled());
        m_dialog.reset();
    }
}

}  // namespace
