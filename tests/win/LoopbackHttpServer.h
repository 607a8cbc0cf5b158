// A scripted server on 127.0.0.1: it answers every request with the same
// bytes (then, trickling, a byte every 100 ms for 10 s), or only holds the
// port: it listens and accepts nobody.
#pragma once

#include <winsock2.h>

#include "framework/Handles.h"

#include <string>
#include <thread>

class LoopbackHttpServer {
public:
    enum class Mode { Answer, Trickle, Hold };

    LoopbackHttpServer(unsigned short port, Mode mode, std::string response = {})
        : m_mode(mode), m_response(std::move(response))
    {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{AF_INET, htons(port), {}, {}};
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) || ::listen(m_listener, 8)) {
            ::closesocket(m_listener);
            m_listener = INVALID_SOCKET;
        } else if (mode != Mode::Hold) {
            m_thread = std::thread([this] { Serve(); });
        }
    }
    ~LoopbackHttpServer()
    {
        ::SetEvent(m_stop.Get());
        ::closesocket(m_listener);  // ends the blocking accept
        if (m_thread.joinable())
            m_thread.join();
        ::WSACleanup();
    }

    bool Listening() const { return m_listener != INVALID_SOCKET; }

private:
    void Serve()
    {
        for (SOCKET client; (client = ::accept(m_listener, nullptr, nullptr)) != INVALID_SOCKET; ::closesocket(client)) {
            char request[4096];  // a request's head comes in one piece on loopback
            ::recv(client, request, sizeof(request), 0);
            ::send(client, m_response.data(), static_cast<int>(m_response.size()), 0);
            for (int i = 0; m_mode == Mode::Trickle && i < 100; ++i)
                if (::WaitForSingleObject(m_stop.Get(), 100) == WAIT_OBJECT_0 || ::send(client, "x", 1, 0) != 1)
                    break;
            ::shutdown(client, SD_SEND);
        }
    }

    Mode m_mode;
    std::string m_response;
    SOCKET m_listener = INVALID_SOCKET;
    UniqueHandle m_stop{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread m_thread;
};
