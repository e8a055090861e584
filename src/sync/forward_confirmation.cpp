#include "sync/forward_confirmation.h"

#include <exception>

#include "resolve/forward_lookup.h"

namespace hw {

bool ForwardConfirmed(Os& os, Forms& forms, const ChkVer& chkVer, const ForwardLookup& lookup) {
  // A rename rests on this answer: whatever goes wrong, the name stays.
  // Ending the program (EndProgram) is no std::exception and passes.
  try {
    if (chkVer.HasDnsClient()) return DnsNameHasAddress(os, lookup.dnsName, lookup.address, lookup.server);
    return ResolverNameHasAddress(os, forms, lookup.dnsName, lookup.address);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace hw
