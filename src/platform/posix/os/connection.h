// InternetGetConnectedState for Linux: what the network interfaces say.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hw::posix {

struct InterfaceState {
  std::string name;
  int hardwareType = -1;  // ARPHRD_* from /sys/class/net/<name>/type; -1 unknown
  bool up = false;
  bool loopback = false;
  bool hasIpv4 = false;
  bool carriesDefaultRoute = false;
  bool hasIpv6 = false;                 // a global IPv6 address
  bool carriesIpv6DefaultRoute = false;
};

// kConnectionLan when the interface that carries the default route is up,
// not a loop-back one, not ppp, and has an IPv4 address: a PC without a
// way out of its own networks is not on the LAN. kConnectionModem when a
// ppp interface is up; both may be set. An IPv6-only PC is on the LAN the
// same way, through its IPv6 default route and a global IPv6 address.
// The ARPHRD_* type of an interface from <sysClassNet>/<name>/type; -1
// where it cannot be read.
int HardwareTypeOf(const std::string& sysClassNet, const std::string& name);

uint32_t ConnectionFlagsOf(const std::vector<InterfaceState>& interfaces);

}  // namespace hw::posix
