#include "SocksClient.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

constexpr unsigned short kWebServerPort = 8462;
constexpr DWORD kReceiveTimeoutMs = 5000;

bool WinsockStarted()
{
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

class Socket {
public:
    Socket() : m_socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
    ~Socket()
    {
        if (m_socket != INVALID_SOCKET)
            ::closesocket(m_socket);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool Connect(unsigned short port)
    {
        if (m_socket == INVALID_SOCKET)
            return false;
        const DWORD timeout = kReceiveTimeoutMs;
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return ::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    }

    bool SendAll(const std::string& bytes)
    {
        return ::send(m_socket, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
    }

    // Exactly `count` bytes, or nothing when the peer closes or times out first.
    std::string Receive(size_t count)
    {
        std::string bytes(count, '\0');
        for (size_t got = 0; got < count;) {
            const int n = ::recv(m_socket, bytes.data() + got, static_cast<int>(count - got), 0);
            if (n <= 0)
                return {};
            got += static_cast<size_t>(n);
        }
        return bytes;
    }

    std::string ReceiveUntilClosed()
    {
        std::string bytes;
        char buffer[4096];
        for (int n; (n = ::recv(m_socket, buffer, sizeof(buffer), 0)) > 0;)
            bytes.append(buffer, static_cast<size_t>(n));
        return bytes;
    }

private:
    SOCKET m_socket;
};

// A SOCKS5 reply: version 5, then status 0 for success.
bool Granted(const std::string& reply)
{
    return reply.size() >= 2 && reply[0] == 5 && reply[1] == 0;
}

}  // namespace

bool SocksPortListens()
{
    Socket probe;
    return WinsockStarted() && probe.Connect(kTunnelSocksPort);
}

std::string FetchThroughSocks(const std::string& path)
{
    if (!WinsockStarted())
        return {};
    Socket proxy;
    if (!proxy.Connect(kTunnelSocksPort))
        return {};
    // Greeting: version 5, one method, "no authentication".
    if (!proxy.SendAll(std::string("\x05\x01\x00", 3)) || !Granted(proxy.Receive(2)))
        return {};
    // CONNECT to an IPv4 address; the reply carries the bound IPv4 address and port.
    const std::string connect = std::string("\x05\x01\x00\x01\x7f\x00\x00\x01", 8) +
                                static_cast<char>(kWebServerPort >> 8) + static_cast<char>(kWebServerPort & 0xFF);
    if (!proxy.SendAll(connect) || !Granted(proxy.Receive(10)))
        return {};
    if (!proxy.SendAll("GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n"))
        return {};
    return proxy.ReceiveUntilClosed();
}
