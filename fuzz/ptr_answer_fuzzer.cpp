// A DNS reply from the network, read into the program's records: whatever
// the bytes, the reader returns a status, and a success carries names the
// startup check can take apart.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "check/name_rules.h"
#include "platform/posix/ptr_records.h"
#include "resolve/text_helpers.h"

namespace {

// What the program asks for 192.0.2.7.
const std::string kQueryName = "7.2.0.192.IN-ADDR.ARPA";

void Require(bool condition) {
  if (!condition) std::abort();  // libFuzzer reports the input
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::vector<unsigned char> answer(data, data + size);
  hw::DnsRecordList results;
  int32_t status = hw::posix::PtrRecordsOf(answer, kQueryName, results);
  if (status != hw::kDnsStatusSuccess) {
    Require(results.records.empty());
    return 0;
  }
  Require(!results.records.empty());
  for (const hw::DnsRecord& record : results.records) {
    Require(record.wType == hw::kDnsTypePtr);
    Require(record.pName == kQueryName);
    // The startup check cuts the name at its first NUL and keeps its first label.
    Require(hw::TrimAtNul(record.pNameHost) == record.pNameHost);
    std::string shortName = hw::DnsShortNameOf(record.pNameHost);
    Require(shortName.size() <= record.pNameHost.size());
    (void)hw::NameCheckApplies({true, record.pNameHost, "192.0.2.7", "uni-falkenau.de"});
    (void)hw::NamesDiffer("ws-17", "WS-17", shortName);
  }
  return 0;
}
