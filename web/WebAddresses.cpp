#include "web/WebAddresses.h"

#include "ServiceProfile.h"
#include "framework/TextFormat.h"

namespace {

std::wstring WebSitePage(std::wstring_view path)
{
    return std::wstring(profile::kWebSite).append(path);
}

}  // namespace

std::wstring UpdatePageUrl()
{
    return WebSitePage(L"/corvane_new_update.html");
}

std::wstring AccountPageUrl()
{
    return WebSitePage(L"/managemyaccount.html");
}

std::wstring AccountPageUrlWithCustomer(std::wstring_view accountUrl, std::wstring_view customerId)
{
    if (customerId.empty())
        return std::wstring(accountUrl);
    return FormatText(L"%s?c=%s", {accountUrl, customerId});
}

std::wstring HelpPageUrl()
{
    return WebSitePage(L"/internet_privacy_faq/corvane_faq.html");
}

std::wstring IpAddressPageUrl()
{
    return WebSitePage(L"/IP_address.html");
}

std::wstring SignUpPageUrl()
{
    return profile::kSignUpUrl;
}
