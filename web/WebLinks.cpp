// The commands that open the service's pages in the default browser; none
// of them depends on the connection state.
#include "framework/Seams.h"
#include "ui/CorvaneDlg.h"
#include "web/WebAddresses.h"

void CCorvaneDlg::OnManageMyAccount()
{
    OpenUrl(AccountPageUrlWithCustomer(m_strAccountUrl, m_strCustomerId));
}

void CCorvaneDlg::OnHelp()
{
    OpenUrl(HelpPageUrl());
}

void CCorvaneDlg::OnVerifyMyConnection()
{
    OpenUrl(IpAddressPageUrl());
}

void CCorvaneDlg::OnSignUp()
{
    OpenUrl(SignUpPageUrl());
}

void CCorvaneDlg::OnCheckForUpdates()
{
    OpenUrl(UpdatePageUrl());
}
