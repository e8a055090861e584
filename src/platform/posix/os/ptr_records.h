// Reading a DNS answer into the program's records: the PTR names of the
// answer, in answer order, after any CNAME that leads to them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interfaces/os.h"

namespace hw::posix {

// Parses `answer` (a whole reply as it came off the wire) to the PTR query
// for `name`. On success returns 0 and fills `results` with one PTR record
// per name; otherwise returns the DNS status of the fault and leaves
// `results` as it was.
int32_t PtrRecordsOf(const std::vector<unsigned char>& answer, const std::string& name, DnsRecordList& results);

}  // namespace hw::posix
