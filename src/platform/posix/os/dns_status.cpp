#include "platform/posix/os/dns_status.h"

#include <ares.h>
#include <arpa/inet.h>

namespace hw::posix {

int32_t DnsStatusOfAres(int aresStatus) {
  switch (aresStatus) {
    case ARES_SUCCESS: return 0;
    case ARES_ENODATA: return kDnsInfoNoRecords;
    case ARES_EFORMERR: return kDnsErrorRcodeFormatError;
    case ARES_ESERVFAIL: return kDnsErrorRcodeServerFailure;
    case ARES_ENOTFOUND: return kDnsErrorRcodeNameError;
    case ARES_ENOTIMP: return kDnsErrorRcodeNotImplemented;
    case ARES_EREFUSED: return kDnsErrorRcodeRefused;
    case ARES_EBADNAME: return kErrorInvalidName;
    case ARES_ENOMEM: return kErrorOutOfMemory;
    case ARES_EBADRESP:
    case ARES_EBADSTR: return kDnsErrorBadPacket;
    // Nothing listens at the server's address: the refusal came at once,
    // which says more than a silence would.
    case ARES_ECONNREFUSED: return kWsaeConnRefused;
    default: return kErrorTimeout;  // time-out, cancelled: no answer came
  }
}

bool IsUnicastServer(uint32_t address) {
  uint32_t host = ntohl(address);
  uint32_t firstByte = host >> 24;
  return firstByte != 0 && firstByte < 224;
}

}  // namespace hw::posix
