// Forward confirmation: a PTR answer is trusted to rename the PC only when
// the name it gives leads back to the PC's address. A stale record left
// behind by a moved address, or a forged reply, fails that test.
#pragma once

#include <string>

#include "platform/forms.h"
#include "platform/os.h"
#include "probes/chk_ver.h"

namespace hw {

// What the startup check found: the PTR name it went on with, the address
// it looked up, and the DNS server it asked.
struct ForwardLookup {
  std::string dnsName;
  std::string address;
  std::string server;
};

// Whether `lookup.dnsName` resolves to `lookup.address`: asked of the same
// single DNS server as the PTR query from Windows 2000 on, of the system's
// resolver before. An error of any kind counts as not confirmed.
bool ForwardConfirmed(Os& os, Forms& forms, const ChkVer& chkVer, const ForwardLookup& lookup);

}  // namespace hw
