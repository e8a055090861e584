// GetAdaptersInfo for Linux: each interface with an IPv4 address, typed as
// Windows types its adapters, so that the check can pass over a VPN's.
#include <arpa/inet.h>
#include <net/if_arp.h>

#include <algorithm>

#include "platform/posix/os/own_addresses.h"
#include "platform/posix/os/posix_os.h"

namespace hw::posix {
namespace {

uint32_t AdapterTypeOf(const InterfaceAddress& entry) {
  if (entry.hardwareType == ARPHRD_PPP) return kIfTypePpp;
  if (IsTunnelInterface(entry)) return kIfTypeTunnel;
  if (entry.loopback) return kIfTypeSoftwareLoopback;
  return kIfTypeEthernetCsmacd;
}

std::string DottedText(const Ipv4Address& address) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, address.data(), text, sizeof text);
  return text;
}

}  // namespace

uint32_t PosixOs::GetAdaptersInfo(std::vector<IpAdapterInfo>& adapters) {
  adapters.clear();
  for (const auto& entry : CurrentIpv4Addresses()) {
    auto adapter = std::find_if(adapters.begin(), adapters.end(),
                                [&](const IpAdapterInfo& known) { return known.AdapterName == entry.interface; });
    if (adapter == adapters.end()) adapter = adapters.insert(adapters.end(), {entry.interface, AdapterTypeOf(entry), {}});
    adapter->IpAddressList.push_back(DottedText(entry.address));
  }
  return kErrorSuccess;
}

}  // namespace hw::posix
