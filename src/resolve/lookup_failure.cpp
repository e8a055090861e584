#include "resolve/lookup_failure.h"

#include "interfaces/os.h"

namespace hw {

LookupFailure LookupFailureOfDnsStatus(int32_t status) {
  switch (status) {
    case 0:
    case kDnsErrorRcodeNameError:
    case kDnsInfoNoRecords: return LookupFailure::NoPtrRecord;
    case kDnsErrorRcodeFormatError:
    case kDnsErrorRcodeServerFailure:
    case kDnsErrorRcodeNotImplemented:
    case kDnsErrorRcodeRefused:
    case kDnsErrorBadPacket:
    case kDnsErrorNoPacket: return LookupFailure::DnsServerFailure;
    case kWsaeConnRefused:
    case kErrorConnectionRefused: return LookupFailure::DnsServerUnreachable;
    case kErrorTimeout: return LookupFailure::DnsTimeout;
    case kDnsErrorNoDnsServers: return LookupFailure::NoDnsServer;
    default: return LookupFailure::None;  // the program's own trouble, not the server's
  }
}

LookupFailure LookupFailureOfWinsockError(int error) {
  switch (error) {
    case kWsaHostNotFound:
    case kWsaNoData: return LookupFailure::NoPtrRecord;
    case kWsaTryAgain: return LookupFailure::DnsTimeout;  // no authoritative answer in time
    case kWsaNoRecovery: return LookupFailure::DnsServerFailure;
    default: return LookupFailure::None;
  }
}

}  // namespace hw
