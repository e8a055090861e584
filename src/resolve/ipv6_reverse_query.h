// The name the network's DNS gives an IPv6 address, and the AAAA half of the
// forward confirmation: the same one-server queries as for IPv4, to a server
// of either family.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interfaces/os.h"

namespace hw {

// A server is a unicast address of either family; nullopt for anything
// else (no text, the unspecified or a multicast address): nobody to ask.
std::optional<SocketAddress> UsableDnsServer(const std::string& server);

// The names of every PTR record of the answer that `server` (IPv6 or IPv4)
// gives for the ip6.arpa name of `address`, in answer order, each cut at
// its first NUL; none on failure or for an unusable address or server.
std::vector<std::string> Ipv6ReverseLookup(Os& os, const std::string& address, const std::string& server);

// True when the AAAA records that `server` alone gives for `name` include
// `address`; false otherwise and for anything unusable.
bool DnsNameHasIpv6Address(Os& os, const std::string& name, const std::string& address, const std::string& server);

}  // namespace hw
