// The double's dynamic forwarding: a SOCKS 4/4a/5 proxy on 127.0.0.1 that
// relays each CONNECT to its destination, served by background threads.
#pragma once

namespace plink_double {

// False when the port cannot be bound; plink itself says nothing then and stays
// up without a working proxy, and so does the double.
bool StartSocksServer(int port);

}  // namespace plink_double
