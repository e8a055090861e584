// Which DNS records carry a name where a PTR record carries its host name.
#pragma once

#include <cstdint>

namespace hw::win32 {

// True for the record types whose data begins with a pointer to a name (the
// place of Data.PTR.pNameHost): the PTR family itself (PTR, CNAME, NS, DNAME
// and the old mailbox types) and the types that lead with a host name (SOA,
// MX, MINFO, RP, AFSDB, RT, SRV). Any other type keeps a number or an address
// there, which must not be read as a pointer.
constexpr bool RecordDataIsName(uint16_t type) {
  switch (type) {
    case 2:   // NS
    case 3:   // MD
    case 4:   // MF
    case 5:   // CNAME
    case 6:   // SOA
    case 7:   // MB
    case 8:   // MG
    case 9:   // MR
    case 12:  // PTR
    case 14:  // MINFO
    case 15:  // MX
    case 17:  // RP
    case 18:  // AFSDB
    case 21:  // RT
    case 33:  // SRV
    case 39:  // DNAME
      return true;
    default:
      return false;
  }
}

}  // namespace hw::win32
