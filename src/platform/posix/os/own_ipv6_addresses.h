// GetAdaptersAddresses for Linux: the interfaces with their IPv6 addresses
// (from /proc/net/if_inet6, which carries the kernel's temporary and
// deprecated flags), the IPv6 default route of the main routing table
// (ipv6_default_route.h) and the DNS servers of resolv.conf.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "interfaces/os.h"
#include "platform/posix/os/ipv6_default_route.h"

namespace hw::posix {

// One line of /proc/net/if_inet6.
struct KernelIpv6Address {
  std::string interface;
  SocketAddress address;
  unsigned flags = 0;  // IFA_F_*
};

struct InterfaceKind {
  bool up = false;
  bool loopback = false;
  bool pointToPoint = false;
  int hardwareType = -1;  // ARPHRD_*; -1 unknown
  bool tun = false;       // a tun/tap device (has tun_flags)
};

std::vector<KernelIpv6Address> KernelIpv6AddressesOf(std::string_view ifInet6);

// The adapter type Windows would give the interface: a tunnel for
// point-to-point links, tun devices, WireGuard and the kernel's IP tunnels,
// PPP for ppp, loop-back for lo, Ethernet for the rest.
uint32_t AdapterTypeOf(const InterfaceKind& kind);

// Every nameserver of a resolv.conf text, IPv4 and IPv6, in order.
std::vector<SocketAddress> NameserversOf(std::string_view resolvConf);

// The adapters, each interface once in the order its addresses came, with
// the default route's next hop as its gateway and `servers` as its DNS
// servers. Only addresses the interface truly holds are listed: one still
// under duplicate address detection (tentative, optimistic included) or
// failed by it may be another host's, whose name the check would take.
std::vector<AdapterAddresses> AdaptersOf(const std::vector<KernelIpv6Address>& addresses,
                                         const std::vector<std::pair<std::string, InterfaceKind>>& interfaces,
                                         const Ipv6DefaultRoute& route, const std::vector<SocketAddress>& servers);

}  // namespace hw::posix
