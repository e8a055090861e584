// The report: what the main window would show after the startup check, and
// the verdict, as text for people or as one JSON object.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/campus_policy.h"
#include "check/form_load.h"

namespace hw::report {

struct ReportMessage {
  std::string text;
  int style = 0;
};

struct Report {
  std::string system, ieVersion, connection, userName, computerName;
  std::optional<std::string> netbiosName;  // nullopt while the field is hidden
  std::string dnsName;
  std::vector<std::string> ptrNames;  // every PTR name of the answer, in the check's stable order
  std::vector<std::string> addresses;
  std::string selectedAddress, dnsServer, dnsShortName;
  CheckVerdict verdict = CheckVerdict::Unfinished;
  NameCheckExemption exemption = NameCheckExemption::None;  // read when the check did not apply
  // Whether the DNS name leads back to the address; looked up on a mismatch
  // only, where a rename would ask it.
  std::optional<bool> forwardConfirmed;
  // Several campus names and not exactly one of them leads back: a rename
  // sets nothing ("ambiguous-ptr"). forwardConfirmed is false then.
  bool ambiguousPtr = false;
  CampusPolicy policy;  // the campus lists in force, their sources, the settings that were unusable
  // The IPv6 side: reported beside the verdict, or deciding it on an
  // IPv6-only PC. `ipv6Verdict` stays Unfinished where it was not looked at.
  std::vector<std::string> ipv6Addresses;
  std::string selectedIpv6Address, ipv6DnsServer, ipv6DnsName;
  std::vector<std::string> ipv6PtrNames;
  CheckVerdict ipv6Verdict = CheckVerdict::Unfinished;
  NameCheckExemption ipv6Exemption = NameCheckExemption::None;
  bool noIpv6Address = false;
  bool ended = false;  // the program ended at once
  std::vector<ReportMessage> messages;
};

// Why the IPv6 side was not judged, as a key and in words ("" when it was).
std::string_view Ipv6ExemptionName(const Report& report);
std::string_view Ipv6ExemptionText(const Report& report);

// 0 for agree or not applicable, 1 for a mismatch, 2 when the program would
// have ended for a failure.
int ExitCodeOf(const Report& report);

std::string ReportAsJson(const Report& report);
std::string ReportAsText(const Report& report);

}  // namespace hw::report
