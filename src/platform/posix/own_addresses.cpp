#include "platform/posix/own_addresses.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <sstream>

namespace hw::posix {
namespace {

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

}  // namespace

std::vector<InterfaceAddress> CurrentIpv4Addresses() {
  std::vector<InterfaceAddress> found;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return found;
  for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_name || !entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    InterfaceAddress address;
    address.interface = entry->ifa_name;
    const auto* inet = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    std::memcpy(address.address.data(), &inet->sin_addr, 4);
    address.up = (entry->ifa_flags & IFF_UP) != 0;
    address.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
    found.push_back(address);
  }
  ::freeifaddrs(list);
  return found;
}

std::string DefaultRouteInterfaceOf(std::string_view routeTable) {
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
    if (IsOwnAddress(entry) && !defaultRouteInterface.empty() && entry.interface == defaultRouteInterface) add(entry);
  for (const auto& entry : addresses)
    if (IsOwnAddress(entry)) add(entry);
  if (own.empty()) own.push_back({127, 0, 0, 1});
  return own;
}

}  // namespace hw::posix
