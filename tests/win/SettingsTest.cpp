// The settings store: the application's profile functions against the test
// key, the values a fresh or edited profile gives the main dialog, the INI
// customer id, and Restore System Defaults.
#include "TestSupport.h"

#include "app/CorvaneApp.h"
#include "app/Settings.h"
#include "res/resource.h"

#include <gmock/gmock.h>

#include <climits>
#include <optional>
#include <vector>

namespace {

constexpr const wchar_t* kTestCompany = L"CorvaneTests";
constexpr const wchar_t* kRestoreQuestion = L"Are you sure you want to restore the system defaults?";

std::wstring SectionPath()
{
    return TheTestApp().ProfileKeyPath() + L"\\" + settings::kSection;
}

void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes)
{
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, SectionPath().c_str(), name, type, data, bytes), ERROR_SUCCESS);
}

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

std::optional<RawValue> ReadRaw(const wchar_t* name)
{
    DWORD type = 0, size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, SectionPath().c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value{type, std::vector<BYTE>(size)};
    if (::RegGetValueW(HKEY_CURRENT_USER, SectionPath().c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                       value.bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.bytes.resize(size);
    return value;
}

// The product's application object. It is made before the test run's own
// application (a namespace-scope object, constructed before wmain), because the
// application constructed last is the current one and the tests need theirs to
// stay current. Its handlers work on the current application's profile.
CCorvaneApp g_productApp;

CCorvaneApp& ProductApp()
{
    g_productApp.m_strAppName = TheTestApp().m_strAppName;
    g_productApp.SetRegistryKey(kTestCompany);
    return g_productApp;
}

class SettingsStoreTest : public testing::Test {
protected:
    ScopedTestProfile m_profile;
};

TEST_F(SettingsStoreTest, IntegersAreStoredAsDwordsAndReadBackUnsigned)
{
    CWinApp& app = TheTestApp();
    for (int value : {0, 1, 200, 300, -1, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(app.WriteProfileInt(settings::kSection, L"Number", value));
        const std::optional<RawValue> raw = ReadRaw(L"Number");
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(raw->bytes.size(), sizeof(DWORD));
        EXPECT_EQ(app.GetProfileInt(settings::kSection, L"Number", 7), static_cast<UINT>(value));
    }
}

TEST_F(SettingsStoreTest, StringsAreStoredAsTerminatedRegSzAndReadBackWhole)
{
    CWinApp& app = TheTestApp();
    const std::wstring longText = std::wstring(20000, L'q') + L"\u20AC";
    for (const std::wstring& text : {std::wstring(), std::wstring(L"bob"), std::wstring(L"\u201A\u0192\u201E"), longText}) {
        SCOPED_TRACE(text.size());
        ASSERT_TRUE(app.WriteProfileString(settings::kSection, L"Text", text));
        const std::optional<RawValue> raw = ReadRaw(L"Text");
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(raw->bytes.size(), (text.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(app.GetProfileString(settings::kSection, L"Text", L"default"), text);
    }
}

TEST_F(SettingsStoreTest, AbsentValuesReadAsTheCallersDefault)
{
    CWinApp& app = TheTestApp();
    EXPECT_EQ(app.GetProfileInt(settings::kSection, settings::kCurrentLocation, 200), 200u);
    EXPECT_EQ(app.GetProfileString(settings::kSection, settings::kUsername, L"none"), L"none");
    app.WriteProfileInt(settings::kSection, L"Other", 5);
    EXPECT_EQ(app.GetProfileInt(settings::kSection, settings::kX, 300), 300u) << "section present, value absent";
    EXPECT_EQ(app.GetProfileInt(L"NoSuchSection", L"Other", 9), 9u);
    EXPECT_EQ(settings::GetString(settings::kPassword), L"");
}

TEST_F(SettingsStoreTest, ValuesOfAnotherTypeReadAsTheDefault)
{
    CWinApp& app = TheTestApp();
    const wchar_t text[] = L"402";
    WriteRaw(L"IntAsText", REG_SZ, text, sizeof(text));
    const DWORD number = 402;
    WriteRaw(L"TextAsInt", REG_DWORD, &number, sizeof(number));
    WriteRaw(L"IntAsBinary", REG_BINARY, &number, sizeof(number));
    const ULONGLONG wide = 402;
    WriteRaw(L"IntAsQword", REG_QWORD, &wide, sizeof(wide));
    WriteRaw(L"TextAsBinary", REG_BINARY, text, sizeof(text));

    EXPECT_EQ(app.GetProfileInt(settings::kSection, L"IntAsText", 200), 200u);
    EXPECT_EQ(app.GetProfileInt(settings::kSection, L"IntAsBinary", 200), 200u);
    EXPECT_EQ(app.GetProfileInt(settings::kSection, L"IntAsQword", 200), 200u);
    EXPECT_EQ(app.GetProfileString(settings::kSection, L"TextAsInt", L"d"), L"d");
    EXPECT_EQ(app.GetProfileString(settings::kSection, L"TextAsBinary", L"d"), L"d");
}

TEST_F(SettingsStoreTest, StringsWrittenByOtherMeansEndAtTheirDataOrFirstNul)
{
    CWinApp& app = TheTestApp();
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    WriteRaw(L"Unterminated", REG_SZ, unterminated, sizeof(unterminated));
    const wchar_t embedded[] = L"ab\0cd";
    WriteRaw(L"Embedded", REG_SZ, embedded, sizeof(embedded));
    WriteRaw(L"Empty", REG_SZ, nullptr, 0);
    const wchar_t odd[] = L"xy";
    WriteRaw(L"OddBytes", REG_SZ, odd, 3);

    EXPECT_EQ(app.GetProfileString(settings::kSection, L"Unterminated"), L"abc");
    EXPECT_EQ(app.GetProfileString(settings::kSection, L"Embedded"), L"ab");
    EXPECT_EQ(app.GetProfileString(settings::kSection, L"Empty", L"d"), L"");
    EXPECT_EQ(app.GetProfileString(settings::kSection, L"OddBytes"), L"x");
}

TEST_F(SettingsStoreTest, FreshProfileGivesTheDialogItsDefaults)
{
    MainDialogHarness dialog;
    EXPECT_EQ(dialog->m_strUsername, L"");
    EXPECT_EQ(dialog->m_strPassword, L"");
    EXPECT_EQ(dialog->m_chkRemember.GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(dialog->m_nCurrentLocation, 200u);
    EXPECT_TRUE(dialog->m_warnings.exitMessage);
    EXPECT_TRUE(dialog->m_warnings.browserMessage);
    EXPECT_TRUE(dialog->m_warnings.enableBrowserMessage);
    EXPECT_TRUE(dialog->m_warnings.enableSwitchSrvrMessage);
}

TEST_F(SettingsStoreTest, EachWarningFlagIsReadIntoItsOwnMember)
{
    const std::pair<const wchar_t*, bool WarningSwitches::*> flags[] = {
        {settings::kExitMessage, &WarningSwitches::exitMessage},
        {settings::kBrowserMessage, &WarningSwitches::browserMessage},
        {settings::kEnableBrowserMessage, &WarningSwitches::enableBrowserMessage},
        {settings::kEnableSwitchSrvrMessage, &WarningSwitches::enableSwitchSrvrMessage},
    };
    // Two alternating patterns tell every value from its neighbours; any
    // non-zero value counts as on.
    for (bool firstOn : {false, true}) {
        SCOPED_TRACE(firstOn);
        ScopedTestProfile::Clear();
        bool on = firstOn;
        for (const auto& [name, member] : flags) {
            settings::WriteInt(name, on ? 2 : 0);
            on = !on;
        }
        MainDialogHarness dialog;
        on = firstOn;
        for (const auto& [name, member] : flags) {
            EXPECT_EQ(dialog.Dialog().m_warnings.*member, on) << name;
            on = !on;
        }
    }
}

TEST_F(SettingsStoreTest, CustomerIdComesFromTheIniFileAndIsAtMost255Characters)
{
    TempFolder folder;
    const std::wstring ini = (folder.Path() / L"Corvane.ini").wstring();
    EXPECT_EQ(settings::ReadCustomerId(ini), L"") << "no file";

    WriteFileBytes(folder.Path() / L"Corvane.ini", "[STATISTICS]\r\nOTHER=1\r\n");
    EXPECT_EQ(settings::ReadCustomerId(ini), L"") << "no key";

    WriteFileBytes(folder.Path() / L"Corvane.ini", "[OTHER]\r\nC_ID=wrong\r\n[STATISTICS]\r\nC_ID=cust-42\r\n");
    EXPECT_EQ(settings::ReadCustomerId(ini), L"cust-42");

    WriteFileBytes(folder.Path() / L"Corvane.ini", "[STATISTICS]\r\nC_ID=" + std::string(300, 'c') + "\r\n");
    EXPECT_EQ(settings::ReadCustomerId(ini), std::wstring(255, L'c'));
}

class RestoreSystemDefaultsTest : public SettingsStoreTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AfxGetApp(), &TheTestApp());
        for (const wchar_t* flag : kFlags)
            settings::WriteInt(flag, 0);
        settings::WriteString(settings::kUsername, L"kept");
        settings::WriteInt(settings::kCurrentLocation, 402);
        settings::WriteInt(settings::kX, 40);
        settings::WriteInt(settings::kRemember, 1);
        m_dialog.emplace(IDD_MAIN_REMEMBERED);
        ProductApp().m_pDialog = &m_dialog->Dialog();
    }
    void TearDown() override { g_productApp.m_pDialog = nullptr; }

    void ExpectFlags(unsigned stored, bool members)
    {
        for (const wchar_t* flag : kFlags)
            EXPECT_EQ(settings::GetInt(flag, 7), stored) << flag;
        CCorvaneDlg& dialog = m_dialog->Dialog();
        EXPECT_EQ(dialog.m_warnings.exitMessage, members);
        EXPECT_EQ(dialog.m_warnings.browserMessage, members);
        EXPECT_EQ(dialog.m_warnings.enableBrowserMessage, members);
        EXPECT_EQ(dialog.m_warnings.enableSwitchSrvrMessage, members);
    }
    void ExpectOtherValuesKept()
    {
        EXPECT_EQ(settings::GetString(settings::kUsername), L"kept");
        EXPECT_EQ(settings::GetInt(settings::kCurrentLocation, 7), 402u);
        EXPECT_EQ(settings::GetInt(settings::kX, 7), 40u);
        EXPECT_EQ(settings::GetInt(settings::kRemember, 7), 1u);
    }

    static constexpr const wchar_t* kFlags[] = {settings::kExitMessage, settings::kBrowserMessage,
                                                settings::kEnableBrowserMessage, settings::kEnableSwitchSrvrMessage};
    std::optional<MainDialogHarness> m_dialog;
};

TEST_F(RestoreSystemDefaultsTest, AnsweredNoChangesNothing)
{
    ExpectFlags(0, false);
    MessageBoxScript boxes({IDNO});
    ProductApp().OnRestoreSystemDefaults();

    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, kRestoreQuestion);
    EXPECT_EQ(boxes.Shown()[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes.Shown()[0].caption, L"Corvane");
    EXPECT_EQ(boxes.Shown()[0].owner, m_dialog->Dialog().GetSafeHwnd());
    ExpectFlags(0, false);
    ExpectOtherValuesKept();
}

TEST_F(RestoreSystemDefaultsTest, AnsweredYesTurnsTheFourWarningsBackOnInProfileAndRunningDialog)
{
    MessageBoxScript boxes({IDYES});
    ProductApp().OnRestoreSystemDefaults();

    EXPECT_EQ(boxes.Shown().size(), 1u);
    ExpectFlags(1, true);
    for (const wchar_t* flag : kFlags)
        EXPECT_EQ(ReadRaw(flag)->type, static_cast<DWORD>(REG_DWORD)) << flag;
    ExpectOtherValuesKept();
}

TEST_F(RestoreSystemDefaultsTest, TheDialogPassesTheCommandOnToTheApplication)
{
    const size_t routedBefore = TheTestApp().m_routedCommands.size();
    m_dialog->Command(ID_RESTORE_DEFAULTS);
    ASSERT_EQ(TheTestApp().m_routedCommands.size(), routedBefore + 1);
    EXPECT_EQ(TheTestApp().m_routedCommands.back(), static_cast<UINT>(ID_RESTORE_DEFAULTS));
    MessageBoxScript boxes({IDNO});
    EXPECT_TRUE(ProductApp().OnCommand(ID_RESTORE_DEFAULTS)) << "the product's application handles it";
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

}  // namespace
