#include "tunnel/PortListeners.h"

// Winsock's headers come before <windows.h>, which Handles.h brings.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "framework/Handles.h"

#include <algorithm>
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

bool TakesLocalhost4(DWORD address)
{
    return address == htonl(INADDR_LOOPBACK) || address == htonl(INADDR_ANY);
}

bool TakesLocalhost6(const UCHAR (&address)[16])
{
    static constexpr UCHAR kLoopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    static constexpr UCHAR kAny[16] = {};
    return std::memcmp(address, kLoopback, 16) == 0 || std::memcmp(address, kAny, 16) == 0;
}

}  // namespace

std::vector<uint32_t> ListenersOnLocalPort(unsigned short port)
{
    std::vector<uint32_t> owners;
    const std::vector<BYTE> table4 = ListenerTable(AF_INET);
    if (!table4.empty()) {
        const auto* rows = reinterpret_cast<const MIB_TCPTABLE_OWNER_PID*>(table4.data());
        for (DWORD i = 0; i < rows->dwNumEntries; ++i) {
            const MIB_TCPROW_OWNER_PID& row = rows->table[i];
            if (ntohs(static_cast<u_short>(row.dwLocalPort)) == port && TakesLocalhost4(row.dwLocalAddr))
                owners.push_back(row.dwOwningPid);
        }
    }
    const std::vector<BYTE> table6 = ListenerTable(AF_INET6);
    if (!table6.empty()) {
        const auto* rows = reinterpret_cast<const MIB_TCP6TABLE_OWNER_PID*>(table6.data());
        for (DWORD i = 0; i < rows->dwNumEntries; ++i) {
            const MIB_TCP6ROW_OWNER_PID& row = rows->table[i];
            if (ntohs(static_cast<u_short>(row.dwLocalPort)) == port && TakesLocalhost6(row.ucLocalAddr))
                owners.push_back(row.dwOwningPid);
        }
    }
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
