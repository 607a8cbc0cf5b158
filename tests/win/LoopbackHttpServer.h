// A scripted HTTP server on 127.0.0.1 for the update check's tests: it answers
// every request with the same bytes, or accepts and never answers, or sends the
// same bytes and then a byte every 100 ms (for 10 s) or filler without end.
#pragma once

#include <winsock2.h>

#include "framework/Handles.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class LoopbackHttpServer {
public:
    enum class Mode { Answer, Stall, Trickle, Endless };

    LoopbackHttpServer(unsigned short port, Mode mode, std::string response = {});
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool Listening() const { return m_listener != INVALID_SOCKET; }
    int Requests() const { return m_requests.load(); }

    // An HTTP/1.0 response with the given status line and body.
    static std::string Response(const std::string& status, const std::string& body);

private:
    void Serve();
    void SendTail(SOCKET client);
    bool Stopping(DWORD waitMs = 0) const { return ::WaitForSingleObject(m_stop.Get(), waitMs) == WAIT_OBJECT_0; }

    Mode m_mode;
    std::string m_response;
    SOCKET m_listener = INVALID_SOCKET;
    UniqueHandle m_stop{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<int> m_requests{0};
    std::vector<SOCKET> m_held;
    std::thread m_thread;
};
