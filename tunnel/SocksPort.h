// The local port of plink's dynamic SOCKS forward: plink listens there, and
// the system proxy and Firefox point there. Every use takes it from here.
#pragma once

#include <string_view>

#define CORVANE_SOCKS_PORT 1234
#define CORVANE_TEXT_OF(token) #token
#define CORVANE_DIGITS_OF(macro) CORVANE_TEXT_OF(macro)

inline constexpr unsigned short kSocksPort = CORVANE_SOCKS_PORT;
inline constexpr std::string_view kSocksPortText = CORVANE_DIGITS_OF(CORVANE_SOCKS_PORT);
// The system proxy setting that points at it.
inline constexpr std::wstring_view kTunnelProxyServer = L"socks=localhost:" CORVANE_DIGITS_OF(CORVANE_SOCKS_PORT);
