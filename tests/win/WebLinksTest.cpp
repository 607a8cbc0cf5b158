// The commands that open the service's pages: which address each one hands
// to the shell.
#include "TestSupport.h"

#include "app/Settings.h"
#include "res/resource.h"
#include "web/WebAddresses.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

class WebLinksTest : public testing::Test {
protected:
    ScopedTestProfile profile;
};

TEST_F(WebLinksTest, EachCommandOpensItsPage)
{
    MainDialogHarness dialog;
    struct Case {
        UINT command;
        std::wstring url;
    };
    const Case cases[] = {
        {IDC_MANAGE_ACCOUNT, AccountPageUrl()}, {IDC_HELP_BUTTON, HelpPageUrl()},
        {ID_HELP_COMMAND, HelpPageUrl()},       {IDC_VERIFY_CONNECTION, IpAddressPageUrl()},
        {IDC_SIGNUP_LINK, SignUpPageUrl()},     {ID_CHECK_UPDATES, UpdatePageUrl()},
    };
    for (const Case& c : cases) {
        UrlRecorder urls;
        dialog.Command(c.command);
        EXPECT_EQ(urls.Opened(), std::vector<std::wstring>{c.url}) << "command " << c.command;
    }
}

TEST_F(WebLinksTest, TheAccountPageCarriesTheCustomerIdUnescaped)
{
    MainDialogHarness dialog;
    for (const std::wstring id : {L"12345", L"a b&c=d"}) {
        dialog->m_strCustomerId = id;
        UrlRecorder urls;
        dialog.Command(IDC_MANAGE_ACCOUNT);
        EXPECT_EQ(urls.Opened(), std::vector<std::wstring>{AccountPageUrl() + L"?c=" + id});
    }
}

TEST_F(WebLinksTest, CheckForUpdatesTouchesNeitherStoredTime)
{
    MainDialogHarness dialog;
    settings::WriteInt(settings::kLastUpdateAsk, 1234);
    UrlRecorder urls;
    dialog.Command(ID_CHECK_UPDATES);
    EXPECT_EQ(settings::GetInt(settings::kLastUpdateAsk, 0), 1234u);
    EXPECT_EQ(settings::GetInt(settings::kLastUpdateCheck, 99), 99u);
}

TEST(CustomerIdTest, ReadsTheIniFileBesideTheProgram)
{
    TempFolder folder;
    const std::wstring ini = (folder.Path() / L"Corvane.ini").wstring();
    EXPECT_EQ(settings::ReadCustomerId(ini), L"");  // no file
    WriteFileBytes(folder.Path() / L"Corvane.ini", "[STATISTICS]\r\nC_ID=12345\r\n");
    EXPECT_EQ(settings::ReadCustomerId(ini), L"12345");
    WriteFileBytes(folder.Path() / L"Corvane.ini", "[OTHER]\r\nC_ID=1\r\n");
    EXPECT_EQ(settings::ReadCustomerId(ini), L"");
    // At most 255 characters are kept.
    WriteFileBytes(folder.Path() / L"Corvane.ini", "[STATISTICS]\r\nC_ID=" + std::string(400, '7') + "\r\n");
    EXPECT_EQ(settings::ReadCustomerId(ini), std::wstring(255, L'7'));
}

}  // namespace
