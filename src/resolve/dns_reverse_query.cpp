#include "resolve/dns_reverse_query.h"

#include <cstdint>
#include <string_view>

#include "resolve/text_helpers.h"

namespace hw {
namespace {

constexpr std::size_t kIpAddressFieldLength = 16;  // IP_ADDRESS_STRING

std::string QueryName(const std::string& address) { return ReverseDottedName(address) + ".IN-ADDR.ARPA"; }

// The name of the first PTR record. Records of other types come first in a
// classless delegation (a CNAME to the PTR); their data is no host name.
std::string FirstPtrName(const DnsRecordList& answer) {
  for (const auto& record : answer.records)
    if (record.wType == kDnsTypePtr) return TrimAtNul(record.pNameHost);
  return "";
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

std::string DnsReverseLookup(Os& os, const std::string& address, const std::string& server) {
  // An empty or unusable server text gives INADDR_NONE, the broadcast address:
  // no query may go there, and with no server there is nobody to ask.
  const uint32_t serverAddress = os.inet_addr(server);
  if (serverAddress == kInaddrNone) return "";
  const Ip4Array onlyThisServer{{serverAddress}};

  DnsRecordList answer;  // freed when it goes out of scope, on every path
  if (os.DnsQuery_A(QueryName(address), kDnsTypePtr, kDnsQueryBypassCache, &onlyThisServer, answer) !=
      kDnsStatusSuccess)
    return "";
  std::string name = FirstPtrName(answer);
  answer.owner.reset();  // DnsRecordListFree, now that the name is copied out
  return name;
}

}  // namespace hw
