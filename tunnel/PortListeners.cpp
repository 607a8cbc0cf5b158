#include "tunnel/PortListeners.h"

// Winsock's headers come before <windows.h>, which Handles.h brings.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "framework/Handles.h"

#include <cstring>

namespace {

// The table of one address family; empty when it cannot be read.
std::vector<BYTE> ListenerTable(ULONG family)
{
    std::vector<BYTE> table;
    DWORD size = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD result =
            ::GetExtendedTcpTable(table.data(), &size, FALSE, family, TCP_TABLE_OWNER_PID_LISTENER, 0);
        if (result == NO_ERROR)
            return table;
        if (result != ERROR_INSUFFICIENT_BUFFER)
            break;
        table.resize(size);
    }
    return {};
}

bool TakesLocalhost(const MIB_TCPROW_OWNER_PID& row)
{
    return row.dwLocalAddr == htonl(INADDR_LOOPBACK) || row.dwLocalAddr == htonl(INADDR_ANY);
}

bool TakesLocalhost(const MIB_TCP6ROW_OWNER_PID& row)
{
    static constexpr UCHAR kLoopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    static constexpr UCHAR kAny[16] = {};
    return std::memcmp(row.ucLocalAddr, kLoopback, 16) == 0 || std::memcmp(row.ucLocalAddr, kAny, 16) == 0;
}

// Adds the owners of the family's listeners on `port` that take connections to localhost.
template <class Table>
void AddOwners(ULONG family, unsigned short port, std::vector<uint32_t>& owners)
{
    const std::vector<BYTE> bytes = ListenerTable(family);
    if (bytes.empty())
        return;
    const auto* table = reinterpret_cast<const Table*>(bytes.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const auto& row = table->table[i];
        if (ntohs(static_cast<u_short>(row.dwLocalPort)) == port && TakesLocalhost(row))
            owners.push_back(row.dwOwningPid);
    }
}

}  // namespace

std::vector<uint32_t> ListenersOnLocalPort(unsigned short port)
{
    std::vector<uint32_t> owners;
    AddOwners<MIB_TCPTABLE_OWNER_PID>(AF_INET, port, owners);
    AddOwners<MIB_TCP6TABLE_OWNER_PID>(AF_INET6, port, owners);
    return owners;
}

std::wstring ProgramNameOfProcess(uint32_t processId)
{
    if (processId == 0)
        return {};
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return {};
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process.Get(), 0, path.data(), &length))
        return {};
    path.resize(length);
    return path.substr(path.find_last_of(L'\\') + 1);
}
