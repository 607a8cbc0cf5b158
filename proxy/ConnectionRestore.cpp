#include "proxy/ConnectionRestore.h"

#include "proxy/JournalText.h"

#include <algorithm>

namespace {

constexpr std::wstring_view kConnectionTag = L"connection";

const ConnectionOptions* FindConnection(const std::vector<ConnectionOptions>& list, const std::wstring& name)
{
    const auto found = std::find_if(list.begin(), list.end(),
                                    [&name](const ConnectionOptions& c) { return c.connection == name; });
    return found == list.end() ? nullptr : &*found;
}

// A value the switch never writes: the user's current one when it was changed
// to something, else the recorded one (so one the switch cleared comes back).
template <class Value>
Value KeptOrRecorded(const Value& current, const Value& recorded)
{
    return current != recorded && current != Value{} ? current : recorded;
}

ConnectionOptions Restored(const ConnectionOptions& recorded, const ConnectionOptions& current)
{
    ConnectionOptions restored = recorded;
    restored.connection = current.connection;
    // Detection the user switched on while connected stays on.
    restored.flags |= current.flags & (kProxyTypeAutoProxyUrl | kProxyTypeAutoDetect);
    restored.proxyBypass = KeptOrRecorded(current.proxyBypass, recorded.proxyBypass);
    restored.autoConfigUrl = KeptOrRecorded(current.autoConfigUrl, recorded.autoConfigUrl);
    restored.autoDiscoveryFlags = KeptOrRecorded(current.autoDiscoveryFlags, recorded.autoDiscoveryFlags);
    return restored;
}

}  // namespace

bool PointsAtTheTunnel(const ConnectionOptions& options)
{
    return (options.flags & kProxyTypeProxy) != 0 && options.proxyServer == kTunnelProxyServer;
}

std::vector<ConnectionOptions> JournalOfConnections(const std::vector<ConnectionOptions>& current)
{
    std::vector<ConnectionOptions> journal = current;
    for (ConnectionOptions& entry : journal) {
        if (PointsAtTheTunnel(entry)) {
            entry.flags = kProxyTypeDirect;
            entry.proxyServer.clear();
        }
    }
    return journal;
}

std::vector<ConnectionOptions> ConnectionsToRestore(const std::vector<ConnectionOptions>* journal,
                                                    const std::vector<ConnectionOptions>& current)
{
    std::vector<ConnectionOptions> writes;
    for (const ConnectionOptions& now : current) {
        const ConnectionOptions* recorded = journal ? FindConnection(*journal, now.connection) : nullptr;
        if (recorded) {
            if (PointsAtTheTunnel(now))
                writes.push_back(Restored(*recorded, now));
        } else if (PointsAtTheTunnel(now)) {
            ConnectionOptions direct = now;
            direct.flags = kProxyTypeDirect;
            direct.proxyServer.clear();
            writes.push_back(direct);
        }
    }
    return writes;
}

std::wstring SerializeConnections(const std::vector<ConnectionOptions>& connections)
{
    std::vector<std::vector<std::wstring>> records;
    for (const ConnectionOptions& c : connections) {
        records.push_back({std::wstring(kConnectionTag), c.connection, std::to_wstring(c.flags), c.proxyServer,
                           c.proxyBypass, c.autoConfigUrl, std::to_wstring(c.autoDiscoveryFlags)});
    }
    return JoinJournalRecords(records);
}

std::optional<std::vector<ConnectionOptions>> ParseConnections(std::wstring_view text)
{
    const auto records = SplitJournalRecords(text);
    if (!records)
        return std::nullopt;
    std::vector<ConnectionOptions> connections;
    for (const std::vector<std::wstring>& r : *records) {
        if (r.size() != 7 || r[0] != kConnectionTag)
            return std::nullopt;
        const auto flags = ParseJournalNumber(r[2]);
        const auto detection = ParseJournalNumber(r[6]);
        if (!flags || !detection || FindConnection(connections, r[1]))
            return std::nullopt;
        connections.push_back({r[1], *flags, r[3], r[4], r[5], *detection});
    }
    return connections;
}
