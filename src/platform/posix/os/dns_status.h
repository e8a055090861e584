// The DNS status codes of DnsQuery_A that the Linux layer reports, and how
// c-ares's results map onto them.
#pragma once

#include <cstdint>

#include "interfaces/os.h"

namespace hw::posix {

inline constexpr int32_t kErrorInvalidParameter = 87;
inline constexpr int32_t kErrorInvalidName = 123;
inline constexpr int32_t kErrorOutOfMemory = 14;

// The status for an ARES_* result; 0 only for ARES_SUCCESS.
int32_t DnsStatusOfAres(int aresStatus);

// Whether a server address (network byte order in memory) may be asked:
// not 0.0.0.0, not multicast, not broadcast or reserved (255.255.255.255 is
// also what inet_addr gives for an empty or unusable server text).
bool IsUnicastServer(uint32_t address);

}  // namespace hw::posix
