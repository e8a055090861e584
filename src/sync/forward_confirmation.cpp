#include "sync/forward_confirmation.h"

#include <exception>

#include "resolve/forward_lookup.h"

namespace hw {

bool ForwardConfirmed(Os& os, Forms& forms, const ChkVer& chkVer, const ForwardLookup& lookup,
                      const std::string& dnsName) {
  // A rename rests on this answer: whatever goes wrong, the name stays.
  // Ending the program (EndProgram) is no std::exception and passes.
  try {
    if (chkVer.HasDnsClient()) return DnsNameHasAddress(os, dnsName, lookup.address, lookup.server);
    return ResolverNameHasAddress(os, forms, dnsName, lookup.address);
  } catch (const std::exception&) {
    return false;
  }
}

bool ForwardConfirmed(Os& os, Forms& forms, const ChkVer& chkVer, const ForwardLookup& lookup) {
  return ForwardConfirmed(os, forms, chkVer, lookup, lookup.dnsName);
}

RenameBasis ConfirmRenameBasis(Os& os, Forms& forms, const ChkVer& chkVer, const ForwardLookup& lookup) {
  using Kind = RenameBasis::Kind;
  if (lookup.campusNames.size() < 2) {
    if (ForwardConfirmed(os, forms, chkVer, lookup)) return {Kind::Confirmed, lookup.dnsName};
    return {Kind::NotConfirmed, ""};
  }
  std::vector<std::string> confirmed;
  for (const auto& name : lookup.campusNames)
    if (ForwardConfirmed(os, forms, chkVer, lookup, name)) confirmed.push_back(name);
  if (confirmed.size() == 1) return {Kind::Confirmed, confirmed.front()};
  return {Kind::Ambiguous, ""};
}

}  // namespace hw
