#include "resolve/dns_reverse_query.h"

#include <cstdint>
#include <string_view>

#include "text/text.h"

namespace hw {
namespace {

constexpr std::size_t kIpAddressFieldLength = 16;  // IP_ADDRESS_STRING

std::string QueryName(const std::string& address) { return ReverseDottedName(address) + ".IN-ADDR.ARPA"; }

// The names of the PTR records of the answer section. Records of other
// types come first in a classless delegation (a CNAME to the PTR); their
// data is no host name, and neither is anything outside the answer.
std::vector<std::string> PtrNames(const DnsRecordList& answer) {
  std::vector<std::string> names;
  for (const auto& record : answer.records)
    if (record.wType == kDnsTypePtr && record.Section == kDnsSectionAnswer)
      names.push_back(TrimAtNul(record.pNameHost));
  return names;
}

}  // namespace

std::string QueryDnsServer(Os& os) {
  uint32_t size = 0;
  os.GetNetworkParams(nullptr, size);  // only the size it asks for counts
  // A size with the top bit set is a negative length: nothing to allocate.
  if (static_cast<int32_t>(size) <= 0) return "";

  FixedInfo info;
  if (os.GetNetworkParams(&info, size) != kErrorSuccess) return "";
  return TrimAtNul(std::string_view(info.DnsServerIpAddress).substr(0, kIpAddressFieldLength));
}

std::vector<std::string> DnsReverseLookup(Os& os, const std::string& address, const std::string& server,
                                          LookupFailure* failure) {
  LookupFailure ignored;
  LookupFailure& why = failure ? *failure : ignored;
  why = LookupFailure::None;
  // An empty or unusable server text gives INADDR_NONE, the broadcast address:
  // no query may go there, and with no server there is nobody to ask.
  const uint32_t serverAddress = os.inet_addr(server);
  if (serverAddress == kInaddrNone) {
    why = LookupFailure::NoIpv4DnsServer;
    return {};
  }
  const Ip4Array onlyThisServer{{serverAddress}};

  DnsRecordList answer;  // freed when it goes out of scope, on every path
  const int32_t status =
      os.DnsQuery_A(QueryName(address), kDnsTypePtr, kDnsQueryBypassCache, &onlyThisServer, answer);
  if (status != kDnsStatusSuccess) {
    why = LookupFailureOfDnsStatus(status);
    return {};
  }
  std::vector<std::string> names = PtrNames(answer);
  answer.owner.reset();  // DnsRecordListFree, now that the names are copied out
  // An answer without a PTR record (a CNAME leading nowhere, say) is none.
  if (names.empty()) why = LookupFailure::NoPtrRecord;
  return names;
}

}  // namespace hw
