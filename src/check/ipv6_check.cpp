#include "check/ipv6_check.h"

#include "check/form_load.h"

namespace hw {

void LookUpIpv6Name(const StartupOperations& op, std::string_view hostName, std::string_view computerName,
                    Ipv6Values& ipv6) {
  if (!op.QueryIpv6Configuration || !op.Ipv6ReverseLookup) return;
  const Ipv6Configuration configuration = op.QueryIpv6Configuration();
  ipv6.lookedUp = true;
  ipv6.addresses = configuration.addresses;
  ipv6.selectedAddress = configuration.selectedAddress;
  ipv6.dnsServer = configuration.dnsServer;
  ipv6.defaultRoute = configuration.defaultRoute;
  ipv6.noAddress = ipv6.selectedAddress.empty();
  if (ipv6.noAddress) return;
  ipv6.ptrNames = InStableOrder(op.Ipv6ReverseLookup(ipv6.selectedAddress, ipv6.dnsServer));
  // As for IPv4: any one of several PTR records may be the PC's name.
  ipv6.dnsName = PtrNameToCompare(ipv6.ptrNames, hostName, computerName);
}

void JudgeIpv6(Ipv6Values& ipv6, const Ipv6Judgement& input) {
  if (!ipv6.lookedUp) return;
  if (ipv6.noAddress) {
    ipv6.verdict = CheckVerdict::NotApplicable;
    return;
  }
  ipv6.exemption = NameCheckExemptionOf({input.isLan, ipv6.dnsName, ipv6.selectedAddress, input.campus});
  ipv6.verdict = ipv6.exemption != NameCheckExemption::None ? CheckVerdict::NotApplicable
                         : NamesDiffer(input.hostName, input.computerName, FirstLabel(ipv6.dnsName))
                             ? CheckVerdict::Mismatch
                             : CheckVerdict::Agree;
}

bool IsIpv6OnlyPc(const std::vector<std::string>& ipv4Addresses, const Ipv6Values& ipv6) {
  if (!ipv6.defaultRoute || ipv6.selectedAddress.empty()) return false;
  for (const auto& address : ipv4Addresses)
    if (address.rfind("127.", 0) != 0) return false;
  return true;
}

}  // namespace hw
