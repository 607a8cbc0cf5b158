// PuTTY's host-key cache, seeded with the service's pinned key before a launch.
#pragma once

#include <string>

inline constexpr const wchar_t* kPuttyHostKeysPath = L"Software\\SimonTatham\\PuTTY\\SshHostKeys";

// Writes the pinned key under "rsa2@4962:<host>", replacing whatever was
// there. Every failure is silent: plink then asks about the key and the
// monitor sees the question.
void SeedHostKey(const std::wstring& host);
