#include "SocksProbe.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

constexpr u_short kSocksPort = 1234;
constexpr DWORD kReceiveTimeoutMs = 5000;

bool WinsockStarted()
{
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

// A TCP socket closed with its scope.
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

    bool ConnectToSocksPort()
    {
        if (m_socket == INVALID_SOCKET)
            return false;
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kReceiveTimeoutMs),
                     sizeof(kReceiveTimeoutMs));
        sockaddr_in proxy{};
        proxy.sin_family = AF_INET;
        proxy.sin_port = htons(kSocksPort);
        proxy.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return ::connect(m_socket, reinterpret_cast<sockaddr*>(&proxy), sizeof(proxy)) == 0;
    }

    bool Send(const std::string& bytes)
    {
        return ::send(m_socket, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
    }

    // Sends a SOCKS message and reads a reply of `expected` bytes whose
    // second byte says success.
    bool Exchange(const std::string& request, size_t expected)
    {
        if (!Send(request))
            return false;
        char reply[16];
        for (size_t got = 0; got < expected;) {
            const int n = ::recv(m_socket, reply + got, static_cast<int>(expected - got), 0);
            if (n <= 0)
                return false;
            got += static_cast<size_t>(n);
        }
        return reply[1] == 0;
    }

    std::string ReceiveAll()
    {
        std::string all;
        char buffer[4096];
        for (int n; (n = ::recv(m_socket, buffer, sizeof(buffer), 0)) > 0;)
            all.append(buffer, static_cast<size_t>(n));
        return all;
    }

private:
    SOCKET m_socket;
};

}  // namespace

bool SocksPortListens()
{
    Socket socket;
    return WinsockStarted() && socket.ConnectToSocksPort();
}

std::string FetchThroughSocks(const char* path)
{
    if (!WinsockStarted())
        return {};
    Socket socket;
    // SOCKS5 without authentication, then CONNECT 127.0.0.1:8462.
    if (!socket.ConnectToSocksPort() || !socket.Exchange(std::string("\x05\x01\x00", 3), 2) ||
        !socket.Exchange(std::string("\x05\x01\x00\x01\x7f\x00\x00\x01\x21\x0e", 10), 10))
        return {};
    if (!socket.Send(std::string("GET ") + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n"))
        return {};
    return socket.ReceiveAll();
}
