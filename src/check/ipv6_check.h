// The IPv6 side of the startup check: the PC's IPv6 address looked up and
// judged by the same rules as the IPv4 one. Beside a real IPv4 address it is
// only reported; on an IPv6-only PC it takes the IPv4 address's place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/name_rules.h"
#include "check/startup_operations.h"

namespace hw {

// Declared with form_load.h's verdicts; zero is Unfinished.
enum class CheckVerdict;

struct Ipv6Values {
  bool lookedUp = false;  // read at all (Windows 2000 and later)
  std::vector<std::string> addresses;
  std::string selectedAddress;
  std::string dnsServer;
  bool defaultRoute = false;
  std::vector<std::string> ptrNames;  // every PTR name of the answer, in stable order (InStableOrder)
  std::string dnsName;                // the one of them the check went on with
  bool noAddress = false;             // no stable global address: nothing was asked
  NameCheckExemption exemption = NameCheckExemption::None;
  CheckVerdict verdict{};             // Unfinished until judged
  bool decides = false;               // an IPv6-only PC: this side is the check

  bool operator==(const Ipv6Values&) const = default;
};

// Reads the configuration and, when there is an address to look up, asks
// its one PTR query. A PC without a global IPv6 address asks nothing.
void LookUpIpv6Name(const StartupOperations& op, std::string_view hostName, std::string_view computerName,
                    Ipv6Values& ipv6);

struct Ipv6Judgement {
  bool isLan = false;
  const CampusLists& campus;
  std::string_view hostName, computerName;
};

// The verdict of the IPv6 side alone, by the rules of the IPv4 check.
void JudgeIpv6(Ipv6Values& ipv6, const Ipv6Judgement& input);

// No IPv4 address but a loop-back one, and an IPv6 default route with an
// address to look up.
bool IsIpv6OnlyPc(const std::vector<std::string>& ipv4Addresses, const Ipv6Values& ipv6);

}  // namespace hw
