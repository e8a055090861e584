// GetAdaptersAddresses for Linux: the interfaces with their IPv6 addresses
// (from /proc/net/if_inet6, which carries the kernel's temporary and
// deprecated flags), the IPv6 default route (/proc/net/ipv6_route) and the
// DNS servers of resolv.conf.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/os.h"

namespace hw::posix {

// One line of /proc/net/if_inet6.
struct KernelIpv6Address {
  std::string interface;
  SocketAddress address;
  unsigned flags = 0;  // IFA_F_*
};

struct Ipv6DefaultRoute {
  std::string interface;  // "" when there is none
  SocketAddress nextHop;  // :: for a route straight onto the link
};

struct InterfaceKind {
  bool up = false;
  bool loopback = false;
  bool pointToPoint = false;
  int hardwareType = -1;  // ARPHRD_*; -1 unknown
  bool tun = false;       // a tun/tap device (has tun_flags)
};

std::vector<KernelIpv6Address> KernelIpv6AddressesOf(std::string_view ifInet6);

// Among the default routes (::/0) that are up and not rejecting, the one of
// lowest metric.
Ipv6DefaultRoute Ipv6DefaultRouteOf(std::string_view ipv6Route);

// The adapter type Windows would give the interface: a tunnel for
// point-to-point links, tun devices, WireGuard and the kernel's IP tunnels,
// PPP for ppp, loop-back for lo, Ethernet for the rest.
uint32_t AdapterTypeOf(const InterfaceKind& kind);

// Every nameserver of a resolv.conf text, IPv4 and IPv6, in order.
std::vector<SocketAddress> NameserversOf(std::string_view resolvConf);

// The adapters, each interface once in the order its addresses came, with
// the default route's next hop as its gateway and `servers` as its DNS
// servers.
std::vector<AdapterAddresses> AdaptersOf(const std::vector<KernelIpv6Address>& addresses,
                                         const std::vector<std::pair<std::string, InterfaceKind>>& interfaces,
                                         const Ipv6DefaultRoute& route, const std::vector<SocketAddress>& servers);

}  // namespace hw::posix
