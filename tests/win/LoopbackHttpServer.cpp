#include "LoopbackHttpServer.h"

#include <ws2tcpip.h>

LoopbackHttpServer::LoopbackHttpServer(unsigned short port, Mode mode, std::string response)
    : m_mode(mode), m_response(std::move(response))
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    BOOL reuse = TRUE;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(m_listener, 8) != 0) {
        ::closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        return;
    }
    m_thread = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    ::SetEvent(m_stop.Get());
    if (m_listener != INVALID_SOCKET)
        ::closesocket(m_listener);  // ends the blocking accept
    if (m_thread.joinable())
        m_thread.join();
    for (SOCKET held : m_held)
        ::closesocket(held);
    ::WSACleanup();
}

std::string LoopbackHttpServer::Response(const std::string& status, const std::string& body)
{
    return "HTTP/1.0 " + status + "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

void LoopbackHttpServer::Serve()
{
    while (!Stopping()) {
        SOCKET client = ::accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        ++m_requests;
        if (m_mode == Mode::Stall) {
            m_held.push_back(client);  // accepted, never answered
            continue;
        }
        // Read the request head, then answer and close.
        std::string request;
        char buffer[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            int got = ::recv(client, buffer, sizeof(buffer), 0);
            if (got <= 0)
                break;
            request.append(buffer, static_cast<size_t>(got));
        }
        size_t sent = 0;
        while (sent < m_response.size()) {
            int put = ::send(client, m_response.data() + sent, static_cast<int>(m_response.size() - sent), 0);
            if (put <= 0)
                break;
            sent += static_cast<size_t>(put);
        }
        SendTail(client);
        ::shutdown(client, SD_SEND);
        ::closesocket(client);
    }
}

void LoopbackHttpServer::SendTail(SOCKET client)
{
    // A client that stops reading fails the send after a second, so the
    // server can always be stopped.
    const DWORD sendTimeoutMs = 1000;
    ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendTimeoutMs),
                 sizeof(sendTimeoutMs));
    if (m_mode == Mode::Trickle) {
        for (int i = 0; i < 100 && !Stopping(100); ++i)
            if (::send(client, "x", 1, 0) != 1)
                return;
    } else if (m_mode == Mode::Endless) {
        const std::string filler(1024, 'x');
        while (!Stopping() && ::send(client, filler.data(), static_cast<int>(filler.size()), 0) > 0) {
        }
    }
}
