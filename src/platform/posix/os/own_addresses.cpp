#include "platform/posix/os/own_addresses.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <sstream>

namespace hw::posix {
namespace {

constexpr int kArphrdIp6Gre = 823;  // ARPHRD_IP6GRE, which glibc's net/if_arp.h lacks
constexpr unsigned kRouteUp = 0x0001;  // RTF_UP

bool IsOwnAddress(const InterfaceAddress& entry) {
  return entry.up && !entry.loopback && entry.address[0] != 127;
}

bool ParseHex(const std::string& text, unsigned long& value) {
  if (text.empty() || text.size() > 8) return false;
  char* end = nullptr;
  value = std::strtoul(text.c_str(), &end, 16);
  return end && *end == '\0';
}

// The ARPHRD_* type of an interface of this network namespace; -1 unknown.
int HardwareTypeOf(int socket, const std::string& name) {
  ifreq request{};
  if (socket < 0 || name.size() >= sizeof request.ifr_name) return -1;
  name.copy(request.ifr_name, name.size());
  if (::ioctl(socket, SIOCGIFHWADDR, &request) != 0) return -1;
  return request.ifr_hwaddr.sa_family;
}

}  // namespace

bool IsTunnelInterface(bool pointToPoint, int hardwareType) {
  switch (hardwareType) {
    case ARPHRD_NONE:  // tun, WireGuard
    case ARPHRD_PPP:
    case ARPHRD_TUNNEL:  // ipip
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case kArphrdIp6Gre: return true;
    default: return pointToPoint;
  }
}

bool IsTunnelInterface(const InterfaceAddress& entry) {
  return IsTunnelInterface(entry.pointToPoint, entry.hardwareType);
}

std::vector<std::string> TunnelInterfacesOf(const std::vector<InterfaceAddress>& addresses) {
  std::vector<std::string> names;
  for (const auto& entry : addresses)
    if (IsTunnelInterface(entry) && std::find(names.begin(), names.end(), entry.interface) == names.end())
      names.push_back(entry.interface);
  return names;
}

std::vector<InterfaceAddress> CurrentIpv4Addresses() {
  std::vector<InterfaceAddress> found;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return found;
  int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);  // only to ask the interfaces' types
  for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_name || !entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    InterfaceAddress address;
    address.interface = entry->ifa_name;
    const auto* inet = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    std::memcpy(address.address.data(), &inet->sin_addr, 4);
    address.up = (entry->ifa_flags & IFF_UP) != 0;
    address.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
    address.pointToPoint = (entry->ifa_flags & IFF_POINTOPOINT) != 0;
    address.hardwareType = HardwareTypeOf(socket, address.interface);
    found.push_back(address);
  }
  if (socket >= 0) ::close(socket);
  ::freeifaddrs(list);
  return found;
}

std::string DefaultRouteInterfaceOf(std::string_view routeTable, const std::vector<std::string>& skipped) {
  std::istringstream lines{std::string(routeTable)};
  std::string line, chosen;
  unsigned long lowestMetric = std::numeric_limits<unsigned long>::max();
  std::getline(lines, line);  // the column titles
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string name, destination, gateway, flags, refCount, use, metric, mask;
    if (!(fields >> name >> destination >> gateway >> flags >> refCount >> use >> metric >> mask)) continue;
    unsigned long destinationValue = 0, flagsValue = 0, maskValue = 0, metricValue = 0;
    if (!ParseHex(destination, destinationValue) || !ParseHex(flags, flagsValue) || !ParseHex(mask, maskValue))
      continue;
    try {
      metricValue = std::stoul(metric);
    } catch (const std::exception&) {
      continue;
    }
    if (destinationValue != 0 || maskValue != 0 || !(flagsValue & kRouteUp)) continue;
    if (std::find(skipped.begin(), skipped.end(), name) != skipped.end()) continue;
    if (chosen.empty() || metricValue < lowestMetric) {
      chosen = name;
      lowestMetric = metricValue;
    }
  }
  return chosen;
}

std::vector<Ipv4Address> OwnAddressesOf(const std::vector<InterfaceAddress>& addresses,
                                        const std::string& defaultRouteInterface) {
  std::vector<Ipv4Address> own;
  auto add = [&](const InterfaceAddress& entry) {
    if (std::find(own.begin(), own.end(), entry.address) == own.end()) own.push_back(entry.address);
  };
  for (const auto& entry : addresses)
    if (IsOwnAddress(entry) && !IsTunnelInterface(entry) && !defaultRouteInterface.empty() &&
        entry.interface == defaultRouteInterface)
      add(entry);
  for (const auto& entry : addresses)
    if (IsOwnAddress(entry) && !IsTunnelInterface(entry)) add(entry);
  for (const auto& entry : addresses)
    if (IsOwnAddress(entry)) add(entry);
  if (own.empty()) own.push_back({127, 0, 0, 1});
  return own;
}

}  // namespace hw::posix
