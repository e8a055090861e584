#include "platform/posix/os/address_records.h"

#include <ares.h>
#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>

#include "platform/posix/os/dns_status.h"

namespace hw::posix {

// c-ares keeps only the A records owned by the question's name or by the
// target of a CNAME that leads from it, so a record about another name
// never counts.
int32_t AddressRecordsOf(const std::vector<unsigned char>& answer, DnsRecordList& results) {
  hostent* host = nullptr;
  int status = ares_parse_a_reply(answer.data(), static_cast<int>(answer.size()), &host, nullptr, nullptr);
  if (status != ARES_SUCCESS) return DnsStatusOfAres(status);
  std::vector<DnsRecord> records;
  if (host->h_addrtype == AF_INET && host->h_length == 4) {
    for (char** address = host->h_addr_list; address && *address; ++address) {
      DnsRecord record{kDnsTypeA, host->h_name ? host->h_name : "", ""};
      std::memcpy(&record.IpAddress, *address, sizeof record.IpAddress);
      records.push_back(std::move(record));
    }
  }
  ares_free_hostent(host);
  if (records.empty()) return kDnsInfoNoRecords;
  results.records = std::move(records);
  results.owner = Released([] {});  // the records are copies: nothing of c-ares's is held
  return kDnsStatusSuccess;
}

}  // namespace hw::posix
