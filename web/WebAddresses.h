// Addresses of the service's pages that the program opens in the browser.
#pragma once

#include <string>
#include <string_view>

std::wstring UpdatePageUrl();
std::wstring AccountPageUrl();
// "<account url>?c=<id>" with the id unescaped, or the account url alone for an empty id.
std::wstring AccountPageUrlWithCustomer(std::wstring_view accountUrl, std::wstring_view customerId);
std::wstring HelpPageUrl();
std::wstring IpAddressPageUrl();
std::wstring SignUpPageUrl();
