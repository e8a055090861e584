// The startup check: the main window's load sequence.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/ipv6_check.h"
#include "check/name_rules.h"
#include "check/startup_operations.h"
#include "interfaces/forms.h"

namespace hw {

// The two members of the main window that carry the check's results.
struct Form1Members {
  bool QuietMode = false;
  std::string DnsShortName;  // the DNS name's first label, in the answer's letter case

  bool operator==(const Form1Members&) const = default;
};

enum class CheckVerdict {
  Unfinished,     // the sequence has not reached its decision
  Failed,         // ended at once: another instance, no version, no addresses
  NotApplicable,  // the name check does not apply
  Agree,
  Mismatch,
  AlreadyRunning,  // ended at once: another instance runs the check
  Renamed,         // the elevated copy, which only sets the name it was given, set it
  Count,           // not a verdict: how many there are
};

// The working values of one run of the sequence, kept for the report mode.
struct StartupValues {
  uint32_t connectionFlags = 0;
  bool isDialUp = false;
  bool isLan = false;
  std::string computerName;
  std::string hostName;
  std::string dnsServer;
  std::vector<std::string> ptrNames;  // every PTR name of the answer, in stable order (InStableOrder)
  std::string dnsName;                // the one of them the check went on with
  std::string selectedAddress;
  bool onlyTunnelAddresses = false;  // every listed address is a VPN tunnel's: nothing was looked up
  LookupFailure lookupFailure = LookupFailure::None;  // why the lookup gave no name
  NameCheckExemption exemption = NameCheckExemption::None;  // why the check did not apply
  CheckVerdict verdict = CheckVerdict::Unfinished;
  bool mainWindowHidden = false;  // quiet mode with a mismatch: the dialog is up instead
  Ipv6Values ipv6;                // the IPv6 side, reported beside the verdict or deciding it

  bool operator==(const StartupValues&) const = default;
};

// Runs the load sequence on the loaded, still invisible main window. May end
// the program at once (Forms::End throws EndProgram); `values` is filled as
// far as the sequence got.
void Form_Load(Forms& forms, Window& form1, Form1Members& members, const StartupOperations& operations,
               const CampusLists& campus, StartupValues& values);

// The build's campus domain suffix.
std::string_view DefaultCampusDomain();

// The program's version, as --version and the log entries give it.
std::string_view ProgramVersion();

}  // namespace hw
