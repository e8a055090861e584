// The name the network's DNS gives an address: one PTR query, past the
// resolver cache, to one given server.
#pragma once

#include <string>
#include <vector>

#include "interfaces/os.h"
#include "resolve/lookup_failure.h"

namespace hw {

// The dotted address of the first DNS server of the IP configuration; where
// it names no IPv4 server, the first server of either family that the
// adapters name (a PC whose DHCPv6 client wrote its only server), as the
// system's own tools ask it; "" for none at all.
std::string QueryDnsServer(Os& os);
// The names of every PTR record of the answer that `server` (IPv4, or
// IPv6 where the PC has no IPv4 server) gives for `address`, in answer
// order, each cut at its first NUL; none on failure, and then `failure`
// (when given) says why. No query goes out without a usable server.
std::vector<std::string> DnsReverseLookup(Os& os, const std::string& address, const std::string& server,
                                          LookupFailure* failure = nullptr);

}  // namespace hw
