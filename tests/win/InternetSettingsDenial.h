// Makes the system proxy switch fail for real: a DACL that denies everyone
// writes to HKCU\...\Internet Settings (and grants the rest), which makes
// InternetSetOptionW fail with error 5 under Wine. The key's own DACL is put
// back through a handle opened before the denial, so the restore never needs
// the rights that were denied. Header-only: the in-process and the end-to-end
// tests both use it.
#pragma once

#include <windows.h>

#include <sddl.h>

#include <vector>

class InternetSettingsDenial {
public:
    InternetSettingsDenial()
    {
        // KEY_SET_VALUE | KEY_CREATE_SUB_KEY denied, everything else allowed.
        PSECURITY_DESCRIPTOR denied = nullptr;
        DWORD size = static_cast<DWORD>(m_original.size());
        m_active = ::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x6;;;WD)(A;;KA;;;WD)",
                                                                          SDDL_REVISION_1, &denied, nullptr) &&
                   ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                                     0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &m_key, nullptr) == ERROR_SUCCESS &&
                   ::RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_original.data(), &size) == ERROR_SUCCESS &&
                   ::RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, denied) == ERROR_SUCCESS;
        ::LocalFree(denied);
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
