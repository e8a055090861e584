// Forward confirmation: a PTR answer is trusted to rename the PC only when
// the name it gives leads back to the PC's address. A stale record left
// behind by a moved address, or a forged reply, fails that test.
#pragma once

#include <string>
#include <vector>

#include "interfaces/forms.h"
#include "interfaces/os.h"
#include "probes/chk_ver.h"

namespace hw {

// What the startup check found: the PTR name it went on with, the address
// it looked up, and the DNS server it asked; and those of the answer's PTR
// names that the check would accept as campus names, in the check's order.
// Of the IPv6 side on an IPv6-only PC, of the IPv4 side everywhere else.
struct ForwardLookup {
  std::string dnsName;
  std::string address;
  std::string server;
  std::vector<std::string> campusNames;
};

// Whether `dnsName` resolves to `lookup.address`: asked of the same single
// DNS server as the PTR query from Windows 2000 on, of the system's
// resolver before. An error of any kind counts as not confirmed.
bool ForwardConfirmed(Os& os, Forms& forms, const ChkVer& chkVer, const ForwardLookup& lookup,
                      const std::string& dnsName);
// The same for the name the check went on with.
bool ForwardConfirmed(Os& os, Forms& forms, const ChkVer& chkVer, const ForwardLookup& lookup);

// The full DNS name a rename may rest on. With at most one campus name it is
// the name the check went on with, once it leads back to the address. With
// several, no server order may pick one: it is the one of them that leads
// back, when exactly one does, and none otherwise.
struct RenameBasis {
  enum class Kind { Confirmed, NotConfirmed, Ambiguous } kind = Kind::NotConfirmed;
  std::string dnsName;  // the confirmed full name, for Confirmed
};
RenameBasis ConfirmRenameBasis(Os& os, Forms& forms, const ChkVer& chkVer, const ForwardLookup& lookup);

}  // namespace hw
