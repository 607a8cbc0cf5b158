// A minimal SOCKS5 client for the tests and the benchmark of the real tunnel:
// one HTTP/1.0 page fetched from the demo web server through the proxy that
// plink offers.
#pragma once

#include <string>

// The proxy Corvane's tunnel listens on, on the loopback address.
inline constexpr unsigned short kTunnelSocksPort = 1234;

// Whether the proxy port on the loopback accepts a connection at all.
bool SocksPortListens();

// The whole reply (status line, headers and body) to GET `path` on the demo
// web server 127.0.0.1:8462, asked through the SOCKS proxy (no
// authentication, CONNECT by IPv4 address). Empty on any failure: no proxy,
// a refused greeting or connect, or a receive that waits longer than 5 s.
std::string FetchThroughSocks(const std::string& path);

// Whether the demo web server's destination page comes through the proxy.
inline bool SocksReachesTheDestination()
{
    return FetchThroughSocks("/socks-destination.html").find("CORVANE-SOCKS-DESTINATION") != std::string::npos;
}
