#include "ForwardPort.h"

namespace plink_double {

ForwardPort::ForwardPort(int port)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return;
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Exclusive, as plink binds: a second tunnel on the same port must fail.
    BOOL exclusive = TRUE;
    setsockopt(m_socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    if (bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return;
    listen(m_socket, SOMAXCONN);
}

ForwardPort::~ForwardPort()
{
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
    WSACleanup();
}

}  // namespace plink_double
