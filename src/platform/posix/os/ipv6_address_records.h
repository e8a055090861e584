// Reading the answer to an AAAA query into the program's records.
#pragma once

#include <cstdint>
#include <vector>

#include "interfaces/os.h"

namespace hw::posix {

// As AddressRecordsOf, for the IPv6 addresses of a name: one AAAA record per
// address of the answer section, in answer order.
int32_t Ipv6AddressRecordsOf(const std::vector<unsigned char>& answer, DnsRecordList& results);

}  // namespace hw::posix
