// The DNS server of the IP configuration: the first IPv4 `nameserver` of a
// resolv.conf text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hw::posix {

// The first `nameserver` line whose address is a dotted IPv4 address
// (IPv6 servers have no place in the IPv4 field that the program reads).
std::optional<std::string> FirstIpv4Nameserver(std::string_view resolvConf);

// systemd-resolved's local caching stub, which would answer from its cache.
bool IsLocalCachingStub(std::string_view address);

}  // namespace hw::posix
