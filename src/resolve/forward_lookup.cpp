#include "resolve/forward_lookup.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "resolve/ip_address_text.h"
#include "resolve/ipv6_reverse_query.h"
#include "resolve/sockets.h"
#include "resolve/sockets_held.h"

namespace hw {
namespace {

bool AnswerNamesAddress(const DnsRecordList& answer, uint32_t address) {
  for (const auto& record : answer.records)
    if (record.wType == kDnsTypeA && record.Section == kDnsSectionAnswer && record.IpAddress == address) return true;
  return false;
}

// An address of the host entry equal to `address`: exactly four bytes, as
// inet_addr lays them out in memory.
bool EntryNamesAddress(const HostEnt& entry, uint32_t address) {
  std::array<uint8_t, 4> wanted;
  std::memcpy(wanted.data(), &address, wanted.size());
  for (const auto& candidate : entry.h_addr_list)
    if (candidate.size() == wanted.size() && std::equal(candidate.begin(), candidate.end(), wanted.begin()))
      return true;
  return false;
}

bool LookUpWhileSocketsHeld(Os& os, const std::string& name, const std::string& address) {
  const uint32_t wanted = os.inet_addr(address);
  if (wanted == kInaddrNone) return false;
  const auto entry = os.gethostbyname(name);
  return entry && EntryNamesAddress(*entry, wanted);
}

}  // namespace

bool DnsNameHasAddress(Os& os, const std::string& name, const std::string& address, const std::string& server) {
  if (name.empty()) return false;
  // An IPv6-only PC's address is confirmed by the name's AAAA records.
  if (IsIpv6Text(address)) return DnsNameHasIpv6Address(os, name, address, server);
  const uint32_t wanted = os.inet_addr(address);
  if (wanted == kInaddrNone) return false;
  // Only the server may answer: the DNS client would otherwise answer the
  // PC's own DNS host name or a name in its hosts file by itself, or ask
  // NetBIOS when the server has no record.
  constexpr uint32_t kServerOnly =
      kDnsQueryBypassCache | kDnsQueryNoLocalName | kDnsQueryNoHostsFile | kDnsQueryNoNetbt;
  DnsRecordList answer;  // freed when it goes out of scope, on every path
  // The same server as the PTR query, an IPv6 one where the PC has no other.
  if (IsIpv6Text(server)) {
    auto to = UsableDnsServer(server);
    if (!to || os.DnsQuery_A(name, kDnsTypeA, kServerOnly, *to, answer) != kDnsStatusSuccess) return false;
    return AnswerNamesAddress(answer, wanted);
  }
  // As for the PTR query: no server text, no query, rather than the
  // broadcast address that inet_addr gives for it.
  const uint32_t serverAddress = os.inet_addr(server);
  if (serverAddress == kInaddrNone) return false;
  const Ip4Array onlyThisServer{{serverAddress}};
  if (os.DnsQuery_A(name, kDnsTypeA, kServerOnly, &onlyThisServer, answer) != kDnsStatusSuccess) return false;
  return AnswerNamesAddress(answer, wanted);
}

bool ResolverNameHasAddress(Os& os, Forms& forms, const std::string& name, const std::string& address) {
  if (name.empty()) return false;
  if (!SocketsStartup(os, forms)) return false;
  const bool found = ReleasingSocketsOnError(os, [&] { return LookUpWhileSocketsHeld(os, name, address); });
  SocketsCleanup(os, forms);
  return found;
}

}  // namespace hw
