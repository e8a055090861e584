#include "platform/posix/os/connection.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>

#include <cstring>
#include <map>

#include "interfaces/os.h"
#include "platform/posix/os/files.h"
#include "platform/posix/os/own_ipv6_addresses.h"
#include "platform/posix/os/posix_os.h"
#include "resolve/ipv6_configuration.h"

namespace hw::posix {
namespace {

bool IsPpp(const InterfaceState& state) {
  if (state.hardwareType >= 0) return state.hardwareType == ARPHRD_PPP;
  return state.name.rfind("ppp", 0) == 0;  // type unknown: go by the name
}

SocketAddress Ipv6Of(const sockaddr* address) {
  SocketAddress ipv6{kAfInet6, {}};
  std::memcpy(ipv6.bytes.data(), &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, ipv6.bytes.size());
  return ipv6;
}

std::vector<InterfaceState> CurrentInterfaces(const std::string& sysClassNet, const std::string& defaultRoute,
                                              const std::string& ipv6DefaultRoute) {
  std::map<std::string, InterfaceState> byName;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return {};
  for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_name) continue;
    InterfaceState& state = byName[entry->ifa_name];
    state.name = entry->ifa_name;
    state.up = state.up || (entry->ifa_flags & IFF_UP);
    state.loopback = state.loopback || (entry->ifa_flags & IFF_LOOPBACK);
    if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET) state.hasIpv4 = true;
    if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET6 && IsGlobalIpv6Address(Ipv6Of(entry->ifa_addr)))
      state.hasIpv6 = true;
  }
  ::freeifaddrs(list);
  std::vector<InterfaceState> interfaces;
  for (auto& [name, state] : byName) {
    state.hardwareType = HardwareTypeOf(sysClassNet, name);
    state.carriesDefaultRoute = !defaultRoute.empty() && name == defaultRoute;
    state.carriesIpv6DefaultRoute = !ipv6DefaultRoute.empty() && name == ipv6DefaultRoute;
    interfaces.push_back(state);
  }
  return interfaces;
}

}  // namespace

int HardwareTypeOf(const std::string& sysClassNet, const std::string& name) {
  auto text = ReadSmallFile(sysClassNet + "/" + name + "/type", 32);
  if (!text) return -1;
  try {
    return std::stoi(*text);
  } catch (const std::exception&) {
    return -1;
  }
}

uint32_t ConnectionFlagsOf(const std::vector<InterfaceState>& interfaces) {
  uint32_t flags = 0;
  for (const auto& state : interfaces) {
    if (!state.up) continue;
    bool loopback = state.loopback || state.hardwareType == ARPHRD_LOOPBACK;
    if (IsPpp(state)) {
      flags |= kConnectionModem;
    } else if (!loopback && ((state.hasIpv4 && state.carriesDefaultRoute) ||
                             (state.hasIpv6 && state.carriesIpv6DefaultRoute))) {
      flags |= kConnectionLan;
    }
  }
  return flags;
}

int PosixOs::InternetGetConnectedState(uint32_t& flags, uint32_t /*reserved*/) {
  std::string ipv6DefaultRoute = Ipv6DefaultRouteAmong(CurrentIpv6Routes()).interface;
  flags = ConnectionFlagsOf(CurrentInterfaces(paths_.sysClassNet, DefaultRouteInterface(), ipv6DefaultRoute));
  return flags != 0 ? 1 : 0;
}

}  // namespace hw::posix
