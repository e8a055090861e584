#include "resolve/lookup_failure.h"

#include "platform/os.h"

namespace hw {

LookupFailure LookupFailureOfDnsStatus(int32_t status) {
  switch (status) {
    case 0:
    case kDnsErrorRcodeNameError:
    case kDnsInfoNoRecords: return LookupFailure::NoRecord;
    case kDnsErrorRcodeFormatError:
    case kDnsErrorRcodeServerFailure:
    case kDnsErrorRcodeNotImplemented:
    case kDnsErrorRcodeRefused:
    case kDnsErrorBadPacket:
    case kDnsErrorNoPacket: return LookupFailure::ServerFailure;
    case kWsaeConnRefused:
    case kErrorConnectionRefused: return LookupFailure::Unreachable;
    case kErrorTimeout: return LookupFailure::Timeout;
    case kDnsErrorNoDnsServers: return LookupFailure::NoServer;
    default: return LookupFailure::None;  // the program's own trouble, not the server's
  }
}

LookupFailure LookupFailureOfWinsockError(int error) {
  switch (error) {
    case kWsaHostNotFound:
    case kWsaNoData: return LookupFailure::NoRecord;
    case kWsaTryAgain: return LookupFailure::Timeout;  // no authoritative answer in time
    case kWsaNoRecovery: return LookupFailure::ServerFailure;
    default: return LookupFailure::None;
  }
}

}  // namespace hw
