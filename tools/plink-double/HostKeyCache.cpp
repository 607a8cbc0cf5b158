#include "HostKeyCache.h"

#include "Win32Text.h"

namespace plink_double {
namespace {

constexpr wchar_t kCacheKey[] = L"Software\\SimonTatham\\PuTTY\\SshHostKeys";

std::wstring ValueName(int port, std::string_view host)
{
    return L"rsa2@" + std::to_wstring(port) + L":" + Wide(host);
}

}  // namespace

std::optional<std::string> ReadCachedHostKey(int port, std::string_view host)
{
    const auto name = ValueName(port, host);
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kCacheKey, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, kCacheKey, name.c_str(), RRF_RT_REG_SZ, nullptr,
                     value.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return Utf8(value);
}

void StoreHostKey(int port, std::string_view host, std::string_view key)
{
    const auto value = Wide(key);
    RegSetKeyValueW(HKEY_CURRENT_USER, kCacheKey, ValueName(port, host).c_str(), REG_SZ,
                    value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace plink_double
