// A DNS reply from the network, read into the program's records: whatever
// the bytes, the reader returns a status, and a success carries names the
// startup check can take apart.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "check/name_rules.h"
#include "platform/posix/os/ipv6_address_records.h"
#include "platform/posix/os/ptr_records.h"
#include "text/text.h"

namespace {

// What the program asks for 192.0.2.7 and for 2001:db8::7.
const std::string kQueryName = "7.2.0.192.IN-ADDR.ARPA";
const std::string kIpv6QueryName = "7.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa";

void Require(bool condition) {
  if (!condition) std::abort();  // libFuzzer reports the input
}

// One reply read as the answer to the PTR query for `queryName` of `address`.
void ReadPtrAnswer(const std::vector<unsigned char>& answer, const std::string& queryName, const char* address) {
  hw::DnsRecordList results;
  int32_t status = hw::posix::PtrRecordsOf(answer, queryName, results);
  if (status != hw::kDnsStatusSuccess) {
    Require(results.records.empty());
    return;
  }
  Require(!results.records.empty());
  for (const hw::DnsRecord& record : results.records) {
    Require(record.wType == hw::kDnsTypePtr);
    Require(record.pName == queryName);
    // The startup check cuts the name at its first NUL and keeps its first label.
    Require(hw::TrimAtNul(record.pNameHost) == record.pNameHost);
    std::string shortName = hw::FirstLabel(record.pNameHost);
    Require(shortName.size() <= record.pNameHost.size());
    (void)hw::NameCheckExemptionOf({true, record.pNameHost, address, "uni-falkenau.de"});
    (void)hw::NamesDiffer("ws-17", "WS-17", shortName);
  }
}

// The same reply read as the answer to the AAAA query of the forward
// confirmation: addresses of sixteen bytes, or a status.
void ReadIpv6AddressAnswer(const std::vector<unsigned char>& answer) {
  hw::DnsRecordList results;
  if (hw::posix::Ipv6AddressRecordsOf(answer, results) != hw::kDnsStatusSuccess) {
    Require(results.records.empty());
    return;
  }
  for (const hw::DnsRecord& record : results.records) Require(record.wType == hw::kDnsTypeAaaa);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::vector<unsigned char> answer(data, data + size);
  ReadPtrAnswer(answer, kQueryName, "192.0.2.7");
  ReadPtrAnswer(answer, kIpv6QueryName, "2001:db8::7");
  ReadIpv6AddressAnswer(answer);
  return 0;
}
