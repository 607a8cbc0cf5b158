#include "SocksClient.h"

#include <winsock2.h>

#include <algorithm>

namespace {

constexpr unsigned short kWebServerPort = 8462;

// A TCP connection to the proxy port on the loopback whose receives give up after 5 s.
struct ProxyConnection {
    SOCKET s = INVALID_SOCKET;
    bool connected = false;

    ProxyConnection()
    {
        static const bool started = [] {
            WSADATA data;
            return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
        }();
        const DWORD timeoutMs = 5000;
        sockaddr_in address{AF_INET, htons(kTunnelSocksPort), {}, {}};
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = started && (s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) != INVALID_SOCKET &&
                    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof(timeoutMs)) == 0 &&
                    ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~ProxyConnection()
    {
        if (s != INVALID_SOCKET)
            ::closesocket(s);
    }
    ProxyConnection(const ProxyConnection&) = delete;
    ProxyConnection& operator=(const ProxyConnection&) = delete;
};

// Sends `request`, then receives up to `limit` bytes: fewer when the peer closes or the time is up.
std::string Exchange(SOCKET s, const std::string& request, size_t limit = SIZE_MAX)
{
    std::string bytes;
    char buffer[4096];
    if (::send(s, request.data(), static_cast<int>(request.size()), 0) == static_cast<int>(request.size()))
        for (int n; bytes.size() < limit &&
                    (n = ::recv(s, buffer, static_cast<int>(std::min(sizeof(buffer), limit - bytes.size())), 0)) > 0;)
            bytes.append(buffer, static_cast<size_t>(n));
    return bytes;
}

}  // namespace

bool SocksPortListens()
{
    return ProxyConnection().connected;
}

std::string FetchThroughSocks(const std::string& path)
{
    const ProxyConnection proxy;
    // Greeting: version 5, one method, "no authentication"; then CONNECT to an
    // IPv4 address, whose whole reply carries the bound IPv4 address and port.
    // Each reply starts with version 5 and status 0 for success.
    const std::string granted("\x05\x00", 2);
    const std::string connect = std::string("\x05\x01\x00\x01\x7f\x00\x00\x01", 8) +
                                static_cast<char>(kWebServerPort >> 8) + static_cast<char>(kWebServerPort & 0xFF);
    if (!proxy.connected || Exchange(proxy.s, std::string("\x05\x01\x00", 3), 2) != granted)
        return {};
    const std::string reply = Exchange(proxy.s, connect, 10);
    if (reply.size() != 10 || !reply.starts_with(granted))
        return {};
    return Exchange(proxy.s, "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}
