// PuTTY's host-key cache in the registry, read and written as plink does:
// HKCU\Software\SimonTatham\PuTTY\SshHostKeys, value "rsa2@<port>:<host>".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plink_double {

std::optional<std::string> ReadCachedHostKey(int port, std::string_view host);
void StoreHostKey(int port, std::string_view host, std::string_view key);

}  // namespace plink_double
