// The settings store: the application's profile functions against the test
// key, the warning flags the main dialog reads, and Restore System Defaults.
#include "TestSupport.h"

#include "app/CorvaneApp.h"
#include "app/Settings.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

std::wstring SectionPath()
{
    return TheTestApp().ProfileKeyPath() + L"\\" + settings::kSection;
}

// Values as the program writes them, then as a hand-edited profile brings them:
// a value of another type reads as the caller's default, a string ends at its
// data or its first NUL.
TEST(SettingsStoreTest, EachTypeReadsBackWholeAndBadValuesGiveTheDefault)
{
    ScopedTestProfile profile;
    CWinApp& app = TheTestApp();
    for (const std::wstring& text : {std::wstring(), std::wstring(L"\u201A\u0192\u201E"), std::wstring(20000, L'q')}) {
        ASSERT_TRUE(app.WriteProfileString(settings::kSection, L"Text", text));
        DWORD type = 0, size = 0;
        ::RegGetValueW(HKEY_CURRENT_USER, SectionPath().c_str(), L"Text", RRF_RT_ANY, &type, nullptr, &size);
        EXPECT_EQ(std::to_wstring(type) + L" " + std::to_wstring(size), L"1 " + std::to_wstring(text.size() * 2 + 2)) << "REG_SZ with its NUL";
        EXPECT_EQ(app.GetProfileString(settings::kSection, L"Text", L"default"), text);
    }
    const DWORD number = 402;
    const ULONGLONG wide = 402;
    const wchar_t text[] = L"402", unterminated[] = {L'a', L'b', L'c'}, embedded[] = L"ab\0cd";
    // type REG_NONE: the value is absent.
    struct Row { const wchar_t* name; DWORD type; const void* data; DWORD size; UINT asInt; const wchar_t* asText; };
    const Row rows[] = {
        {L"Absent", REG_NONE, nullptr, 0, 200, L"d"},
        {L"Dword", REG_DWORD, &number, sizeof(number), 402, L"d"},
        {L"Text", REG_SZ, text, sizeof(text), 200, L"402"},
        {L"Binary", REG_BINARY, &number, sizeof(number), 200, L"d"},
        {L"TextAsBinary", REG_BINARY, text, sizeof(text), 200, L"d"},
        {L"Qword", REG_QWORD, &wide, sizeof(wide), 200, L"d"},
        {L"Unterminated", REG_SZ, unterminated, sizeof(unterminated), 200, L"abc"},
        {L"Embedded", REG_SZ, embedded, sizeof(embedded), 200, L"ab"},
        {L"Empty", REG_SZ, nullptr, 0, 200, L""},
        {L"OddBytes", REG_SZ, text, 3, 200, L"4"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.name)));
        ASSERT_TRUE(row.type == REG_NONE ||
                    ::RegSetKeyValueW(HKEY_CURRENT_USER, SectionPath().c_str(), row.name, row.type, row.data, row.size) == 0);
        EXPECT_EQ(app.GetProfileInt(settings::kSection, row.name, 200), row.asInt);
        EXPECT_EQ(app.GetProfileString(settings::kSection, row.name, L"d"), row.asText);
    }
}

// The product's application object. It is made before the test run's own
// application (a namespace-scope object, constructed before wmain), because the
// application constructed last is the current one and the tests need theirs to
// stay current. Its handlers work on the current application's profile.
CCorvaneApp g_productApp;

// Each warning flag is read into its own member (any non-zero value is on);
// Restore System Defaults asks, and on Yes turns all four on again in the
// profile and in the running dialog, touching nothing else.
TEST(SettingsStoreTest, RestoreSystemDefaultsTurnsTheWarningsBackOnWhenAnsweredYes)
{
    const wchar_t* const flags[] = {settings::kExitMessage, settings::kBrowserMessage, settings::kEnableBrowserMessage,
                                    settings::kEnableSwitchSrvrMessage};
    g_productApp.m_strAppName = TheTestApp().m_strAppName;
    g_productApp.SetRegistryKey(L"CorvaneTests");
    for (const int answer : {IDNO, IDYES}) {
        ScopedTestProfile profile;
        for (size_t i = 0; i < std::size(flags); ++i)
            settings::WriteInt(flags[i], i % 2 == 0 ? 2 : 0);
        settings::WriteInt(settings::kCurrentLocation, 402);
        MainDialogHarness dialog(IDD_MAIN_REMEMBERED);
        const WarningSwitches& on = dialog->m_warnings;
        EXPECT_EQ(std::vector<bool>({on.exitMessage, on.browserMessage, on.enableBrowserMessage, on.enableSwitchSrvrMessage}),
                  std::vector<bool>({true, false, true, false}));
        g_productApp.m_pDialog = &dialog.Dialog();
        MessageBoxScript boxes({answer});

        EXPECT_TRUE(g_productApp.OnCommand(ID_RESTORE_DEFAULTS)) << "the product's application handles it";

        g_productApp.m_pDialog = nullptr;
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, L"Are you sure you want to restore the system defaults?");
        EXPECT_EQ(boxes.Shown()[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(boxes.Shown()[0].owner, dialog->GetSafeHwnd());
        for (size_t i = 0; i < std::size(flags); ++i)
            EXPECT_EQ(ReadRegDword(SectionPath(), flags[i]), answer == IDYES ? 1u : i % 2 == 0 ? 2u : 0u) << flags[i];
        EXPECT_EQ(on.exitMessage + on.browserMessage + on.enableBrowserMessage + on.enableSwitchSrvrMessage,
                  answer == IDYES ? 4 : 2);
        EXPECT_EQ(ReadRegDword(SectionPath(), settings::kCurrentLocation), 402u);
    }
}

}  // namespace
