// The double's end of plink's dynamic forwarding: it holds 127.0.0.1:<port>
// in listening state while it is up, as plink's -D does, so that Corvane sees
// its own tunnel listening there and a tunnel left running keeps the port
// taken. Connections wait in the backlog; nothing is relayed.
#pragma once

#include <winsock2.h>

namespace plink_double {

class ForwardPort {
public:
    // When the port is taken, plink says nothing and stays up without it, and
    // so does the double.
    explicit ForwardPort(int port);
    ForwardPort(const ForwardPort&) = delete;
    ForwardPort& operator=(const ForwardPort&) = delete;
    ~ForwardPort();

private:
    SOCKET m_socket = INVALID_SOCKET;
};

}  // namespace plink_double
