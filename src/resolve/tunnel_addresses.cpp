#include "resolve/tunnel_addresses.h"

namespace hw {

// PropVirtual is what user-space tunnels (wintun, WireGuard) report.
bool IsTunnelAdapterType(uint32_t type) {
  return type == kIfTypePpp || type == kIfTypeTunnel || type == kIfTypePropVirtual;
}

std::vector<std::string> TunnelAddresses(Os& os) {
  std::vector<IpAdapterInfo> adapters;
  try {
    if (os.GetAdaptersInfo(adapters) != kErrorSuccess) return {};
  } catch (const MissingFunction&) {
    return {};  // an older system: every address is taken as it comes
  }
  std::vector<std::string> tunnels;
  for (const auto& adapter : adapters)
    if (IsTunnelAdapterType(adapter.Type))
      tunnels.insert(tunnels.end(), adapter.IpAddressList.begin(), adapter.IpAddressList.end());
  return tunnels;
}

}  // namespace hw
