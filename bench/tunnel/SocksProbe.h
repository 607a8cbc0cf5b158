// One request through the tunnel's SOCKS end: the sign that a tunnel carries
// traffic, for client and baseline alike.
#pragma once

#include <string>

// Whether port 1234 on the loopback accepts a connection at all.
bool SocksPortListens();

// A SOCKS5 CONNECT to 127.0.0.1:8462 through port 1234, then an HTTP GET of
// `path`; the reply, or nothing on any failure. Each wait is bounded.
std::string FetchThroughSocks(const char* path);
