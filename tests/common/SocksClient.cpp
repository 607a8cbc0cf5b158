#include "SocksClient.h"

#include <winsock2.h>

#include <algorithm>

namespace {

constexpr unsigned short kWebServerPort = 8462;

// A TCP connection to a loopback port whose receives give up after 5 s.
class Socket {
public:
    explicit Socket(unsigned short port)
    {
        static const bool started = [] {
            WSADATA data;
            return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
        }();
        if (!started || (m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) == INVALID_SOCKET)
            return;
        const DWORD timeoutMs = 5000;
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof(timeoutMs));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~Socket()
    {
        if (m_socket != INVALID_SOCKET)
            ::closesocket(m_socket);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool Connected() const { return m_connected; }

    bool Send(const std::string& bytes)
    {
        return ::send(m_socket, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
    }

    // Up to `limit` bytes: fewer when the peer closes or the time is up.
    std::string Receive(size_t limit = SIZE_MAX)
    {
        std::string bytes;
        char buffer[4096];
        for (int n; bytes.size() < limit &&
                    (n = ::recv(m_socket, buffer, static_cast<int>(std::min(sizeof(buffer), limit - bytes.size())), 0)) > 0;)
            bytes.append(buffer, static_cast<size_t>(n));
        return bytes;
    }

private:
    SOCKET m_socket = INVALID_SOCKET;
    bool m_connected = false;
};

// A whole SOCKS5 reply of `size` bytes: version 5, then status 0 for success.
bool Granted(const std::string& reply, size_t size)
{
    return reply.size() == size && reply[0] == 5 && reply[1] == 0;
}

}  // namespace

bool SocksPortListens()
{
    return Socket(kTunnelSocksPort).Connected();
}

std::string FetchThroughSocks(const std::string& path)
{
    Socket proxy(kTunnelSocksPort);
    // Greeting: version 5, one method, "no authentication"; then CONNECT to an
    // IPv4 address, whose reply carries the bound IPv4 address and port.
    const std::string connect = std::string("\x05\x01\x00\x01\x7f\x00\x00\x01", 8) +
                                static_cast<char>(kWebServerPort >> 8) + static_cast<char>(kWebServerPort & 0xFF);
    if (!proxy.Connected() || !proxy.Send(std::string("\x05\x01\x00", 3)) || !Granted(proxy.Receive(2), 2) ||
        !proxy.Send(connect) || !Granted(proxy.Receive(10), 10) ||
        !proxy.Send("GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n"))
        return {};
    return proxy.Receive();
}
