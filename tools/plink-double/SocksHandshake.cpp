#include "SocksHandshake.h"

#include <cstdint>
#include <cstdio>
#include <utility>

namespace plink_double {
namespace {

std::uint8_t Byte(std::string_view bytes, std::size_t index)
{
    return static_cast<std::uint8_t>(bytes[index]);
}

int PortAt(std::string_view bytes, std::size_t index)
{
    return Byte(bytes, index) << 8 | Byte(bytes, index + 1);
}

std::string IPv4Text(std::string_view bytes, std::size_t index)
{
    return std::to_string(Byte(bytes, index)) + '.' + std::to_string(Byte(bytes, index + 1)) + '.' +
           std::to_string(Byte(bytes, index + 2)) + '.' + std::to_string(Byte(bytes, index + 3));
}

std::string IPv6Text(std::string_view bytes, std::size_t index)
{
    std::string text;
    for (std::size_t group = 0; group < 8; ++group) {
        char part[6];
        std::snprintf(part, sizeof part, "%x", PortAt(bytes, index + 2 * group));
        if (group)
            text += ':';
        text += part;
    }
    return text;
}

SocksHandshake::Step Refusal(std::string reply = {})
{
    return {SocksHandshake::Kind::Refuse, std::move(reply), {}};
}

}  // namespace

SocksHandshake::Step SocksHandshake::Next()
{
    if (m_received.empty())
        return {};
    if (m_version == 0)
        m_version = Byte(m_received, 0);
    if (m_version == 4)
        return NextVersion4();
    if (m_version == 5)
        return m_greeted ? NextVersion5Request() : NextVersion5Greeting();
    return Refusal();
}

// 04 01 port(2) ip(4) user-id NUL [domain NUL when ip is 0.0.0.x, x != 0]
SocksHandshake::Step SocksHandshake::NextVersion4()
{
    constexpr std::size_t header = 8;
    const auto userEnd = m_received.find('\0', header);
    if (m_received.size() < header || userEnd == std::string::npos)
        return {};
    SocksTarget target{IPv4Text(m_received, 4), PortAt(m_received, 2)};
    std::size_t end = userEnd + 1;
    const bool named = m_received.compare(4, 3, std::string_view("\0\0\0", 3)) == 0 &&
                       Byte(m_received, 7) != 0;
    if (named) {
        const auto nameEnd = m_received.find('\0', end);
        if (nameEnd == std::string::npos)
            return {};
        target.host = m_received.substr(end, nameEnd - end);
        end = nameEnd + 1;
    }
    const bool connect = Byte(m_received, 1) == 1;
    m_received.erase(0, end);
    if (!connect)
        return Refusal(ConnectReply(false));
    return {Kind::Connect, {}, std::move(target)};
}

// 05 n methods(n)
SocksHandshake::Step SocksHandshake::NextVersion5Greeting()
{
    if (m_received.size() < 2 || m_received.size() < 2u + Byte(m_received, 1))
        return {};
    const auto methods = std::string_view(m_received).substr(2, Byte(m_received, 1));
    const bool noAuthentication = methods.find('\0') != std::string_view::npos;
    m_received.erase(0, 2 + methods.size());
    if (!noAuthentication)
        return Refusal(std::string("\x05\xFF", 2));
    m_greeted = true;
    return {Kind::Reply, std::string("\x05\x00", 2), {}};
}

// 05 cmd 00 type address port(2); type 1 = IPv4, 3 = domain, 4 = IPv6
SocksHandshake::Step SocksHandshake::NextVersion5Request()
{
    if (m_received.size() < 4)
        return {};
    std::size_t addressLength = 0;
    std::size_t addressStart = 4;
    switch (Byte(m_received, 3)) {
    case 1: addressLength = 4; break;
    case 3:
        if (m_received.size() < 5)
            return {};
        addressLength = Byte(m_received, 4);
        addressStart = 5;
        break;
    case 4: addressLength = 16; break;
    default: return Refusal(std::string("\x05\x08\x00\x01\0\0\0\0\0\0", 10));
    }
    const std::size_t end = addressStart + addressLength + 2;
    if (m_received.size() < end)
        return {};
    SocksTarget target;
    target.port = PortAt(m_received, addressStart + addressLength);
    switch (Byte(m_received, 3)) {
    case 1: target.host = IPv4Text(m_received, addressStart); break;
    case 3: target.host = m_received.substr(addressStart, addressLength); break;
    default: target.host = IPv6Text(m_received, addressStart); break;
    }
    const bool connect = Byte(m_received, 1) == 1;
    m_received.erase(0, end);
    if (!connect)
        return Refusal(std::string("\x05\x07\x00\x01\0\0\0\0\0\0", 10));
    return {Kind::Connect, {}, std::move(target)};
}

std::string SocksHandshake::ConnectReply(bool connected) const
{
    if (m_version == 4)
        return connected ? std::string("\x00\x5A\0\0\0\0\0\0", 8) : std::string("\x00\x5B\0\0\0\0\0\0", 8);
    return connected ? std::string("\x05\x00\x00\x01\0\0\0\0\0\0", 10) : std::string("\x05\x01\x00\x01\0\0\0\0\0\0", 10);
}

std::string SocksHandshake::TakeRemainder()
{
    return std::exchange(m_received, {});
}

}  // namespace plink_double
