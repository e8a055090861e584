#include "resolve/ipv6_configuration.h"

#include <algorithm>

#include "resolve/ip_address_text.h"
#include "resolve/tunnel_addresses.h"

namespace hw {
namespace {

bool IsCandidateAdapter(const AdapterAddresses& adapter) {
  return adapter.OperStatus == kIfOperStatusUp && adapter.IfType != kIfTypeSoftwareLoopback &&
         !IsTunnelAdapter(adapter);
}

bool HasIpv6DefaultRoute(const AdapterAddresses& adapter) {
  return std::any_of(adapter.GatewayAddresses.begin(), adapter.GatewayAddresses.end(),
                     [](const SocketAddress& gateway) { return gateway.family == kAfInet6; });
}

std::vector<std::string> OwnAddressesOf(const AdapterAddresses& adapter) {
  std::vector<std::string> found;
  for (const auto& unicast : adapter.UnicastAddresses)
    if (IsGlobalIpv6Address(unicast.Address) && IsStableAddress(unicast)) found.push_back(AddressText(unicast.Address));
  return found;
}

void AddEachOnce(std::vector<std::string>& list, const std::vector<std::string>& more) {
  for (const auto& item : more)
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

std::string FirstServerOf(const AdapterAddresses& adapter) {
  for (const auto& server : adapter.DnsServerAddresses)
    if (server.family == kAfInet || server.family == kAfInet6) return AddressText(server);
  return "";
}

}  // namespace

bool IsTunnelAdapter(const AdapterAddresses& adapter) { return IsTunnelAdapterType(adapter.IfType); }

bool IsGlobalIpv6Address(const SocketAddress& address) {
  if (address.family != kAfInet6) return false;
  const auto& b = address.bytes;
  bool zeroHead = std::all_of(b.begin(), b.begin() + 10, [](uint8_t x) { return x == 0; });
  if (zeroHead && b[10] == 0 && b[11] == 0) return false;           // unspecified, loop-back, IPv4-compatible
  if (zeroHead && b[10] == 0xFF && b[11] == 0xFF) return false;     // IPv4-mapped
  if (b[0] == 0xFF) return false;                                    // multicast
  if (b[0] == 0xFE && (b[1] & 0xC0) == 0x80) return false;           // link-local fe80::/10
  if (b[0] == 0xFE && (b[1] & 0xC0) == 0xC0) return false;           // site-local fec0::/10
  return true;
}

// Only a preferred address is surely the PC's: one still being checked for
// duplicates (tentative) or found a duplicate may be another host's, and
// then its DNS name is that host's too.
bool IsStableAddress(const AdapterUnicastAddress& address) {
  return address.SuffixOrigin != kIpSuffixOriginRandom && address.DadState == kIpDadStatePreferred;
}

Ipv6Configuration Ipv6ConfigurationOf(const std::vector<AdapterAddresses>& adapters) {
  Ipv6Configuration configuration;
  const AdapterAddresses* routed = nullptr;
  for (const auto& adapter : adapters)
    if (!routed && IsCandidateAdapter(adapter) && HasIpv6DefaultRoute(adapter)) routed = &adapter;
  if (routed) {
    configuration.defaultRoute = true;
    AddEachOnce(configuration.addresses, OwnAddressesOf(*routed));
    if (!configuration.addresses.empty()) configuration.selectedAddress = configuration.addresses.front();
    configuration.dnsServer = FirstServerOf(*routed);
  }
  for (const auto& adapter : adapters) {
    if (!IsCandidateAdapter(adapter)) continue;
    AddEachOnce(configuration.addresses, OwnAddressesOf(adapter));
    if (configuration.dnsServer.empty()) configuration.dnsServer = FirstServerOf(adapter);
  }
  return configuration;
}

Ipv6Configuration QueryIpv6Configuration(Os& os) {
  std::vector<AdapterAddresses> adapters;
  constexpr uint32_t kFlags = kGaaFlagSkipAnycast | kGaaFlagSkipMulticast | kGaaFlagIncludeGateways;
  if (os.GetAdaptersAddresses(kAfUnspec, kFlags, adapters) != kErrorSuccess) return {};
  return Ipv6ConfigurationOf(adapters);
}

}  // namespace hw
