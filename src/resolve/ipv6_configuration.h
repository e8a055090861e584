// The PC's IPv6 side: its global addresses, the one the check looks up, and
// the DNS server the PTR query for it goes to.
#pragma once

#include <string>
#include <vector>

#include "interfaces/os.h"

namespace hw {

struct Ipv6Configuration {
  // Stable global addresses of the adapters that are up and no tunnels,
  // those of the adapter with the IPv6 default route first.
  std::vector<std::string> addresses;
  std::string selectedAddress;  // the first of them on the default-route adapter; "" without one
  bool defaultRoute = false;    // an adapter that is up has an IPv6 default route
  // The first DNS server of the default-route adapter (of the first adapter
  // with any when it has none), IPv6 or IPv4 as configured; "" for none.
  std::string dnsServer;
};

// A tunnel carries the traffic of another network (VPN, PPP, WireGuard,
// 6in4): its addresses are not the PC's own on this network.
bool IsTunnelAdapter(const AdapterAddresses& adapter);

// A global unicast address: not unspecified, loop-back, link-local,
// site-local, multicast or IPv4-mapped.
bool IsGlobalIpv6Address(const SocketAddress& address);

// Neither a temporary (privacy) address nor a deprecated one: the address
// that DNS knows the PC by.
bool IsStableAddress(const AdapterUnicastAddress& address);

// Reads the configuration from the adapter list (GetAdaptersAddresses
// without anycast and multicast addresses, with the gateways). Empty when
// the list cannot be read.
Ipv6Configuration Ipv6ConfigurationOf(const std::vector<AdapterAddresses>& adapters);
Ipv6Configuration QueryIpv6Configuration(Os& os);

}  // namespace hw
