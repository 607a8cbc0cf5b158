// Makes the system proxy switch fail for real: a DENY ACE for the current user
// on HKCU\...\Internet Settings, which makes InternetSetOptionW fail with
// error 5 under Wine. The key's own DACL is put back through a handle opened
// before the denial, so the restore never needs the rights that were denied.
// Header-only: the in-process and the end-to-end tests both use it.
#pragma once

#include <windows.h>

#include <aclapi.h>

#include <memory>
#include <vector>

class InternetSettingsDenial {
public:
    static constexpr const wchar_t* kKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

    InternetSettingsDenial()
    {
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr,
                              &m_key, nullptr) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        ::RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, nullptr, &size);
        m_original.resize(size);
        if (size == 0 || ::RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_original.data(), &size) != ERROR_SUCCESS)
            return;
        m_active = Deny();
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
    bool Deny()
    {
        std::vector<BYTE> user = CurrentUserSid();
        if (user.empty())
            return false;
        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        PACL original = nullptr;
        if (!::GetSecurityDescriptorDacl(m_original.data(), &present, &original, &defaulted))
            return false;

        EXPLICIT_ACCESSW entries[2] = {};
        entries[0].grfAccessPermissions = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
        entries[0].grfAccessMode = DENY_ACCESS;
        ::BuildTrusteeWithSidW(&entries[0].Trustee, user.data());
        // A key without a DACL allows everything; the new DACL must then
        // still allow the rest, or reading the key would fail too.
        entries[1].grfAccessPermissions = KEY_ALL_ACCESS;
        entries[1].grfAccessMode = GRANT_ACCESS;
        ::BuildTrusteeWithSidW(&entries[1].Trustee, user.data());
        const ULONG entryCount = present && original ? 1 : 2;

        PACL denied = nullptr;
        if (::SetEntriesInAclW(entryCount, entries, present ? original : nullptr, &denied) != ERROR_SUCCESS)
            return false;
        const std::unique_ptr<ACL, decltype(&::LocalFree)> owned(denied, &::LocalFree);
        SECURITY_DESCRIPTOR descriptor;
        return ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
               ::SetSecurityDescriptorDacl(&descriptor, TRUE, denied, FALSE) &&
               ::RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    }

    static std::vector<BYTE> CurrentUserSid()
    {
        HANDLE rawToken = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken))
            return {};
        const std::unique_ptr<void, decltype(&::CloseHandle)> token(rawToken, &::CloseHandle);
        DWORD size = 0;
        ::GetTokenInformation(rawToken, TokenUser, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        if (size == 0 || !::GetTokenInformation(rawToken, TokenUser, buffer.data(), size, &size))
            return {};
        const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
        std::vector<BYTE> copy(::GetLengthSid(sid));
        ::CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid);
        return copy;
    }

    HKEY m_key = nullptr;
    std::vector<BYTE> m_original;
    bool m_active = false;
};
