#include "platform/posix/os/own_ipv6_addresses.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <sstream>

#include "platform/posix/os/connection.h"
#include "platform/posix/os/files.h"
#include "platform/posix/os/posix_os.h"
#include "resolve/ip_address_text.h"

namespace hw::posix {
namespace {

constexpr unsigned kIfaTemporary = 0x01;   // IFA_F_TEMPORARY
constexpr unsigned kIfaDeprecated = 0x20;  // IFA_F_DEPRECATED
constexpr unsigned kIfaTentative = 0x40;   // IFA_F_TENTATIVE: not yet through duplicate detection
constexpr unsigned kIfaDadFailed = 0x08;   // IFA_F_DADFAILED
constexpr unsigned kIfaOptimistic = 0x04;  // IFA_F_OPTIMISTIC: in use while duplicate detection runs
constexpr int kIpSuffixOriginOther = 0;
constexpr int kArphrdNone = 0xFFFE;  // tun and WireGuard
constexpr int kArphrdTunnel = 768, kArphrdTunnel6 = 769, kArphrdSit = 776, kArphrdIpGre = 778,
              kArphrdIp6Gre = 823;

bool HexBytes(std::string_view hex, std::array<uint8_t, 16>& bytes) {
  if (hex.size() != 32) return false;
  for (std::size_t i = 0; i < 16; ++i) {
    unsigned value = 0;
    for (char c : hex.substr(2 * i, 2)) {
      int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0) return false;
      value = value * 16 + digit;
    }
    bytes[i] = static_cast<uint8_t>(value);
  }
  return true;
}

bool HexNumber(const std::string& text, unsigned long& value) {
  if (text.empty() || text.size() > 8) return false;
  char* end = nullptr;
  value = std::strtoul(text.c_str(), &end, 16);
  return end && *end == '\0';
}

bool IsHeldForCertain(unsigned flags) { return (flags & (kIfaTentative | kIfaOptimistic | kIfaDadFailed)) == 0; }

int DadStateOf(unsigned flags) { return (flags & kIfaDeprecated) ? kIpDadStateDeprecated : kIpDadStatePreferred; }

std::vector<std::pair<std::string, InterfaceKind>> CurrentInterfaceKinds(const std::string& sysClassNet) {
  std::vector<std::pair<std::string, InterfaceKind>> kinds;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return kinds;
  for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_name) continue;
    auto known = std::find_if(kinds.begin(), kinds.end(), [&](const auto& kind) { return kind.first == entry->ifa_name; });
    if (known != kinds.end()) continue;
    InterfaceKind kind;
    kind.up = (entry->ifa_flags & IFF_UP) && (entry->ifa_flags & IFF_RUNNING);
    kind.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
    kind.pointToPoint = (entry->ifa_flags & IFF_POINTOPOINT) != 0;
    kind.hardwareType = HardwareTypeOf(sysClassNet, entry->ifa_name);
    kind.tun = ::access((sysClassNet + "/" + entry->ifa_name + "/tun_flags").c_str(), F_OK) == 0;
    kinds.emplace_back(entry->ifa_name, kind);
  }
  ::freeifaddrs(list);
  return kinds;
}

}  // namespace

std::vector<KernelIpv6Address> KernelIpv6AddressesOf(std::string_view ifInet6) {
  std::vector<KernelIpv6Address> found;
  std::istringstream lines{std::string(ifInet6)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string hex, index, prefix, scope, flags, name;
    if (!(fields >> hex >> index >> prefix >> scope >> flags >> name)) continue;
    KernelIpv6Address entry{name, {kAfInet6, {}}, 0};
    unsigned long flagsValue = 0;
    if (!HexBytes(hex, entry.address.bytes) || !HexNumber(flags, flagsValue)) continue;
    entry.flags = static_cast<unsigned>(flagsValue);
    found.push_back(entry);
  }
  return found;
}

uint32_t AdapterTypeOf(const InterfaceKind& kind) {
  if (kind.loopback || kind.hardwareType == ARPHRD_LOOPBACK) return kIfTypeSoftwareLoopback;
  if (kind.hardwareType == ARPHRD_PPP) return kIfTypePpp;
  if (kind.tun || kind.hardwareType == kArphrdNone) return kIfTypePropVirtual;
  switch (kind.hardwareType) {
    case kArphrdTunnel: case kArphrdTunnel6: case kArphrdSit: case kArphrdIpGre: case kArphrdIp6Gre:
      return kIfTypeTunnel;
    default: break;
  }
  return kind.pointToPoint ? kIfTypeTunnel : kIfTypeEthernetCsmacd;
}

std::vector<SocketAddress> NameserversOf(std::string_view resolvConf) {
  std::vector<SocketAddress> servers;
  std::istringstream lines{std::string(resolvConf)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string keyword, address;
    if (!(fields >> keyword >> address) || keyword != "nameserver") continue;
    // A link-local server with its zone ("fe80::1%eth0") does not parse: it
    // cannot be asked without the zone, which the record has no room for.
    if (auto parsed = ParseAddress(address)) servers.push_back(*parsed);
  }
  return servers;
}

std::vector<AdapterAddresses> AdaptersOf(const std::vector<KernelIpv6Address>& addresses,
                                         const std::vector<std::pair<std::string, InterfaceKind>>& interfaces,
                                         const Ipv6DefaultRoute& route, const std::vector<SocketAddress>& servers) {
  std::vector<AdapterAddresses> adapters;
  for (const auto& [name, kind] : interfaces) {
    AdapterAddresses adapter;
    adapter.AdapterName = name;
    adapter.IfType = AdapterTypeOf(kind);
    adapter.OperStatus = kind.up ? kIfOperStatusUp : 2;  // IfOperStatusDown
    for (const auto& entry : addresses)
      if (entry.interface == name && IsHeldForCertain(entry.flags))
        adapter.UnicastAddresses.push_back({entry.address,
                                            (entry.flags & kIfaTemporary) ? kIpSuffixOriginRandom : kIpSuffixOriginOther,
                                            DadStateOf(entry.flags)});
    adapter.DnsServerAddresses = servers;
    if (!route.interface.empty() && route.interface == name) adapter.GatewayAddresses.push_back(route.nextHop);
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}

uint32_t PosixOs::GetAdaptersAddresses(uint32_t /*family*/, uint32_t /*flags*/, std::vector<AdapterAddresses>& adapters) {
  // No anycast or multicast address is in if_inet6, so the flags need no work.
  auto ifInet6 = ReadSmallFile(paths_.procNetIfInet6);
  std::vector<SocketAddress> servers;
  if (auto text = ReadSmallFile(paths_.resolvConf)) servers = NameserversOf(*text);
  // Behind systemd-resolved's stub the network's servers are the ones it forwards to.
  if (!servers.empty() && AddressText(servers.front()) == "127.0.0.53") {
    if (auto text = ReadSmallFile(paths_.resolvedResolvConf)) {
      auto upstream = NameserversOf(*text);
      if (!upstream.empty()) servers = upstream;
    }
  }
  adapters = AdaptersOf(ifInet6 ? KernelIpv6AddressesOf(*ifInet6) : std::vector<KernelIpv6Address>{},
                        CurrentInterfaceKinds(paths_.sysClassNet),
                        Ipv6DefaultRouteAmong(CurrentIpv6Routes()), servers);
  return adapters.empty() ? kErrorNoData : kErrorSuccess;
}

}  // namespace hw::posix
