#include "resolve/ipv6_reverse_query.h"

#include <optional>

#include "resolve/ip_address_text.h"
#include "text/text.h"

namespace hw {

std::optional<SocketAddress> UsableDnsServer(const std::string& server) {
  auto address = ParseAddress(server);
  if (!address) return std::nullopt;
  if (address->family == kAfInet6 && (address->bytes[0] == 0xFF || *address == SocketAddress{kAfInet6, {}}))
    return std::nullopt;
  if (address->family == kAfInet && (address->bytes[0] == 0 || address->bytes[0] >= 224)) return std::nullopt;
  return address;
}

std::vector<std::string> Ipv6ReverseLookup(Os& os, const std::string& address, const std::string& server) {
  auto own = ParseAddress(address);
  auto to = UsableDnsServer(server);
  if (!own || own->family != kAfInet6 || !to) return {};
  DnsRecordList answer;  // freed when it goes out of scope, on every path
  if (os.DnsQuery_A(Ipv6ReverseName(*own), kDnsTypePtr, kDnsQueryBypassCache, *to, answer) != kDnsStatusSuccess)
    return {};
  std::vector<std::string> names;
  for (const auto& record : answer.records)
    if (record.wType == kDnsTypePtr && record.Section == kDnsSectionAnswer) names.push_back(TrimAtNul(record.pNameHost));
  answer.owner.reset();
  return names;
}

bool DnsNameHasIpv6Address(Os& os, const std::string& name, const std::string& address, const std::string& server) {
  auto wanted = ParseAddress(address);
  auto to = UsableDnsServer(server);
  if (name.empty() || !wanted || wanted->family != kAfInet6 || !to) return false;
  // Only the server may answer, as for the A query.
  constexpr uint32_t kServerOnly =
      kDnsQueryBypassCache | kDnsQueryNoLocalName | kDnsQueryNoHostsFile | kDnsQueryNoNetbt;
  DnsRecordList answer;
  if (os.DnsQuery_A(name, kDnsTypeAaaa, kServerOnly, *to, answer) != kDnsStatusSuccess) return false;
  for (const auto& record : answer.records)
    if (record.wType == kDnsTypeAaaa && record.Section == kDnsSectionAnswer && record.Ip6Address == wanted->bytes)
      return true;
  return false;
}

}  // namespace hw
