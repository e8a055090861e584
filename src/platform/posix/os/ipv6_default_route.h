// The IPv6 default route a plain connection takes: the main routing
// table's. /proc/net/ipv6_route lists every table's routes without saying
// which table holds them, so a VPN's or a policy rule's default route in a
// table of its own would pass for the PC's; the kernel's route dump says.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "interfaces/os.h"

namespace hw::posix {

struct Ipv6DefaultRoute {
  std::string interface;  // "" when there is none
  SocketAddress nextHop;  // :: for a route straight onto the link
};

// One IPv6 route of the kernel's route dump.
struct KernelIpv6Route {
  uint32_t table = 0;         // RT_TABLE_*
  uint8_t type = 0;           // RTN_*
  uint8_t destinationLength = 0;
  std::array<uint8_t, 16> destination{};
  bool dead = false;          // RTNH_F_DEAD: its next hop is gone
  std::string interface;      // "" when the interface is unknown
  SocketAddress nextHop{kAfInet6, {}};
  uint32_t metric = 0;
};

// Among the main table's unicast default routes (::/0) with a live next
// hop, not through loop-back, the one of lowest metric (the first of
// equals).
Ipv6DefaultRoute Ipv6DefaultRouteAmong(const std::vector<KernelIpv6Route>& routes);

// This network namespace's IPv6 routes, every table; none when the kernel
// cannot be asked.
std::vector<KernelIpv6Route> CurrentIpv6Routes();

}  // namespace hw::posix
