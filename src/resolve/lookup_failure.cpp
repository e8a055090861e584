#include "resolve/lookup_failure.h"

namespace hw {
namespace {

// The DNS client's statuses (winerror.h) and Windows Sockets' resolver errors.
constexpr int32_t kErrorTimeout = 1460;
constexpr int32_t kDnsErrorRcodeFormatError = 9001;
constexpr int32_t kDnsErrorRcodeServerFailure = 9002;
constexpr int32_t kDnsErrorRcodeNameError = 9003;
constexpr int32_t kDnsErrorRcodeNotImplemented = 9004;
constexpr int32_t kDnsErrorRcodeRefused = 9005;
constexpr int32_t kDnsInfoNoRecords = 9501;
constexpr int32_t kDnsErrorBadPacket = 9502;
constexpr int32_t kDnsErrorNoPacket = 9503;
constexpr int32_t kDnsErrorNoDnsServers = 9852;
constexpr int kWsaHostNotFound = 11001;
constexpr int kWsaTryAgain = 11002;
constexpr int kWsaNoRecovery = 11003;
constexpr int kWsaNoData = 11004;

}  // namespace

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
