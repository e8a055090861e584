// The PC's own IPv4 addresses as Windows gives them for its own name: the
// addresses of its network interfaces, whatever a hosts file says.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hw::posix {

using Ipv4Address = std::array<uint8_t, 4>;  // in network order

struct InterfaceAddress {
  std::string interface;
  Ipv4Address address{};
  bool up = false;
  bool loopback = false;  // the interface is a loop-back one
  bool pointToPoint = false;  // IFF_POINTOPOINT
  int hardwareType = -1;      // ARPHRD_*; -1 unknown
};

// Whether an interface is a VPN's or a dial-up's rather than a network
// card's: point-to-point, or of a type without hardware addresses (tun,
// WireGuard), PPP, or an IP tunnel. Its address names a pool, never the PC.
bool IsTunnelInterface(bool pointToPoint, int hardwareType);
bool IsTunnelInterface(const InterfaceAddress& entry);

// Every IPv4 address of every interface, in the system's order.
std::vector<InterfaceAddress> CurrentIpv4Addresses();

// The interface of the default route in a /proc/net/route table: among the
// routes that are up with destination and mask 0, the one of lowest metric;
// "" when there is none. Routes through the `skipped` interfaces (the
// tunnels) are passed over.
std::string DefaultRouteInterfaceOf(std::string_view routeTable, const std::vector<std::string>& skipped = {});

// The names of the tunnel interfaces among `addresses`.
std::vector<std::string> TunnelInterfacesOf(const std::vector<InterfaceAddress>& addresses);

// The addresses of interfaces that are up, neither loop-back interfaces nor
// in 127.0.0.0/8, those of `defaultRouteInterface` first and those of
// tunnel interfaces last, each once; just 127.0.0.1 when there is none, as
// Windows answers without a network.
std::vector<Ipv4Address> OwnAddressesOf(const std::vector<InterfaceAddress>& addresses,
                                        const std::string& defaultRouteInterface);

}  // namespace hw::posix
