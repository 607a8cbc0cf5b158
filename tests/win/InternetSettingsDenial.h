// Makes the system proxy switch fail for real: a DACL that denies the current
// user writes to HKCU\...\Internet Settings (and grants the rest), which makes
// InternetSetOptionW fail with error 5 under Wine. The key's own DACL is put
// back through a handle opened before the denial, so the restore never needs
// the rights that were denied. Header-only: the in-process and the end-to-end
// tests both use it.
#pragma once

#include <windows.h>

#include <sddl.h>

#include <memory>
#include <string>
#include <vector>

class InternetSettingsDenial {
public:
    static constexpr const wchar_t* kKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

    InternetSettingsDenial()
    {
        HANDLE rawToken = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken))
            return;
        const std::unique_ptr<void, decltype(&::CloseHandle)> token(rawToken, &::CloseHandle);
        DWORD size = 0;
        std::vector<BYTE> user(256);
        wchar_t* sid = nullptr;
        const bool named =
            ::GetTokenInformation(rawToken, TokenUser, user.data(), static_cast<DWORD>(user.size()), &size) &&
            ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid);
        const std::unique_ptr<void, decltype(&::LocalFree)> ownedSid(sid, &::LocalFree);
        // KEY_SET_VALUE | KEY_CREATE_SUB_KEY denied, everything else allowed.
        const std::wstring sddl = named ? L"D:(D;;0x6;;;" + std::wstring(sid) + L")(A;;KA;;;" + sid + L")" : L"";
        PSECURITY_DESCRIPTOR denied = nullptr;
        if (!named || !::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &denied,
                                                                              nullptr))
            return;
        const std::unique_ptr<void, decltype(&::LocalFree)> ownedDenial(denied, &::LocalFree);
        size = static_cast<DWORD>(m_original.size());
        m_active = ::RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr,
                                     &m_key, nullptr) == ERROR_SUCCESS &&
                   ::RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_original.data(), &size) == ERROR_SUCCESS &&
                   ::RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, denied) == ERROR_SUCCESS;
    }
    InternetSettingsDenial(const InternetSettingsDenial&) = delete;
    InternetSettingsDenial& operator=(const InternetSettingsDenial&) = delete;
    ~InternetSettingsDenial()
    {
        if (m_active)
            ::RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_original.data());
        if (m_key)
            ::RegCloseKey(m_key);
    }

    // False when the denial could not be put in place.
    bool Active() const { return m_active; }

private:
    HKEY m_key = nullptr;
    std::vector<BYTE> m_original = std::vector<BYTE>(4096);  // the key's own DACL
    bool m_active = false;
};
