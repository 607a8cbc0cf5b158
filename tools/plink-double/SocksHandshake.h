// The client side of a SOCKS 4, 4a or 5 CONNECT handshake, fed with the bytes
// as they arrive. Only "no authentication" is offered, as plink's dynamic
// forwarding does. Platform-free.
#pragma once

#include <string>
#include <string_view>

namespace plink_double {

struct SocksTarget {
    std::string host;  // IPv4 or IPv6 text, or the domain name the client sent
    int port = 0;
};

class SocksHandshake {
public:
    enum class Kind {
        NeedMore,  // wait for more bytes, then call Next again
        Reply,     // send reply, then call Next again
        Connect,   // connect to target, then send ConnectReply
        Refuse,    // send reply (may be empty) and close
    };
    struct Step {
        Kind kind = Kind::NeedMore;
        std::string reply;
        SocksTarget target;
    };

    void Receive(std::string_view bytes) { m_received += bytes; }
    Step Next();
    std::string ConnectReply(bool connected) const;
    // Bytes the client sent after its request, to pass on to the target.
    std::string TakeRemainder();

private:
    Step NextVersion4();
    Step NextVersion5Greeting();
    Step NextVersion5Request();

    std::string m_received;
    int m_version = 0;
    bool m_greeted = false;
};

}  // namespace plink_double
