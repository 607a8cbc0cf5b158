#include "SocksServer.h"

#include "SocksHandshake.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>

namespace plink_double {
namespace {

class Socket {
public:
    explicit Socket(SOCKET handle = INVALID_SOCKET) : m_handle(handle) {}
    Socket(Socket&& other) noexcept : m_handle(std::exchange(other.m_handle, INVALID_SOCKET)) {}
    Socket& operator=(Socket&&) = delete;
    ~Socket()
    {
        if (m_handle != INVALID_SOCKET)
            closesocket(m_handle);
    }
    SOCKET Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_SOCKET; }

private:
    SOCKET m_handle;
};

bool SendAll(SOCKET socket, std::string_view bytes)
{
    while (!bytes.empty()) {
        const int sent = send(socket, bytes.data(), static_cast<int>(bytes.size()), 0);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

struct AddressListDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

Socket ConnectTo(const SocksTarget& target)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(target.host.c_str(), std::to_string(target.port).c_str(), &hints, &found) != 0)
        return Socket{};
    const std::unique_ptr<addrinfo, AddressListDeleter> addresses(found);
    for (const addrinfo* address = found; address; address = address->ai_next) {
        Socket attempt(socket(address->ai_family, address->ai_socktype, address->ai_protocol));
        if (attempt.Valid() &&
            connect(attempt.Get(), address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0)
            return attempt;
    }
    return Socket{};
}

// Copies both ways until either side closes.
void Relay(SOCKET client, SOCKET server)
{
    char buffer[16384];
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(client, &readable);
        FD_SET(server, &readable);
        if (select(0, &readable, nullptr, nullptr, nullptr) <= 0)
            return;
        for (const auto& [from, to] : {std::pair{client, server}, std::pair{server, client}}) {
            if (!FD_ISSET(from, &readable))
                continue;
            const int received = recv(from, buffer, sizeof buffer, 0);
            if (received <= 0 || !SendAll(to, {buffer, static_cast<std::size_t>(received)}))
                return;
        }
    }
}

void Serve(Socket client)
{
    SocksHandshake handshake;
    char buffer[512];
    for (;;) {
        auto step = handshake.Next();
        switch (step.kind) {
        case SocksHandshake::Kind::NeedMore: {
            const int received = recv(client.Get(), buffer, sizeof buffer, 0);
            if (received <= 0)
                return;
            handshake.Receive({buffer, static_cast<std::size_t>(received)});
            break;
        }
        case SocksHandshake::Kind::Reply:
            if (!SendAll(client.Get(), step.reply))
                return;
            break;
        case SocksHandshake::Kind::Refuse:
            SendAll(client.Get(), step.reply);
            return;
        case SocksHandshake::Kind::Connect: {
            const Socket server = ConnectTo(step.target);
            if (!SendAll(client.Get(), handshake.ConnectReply(server.Valid())) || !server.Valid())
                return;
            if (SendAll(server.Get(), handshake.TakeRemainder()))
                Relay(client.Get(), server.Get());
            return;
        }
        }
    }
}

void Listen(Socket listener)
{
    for (;;) {
        Socket client(accept(listener.Get(), nullptr, nullptr));
        if (client.Valid())
            std::thread(Serve, std::move(client)).detach();
    }
}

}  // namespace

bool StartSocksServer(int port)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    Socket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Exclusive, as plink binds: a second tunnel on the same port must fail.
    BOOL exclusive = TRUE;
    setsockopt(listener.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
               reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    if (!listener.Valid() ||
        bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener.Get(), SOMAXCONN) != 0)
        return false;
    std::thread(Listen, std::move(listener)).detach();
    return true;
}

}  // namespace plink_double
