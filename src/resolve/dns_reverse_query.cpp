#include "resolve/dns_reverse_query.h"

#include <cstdint>
#include <string_view>

#include "resolve/ip_address_text.h"
#include "resolve/ipv6_reverse_query.h"
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

std::string FirstIpv4DnsServer(Os& os) {
  uint32_t size = 0;
  os.GetNetworkParams(nullptr, size);  // only the size it asks for counts
  // A size with the top bit set is a negative length: nothing to allocate.
  if (static_cast<int32_t>(size) <= 0) return "";

  FixedInfo info;
  if (os.GetNetworkParams(&info, size) != kErrorSuccess) return "";
  return TrimAtNul(std::string_view(info.DnsServerIpAddress).substr(0, kIpAddressFieldLength));
}

// The IPv4 field of the configuration has no room for an IPv6 server: the
// adapters' lists name them. A system without that list has no IPv6 DNS.
std::string FirstDnsServerOfEitherFamily(Os& os) {
  std::vector<AdapterAddresses> adapters;
  try {
    if (os.GetAdaptersAddresses(kAfUnspec, kGaaFlagSkipAnycast | kGaaFlagSkipMulticast, adapters) != kErrorSuccess)
      return "";
  } catch (const MissingFunction&) {
    return "";
  }
  // An adapter that is up first; Linux names the same servers for every one.
  for (bool upOnly : {true, false})
    for (const auto& adapter : adapters) {
      if (upOnly && adapter.OperStatus != kIfOperStatusUp) continue;
      for (const auto& server : adapter.DnsServerAddresses)
        if (server.family == kAfInet || server.family == kAfInet6) return AddressText(server);
    }
  return "";
}

// The PTR query to an IPv6 server, which DnsQuery_A's server list cannot hold.
int32_t QueryIpv6Server(Os& os, const std::string& address, const std::string& server, DnsRecordList& answer) {
  auto to = UsableDnsServer(server);
  if (!to) return kDnsErrorNoDnsServers;
  return os.DnsQuery_A(QueryName(address), kDnsTypePtr, kDnsQueryBypassCache, *to, answer);
}

}  // namespace

std::string QueryDnsServer(Os& os) {
  std::string server = FirstIpv4DnsServer(os);
  return server.empty() ? FirstDnsServerOfEitherFamily(os) : server;
}

std::vector<std::string> DnsReverseLookup(Os& os, const std::string& address, const std::string& server,
                                          LookupFailure* failure) {
  LookupFailure ignored;
  LookupFailure& why = failure ? *failure : ignored;
  why = LookupFailure::None;
  DnsRecordList answer;  // freed when it goes out of scope, on every path
  int32_t status = kDnsErrorNoDnsServers;
  if (IsIpv6Text(server)) {
    status = QueryIpv6Server(os, address, server, answer);
  } else {
    // An empty or unusable server text gives INADDR_NONE, the broadcast address:
    // no query may go there, and with no server there is nobody to ask.
    const uint32_t serverAddress = os.inet_addr(server);
    if (serverAddress == kInaddrNone) {
      why = LookupFailure::NoDnsServer;
      return {};
    }
    const Ip4Array onlyThisServer{{serverAddress}};
    status = os.DnsQuery_A(QueryName(address), kDnsTypePtr, kDnsQueryBypassCache, &onlyThisServer, answer);
  }
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
