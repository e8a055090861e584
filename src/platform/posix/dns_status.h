// The DNS status codes of DnsQuery_A that the Linux layer reports, and how
// c-ares's results map onto them.
#pragma once

#include <cstdint>

namespace hw::posix {

inline constexpr int32_t kErrorInvalidParameter = 87;
inline constexpr int32_t kErrorInvalidName = 123;
inline constexpr int32_t kErrorOutOfMemory = 14;
inline constexpr int32_t kErrorTimeout = 1460;
inline constexpr int32_t kDnsErrorRcodeFormatError = 9001;
inline constexpr int32_t kDnsErrorRcodeServerFailure = 9002;
inline constexpr int32_t kDnsErrorRcodeNameError = 9003;
inline constexpr int32_t kDnsErrorRcodeNotImplemented = 9004;
inline constexpr int32_t kDnsErrorRcodeRefused = 9005;
inline constexpr int32_t kDnsInfoNoRecords = 9501;
inline constexpr int32_t kDnsErrorBadPacket = 9502;
inline constexpr int32_t kDnsErrorNoDnsServers = 9852;

// The status for an ARES_* result; 0 only for ARES_SUCCESS.
int32_t DnsStatusOfAres(int aresStatus);

// Whether a server address (network byte order in memory) may be asked:
// not 0.0.0.0, not multicast, not broadcast or reserved (255.255.255.255 is
// also what inet_addr gives for an empty or unusable server text).
bool IsUnicastServer(uint32_t address);

}  // namespace hw::posix
