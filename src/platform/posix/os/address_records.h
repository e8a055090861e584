// Reading the answer to an A query into the program's records: the
// addresses of the name, after any CNAME that leads to them.
#pragma once

#include <cstdint>
#include <vector>

#include "interfaces/os.h"

namespace hw::posix {

// Parses `answer` (a whole reply as it came off the wire) to the A query for
// a name. On success returns 0 and fills `results` with one A record per
// address of the answer section, in answer order; otherwise returns the DNS
// status of the fault and leaves `results` as it was.
int32_t AddressRecordsOf(const std::vector<unsigned char>& answer, DnsRecordList& results);

}  // namespace hw::posix
