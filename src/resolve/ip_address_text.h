// Addresses of either family as text and back, and the reverse-lookup name
// of an IPv6 address.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "interfaces/os.h"

namespace hw {

// The address in its usual text form: dotted decimal for IPv4; for IPv6 the
// shortest form (lower case, leading zeros dropped, the longest run of two or
// more zero groups written "::", an IPv4-mapped tail kept dotted).
std::string AddressText(const SocketAddress& address);

// A dotted IPv4 address (exactly four decimal parts) or an IPv6 address in
// any of its text forms; nullopt for anything else.
std::optional<SocketAddress> ParseAddress(std::string_view text);

// Whether the text is an IPv6 address.
bool IsIpv6Text(std::string_view text);

// The 32 nibbles of the address in reverse order under ip6.arpa:
// 2001:db8::7 gives 7.0.0.0. ... .8.b.d.0.1.0.0.2.ip6.arpa.
std::string Ipv6ReverseName(const SocketAddress& address);

}  // namespace hw
