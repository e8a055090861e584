// The addresses that a VPN gives the PC: those of point-to-point and tunnel
// adapters. Their names are a pool's, never the PC's.
#pragma once

#include <string>
#include <vector>

#include "interfaces/os.h"

namespace hw {

// Whether an adapter of this MIB interface type carries a tunnel's address.
bool IsTunnelAdapterType(uint32_t type);

// The IPv4 addresses of the PC's PPP and tunnel adapters, as dotted text;
// none where the system cannot list its adapters. A VPN that presents itself
// as an Ethernet adapter cannot be told apart and is not among them.
std::vector<std::string> TunnelAddresses(Os& os);

}  // namespace hw
