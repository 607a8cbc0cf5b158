// The Firefox side of the journal: the values of the proxy preferences that
// Corvane writes into user.js, read from user.js and prefs.js text, the lines
// that point Firefox at the tunnel and the lines that put the user's own
// values back, and their journal text.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The preferences Corvane owns in user.js, in the order their lines are written.
inline constexpr std::array<std::string_view, 4> kProxyPrefNames = {
    "network.proxy.socks", "network.proxy.socks_port", "network.proxy.type", "network.proxy.socks_remote_dns"};

// Each preference's value as its source text (a quoted string with its
// quotes, a number, true or false), or nothing when it is not set.
struct ProxyPrefValues {
    std::array<std::optional<std::string>, kProxyPrefNames.size()> values;

    bool operator==(const ProxyPrefValues&) const = default;
};

// The last active user_pref of each preference in a user.js or prefs.js
// text; lines that are comments and values of another form do not count.
ProxyPrefValues ReadProxyPrefs(std::string_view text);

// What Firefox used before Corvane switched it on: each preference from
// user.js, else from prefs.js, else not set. Values that are Corvane's own
// tunnel settings (left by a run whose journal was lost) count as not set.
ProxyPrefValues PriorProxyPrefs(std::string_view userJs, std::string_view prefsJs);

// Firefox points at the tunnel's SOCKS end: host localhost and port 1234.
bool PointsAtTheTunnel(const ProxyPrefValues& prefs);

// The lines that point Firefox at the tunnel, each ending in CR LF.
std::string TunnelPrefLines();

// The lines that switch Firefox off, each ending in CR LF. Each preference
// that user.js (`current`) still holds at Corvane's value, or no longer
// holds, gets the recorded value (`prior`, none without a journal), or
// Firefox's default where there is none ("" and 0 for the SOCKS host and
// port, type 5 for the system's settings, no remote DNS), so that the copy
// of Corvane's values that Firefox keeps in prefs.js is overwritten. One the
// user changed while connected keeps the user's value.
std::string RestoredPrefLines(const ProxyPrefValues* prior, const ProxyPrefValues& current);

std::wstring SerializeProxyPrefs(const ProxyPrefValues& prefs);
// Nothing when the text is not a journal of preferences of this version.
std::optional<ProxyPrefValues> ParseProxyPrefs(std::wstring_view text);
