// The system proxy side of the journal: the per-connection options Corvane
// replaces when it points the system at the tunnel, which of them it puts
// back when it switches off, and their journal text.
#pragma once

#include "tunnel/SocksPort.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// WinINet's per-connection flag bits (values fixed by its interface).
inline constexpr std::uint32_t kProxyTypeDirect = 0x1;
inline constexpr std::uint32_t kProxyTypeProxy = 0x2;
inline constexpr std::uint32_t kProxyTypeAutoProxyUrl = 0x4;
inline constexpr std::uint32_t kProxyTypeAutoDetect = 0x8;

// The options of one connection: the LAN settings (empty name) or a
// dial-up/VPN entry, which WinINet uses instead while it is connected.
struct ConnectionOptions {
    std::wstring connection;
    std::uint32_t flags = kProxyTypeDirect;
    std::wstring proxyServer;
    std::wstring proxyBypass;
    std::wstring autoConfigUrl;
    std::uint32_t autoDiscoveryFlags = 0;

    bool operator==(const ConnectionOptions&) const = default;
};

// Pointed at the tunnel, whatever else the flags hold.
bool PointsAtTheTunnel(const ConnectionOptions& options);

// What is recorded before switching on. A connection that still points at the
// tunnel (a run whose journal was lost) is recorded as direct, so that it can
// never be "put back" to the tunnel.
std::vector<ConnectionOptions> JournalOfConnections(const std::vector<ConnectionOptions>& current);

// The connections to write when switching off, from the journal (none when
// there is no journal) and the connections as they are now:
// - with a journal entry: only a connection that still points at the tunnel
//   gets its recorded flags and server back, with any detection the user
//   switched on meanwhile; its bypass list, configuration-script address and
//   detection flags too, unless the user set other ones meanwhile. One the
//   user pointed elsewhere while connected is the user's and stays.
// - without one (no journal, or an entry made while connected): only a
//   connection that points at the tunnel goes direct; everything else stays.
std::vector<ConnectionOptions> ConnectionsToRestore(const std::vector<ConnectionOptions>* journal,
                                                    const std::vector<ConnectionOptions>& current);

std::wstring SerializeConnections(const std::vector<ConnectionOptions>& connections);
// Nothing when the text is not a journal of connections of this version.
std::optional<std::vector<ConnectionOptions>> ParseConnections(std::wstring_view text);
