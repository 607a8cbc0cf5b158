// Who listens on a local TCP port, from the system's TCP tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The owning process ids of every listener that takes connections to
// localhost:<port> (on the loopback or the wildcard address, IPv4 and IPv6).
// Wine reports 0 for every owner: 0 means "unknown".
std::vector<uint32_t> ListenersOnLocalPort(unsigned short port);

// The file name of a process's program ("python.exe"), or empty when the
// process cannot be asked.
std::wstring ProgramNameOfProcess(uint32_t processId);
