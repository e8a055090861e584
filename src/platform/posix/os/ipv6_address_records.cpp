#include "platform/posix/os/ipv6_address_records.h"

#include <ares.h>
#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>

#include "platform/posix/os/dns_status.h"

namespace hw::posix {

// c-ares keeps only the records of the question's name or of a CNAME
// target that leads from it.
int32_t Ipv6AddressRecordsOf(const std::vector<unsigned char>& answer, DnsRecordList& results) {
  hostent* host = nullptr;
  int status = ares_parse_aaaa_reply(answer.data(), static_cast<int>(answer.size()), &host, nullptr, nullptr);
  if (status != ARES_SUCCESS) return DnsStatusOfAres(status);
  std::vector<DnsRecord> records;
  if (host->h_addrtype == AF_INET6 && host->h_length == 16) {
    for (char** address = host->h_addr_list; address && *address; ++address) {
      DnsRecord record{kDnsTypeAaaa, host->h_name ? host->h_name : "", ""};
      std::memcpy(record.Ip6Address.data(), *address, record.Ip6Address.size());
      records.push_back(std::move(record));
    }
  }
  ares_free_hostent(host);
  if (records.empty()) return kDnsInfoNoRecords;
  results.records = std::move(records);
  results.owner = Released([] {});
  return kDnsStatusSuccess;
}

}  // namespace hw::posix
