#include "tunnel/HostKey.h"

#include "ServiceProfile.h"
#include "framework/Handles.h"
#include "tunnel/TunnelText.h"

void SeedHostKey(const std::wstring& host)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPuttyHostKeysPath, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS &&
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kPuttyHostKeysPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                          nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return;
    UniqueRegKey key(opened);
    const std::wstring name = HostKeyValueName(host);
    const std::wstring keyText = profile::kHostKey;
    ::RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(keyText.c_str()),
                     static_cast<DWORD>((keyText.size() + 1) * sizeof(wchar_t)));
}
