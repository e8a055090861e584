// The adapters with their IPv4 and IPv6 addresses (IP Helper's
// GetAdaptersAddresses).
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include <ws2tcpip.h>

#include "platform/win32/os/text_encoding.h"
#include "platform/win32/os/win32_os.h"

namespace hw::win32 {
namespace {

static_assert(AF_INET6 == kAfInet6 && AF_UNSPEC == kAfUnspec);
static_assert(GAA_FLAG_SKIP_ANYCAST == kGaaFlagSkipAnycast && GAA_FLAG_SKIP_MULTICAST == kGaaFlagSkipMulticast &&
              GAA_FLAG_INCLUDE_GATEWAYS == kGaaFlagIncludeGateways);
static_assert(IF_TYPE_TUNNEL == kIfTypeTunnel && IF_TYPE_PPP == kIfTypePpp &&
              IF_TYPE_SOFTWARE_LOOPBACK == kIfTypeSoftwareLoopback && IF_TYPE_PROP_VIRTUAL == kIfTypePropVirtual);
static_assert(IpSuffixOriginRandom == kIpSuffixOriginRandom && IpDadStateTentative == kIpDadStateTentative &&
              IpDadStateDuplicate == kIpDadStateDuplicate && IpDadStateDeprecated == kIpDadStateDeprecated &&
              IpDadStatePreferred == kIpDadStatePreferred && IfOperStatusUp == kIfOperStatusUp);

// The gateway list came with Vista; an older system's record ends before it.
constexpr std::size_t kGatewaysEnd =
    offsetof(IP_ADAPTER_ADDRESSES_LH, FirstGatewayAddress) + sizeof(PIP_ADAPTER_GATEWAY_ADDRESS_LH);

SocketAddress AddressOf(const SOCKET_ADDRESS& address) {
  SocketAddress copy;
  const sockaddr* socketAddress = address.lpSockaddr;
  if (!socketAddress) return copy;
  if (socketAddress->sa_family == AF_INET && address.iSockaddrLength >= static_cast<INT>(sizeof(sockaddr_in))) {
    copy.family = kAfInet;
    std::memcpy(copy.bytes.data(), &reinterpret_cast<const sockaddr_in*>(socketAddress)->sin_addr, 4);
  } else if (socketAddress->sa_family == AF_INET6 &&
             address.iSockaddrLength >= static_cast<INT>(sizeof(sockaddr_in6))) {
    copy.family = kAfInet6;
    std::memcpy(copy.bytes.data(), &reinterpret_cast<const sockaddr_in6*>(socketAddress)->sin6_addr, 16);
  }
  return copy;
}

AdapterAddresses CopyAdapter(const IP_ADAPTER_ADDRESSES_LH& adapter) {
  AdapterAddresses copy;
  copy.AdapterName = adapter.AdapterName ? win32::FromAnsi(adapter.AdapterName) : "";
  copy.IfType = adapter.IfType;
  copy.OperStatus = adapter.OperStatus;
  for (auto* unicast = adapter.FirstUnicastAddress; unicast; unicast = unicast->Next)
    copy.UnicastAddresses.push_back({AddressOf(unicast->Address), unicast->SuffixOrigin, unicast->DadState});
  for (auto* server = adapter.FirstDnsServerAddress; server; server = server->Next)
    copy.DnsServerAddresses.push_back(AddressOf(server->Address));
  if (adapter.Length >= kGatewaysEnd)
    for (auto* gateway = adapter.FirstGatewayAddress; gateway; gateway = gateway->Next)
      copy.GatewayAddresses.push_back(AddressOf(gateway->Address));
  return copy;
}

}  // namespace

uint32_t Win32Os::GetAdaptersAddresses(uint32_t family, uint32_t flags, std::vector<AdapterAddresses>& adapters) {
  auto getAdapters = system_.GetAdaptersAddresses.Get();
  ULONG size = 16 * 1024;
  // The list may grow between the calls: ask again a few times.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]());
    if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
    auto* first = reinterpret_cast<PIP_ADAPTER_ADDRESSES>(buffer.get());
    ULONG result = getAdapters(family, flags, nullptr, first, &size);
    if (result == ERROR_BUFFER_OVERFLOW) continue;
    if (result != ERROR_SUCCESS) return result;
    adapters.clear();
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES_LH*>(first); adapter; adapter = adapter->Next)
      adapters.push_back(CopyAdapter(*adapter));
    return ERROR_SUCCESS;
  }
  return ERROR_BUFFER_OVERFLOW;
}

}  // namespace hw::win32
