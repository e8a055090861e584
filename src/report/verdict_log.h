// One entry in the system log for every run: the verdict, the names and
// addresses it rests on, and whether the computer name was set.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/campus_policy.h"
#include "check/form_load.h"
#include "report/vocabulary.h"

namespace hw::report {

struct Report;

struct VerdictEntry {
  CheckVerdict verdict = CheckVerdict::Unfinished;
  std::string computerName, dnsName, address, dnsServer;
  bool nameSet = false;
  std::string reason;                     // why the check did not apply ("outside-campus", ...), or why a
                                          // mismatch's rename sets nothing ("ambiguous-ptr"); "" otherwise
  std::optional<bool> forwardConfirmed;   // asked on a mismatch only
  // The first kLoggedPtrNames PTR names of the answer, and how many it had:
  // an answer of thousands must still leave its one entry.
  std::vector<std::string> ptrNames;
  std::size_t ptrNameCount = 0;
  std::string version = std::string(ProgramVersion());
  std::vector<std::string> invalidPolicy;  // settings ignored for their values
  bool shown = true;  // false: a window run that could not show its windows
  // The IPv6 side, where it was looked at: its verdict, address and name.
  CheckVerdict ipv6Verdict = CheckVerdict::Unfinished;
  std::string ipv6Address, ipv6DnsName;
  // The name this run set or tried to set, where it was given one to set
  // (the elevated copy); "" otherwise.
  std::string newName;
};

inline constexpr std::size_t kLoggedPtrNames = 10;

VerdictEntry EntryOf(const Report& report, bool nameSet);

// The values the entry shares with the report: reason, PTR names (the first
// kLoggedPtrNames, and their count), settings.
void AddDetails(VerdictEntry& entry, NameCheckExemption exemption, const std::vector<std::string>& ptrNames,
                const CampusPolicy& policy);

// One line, values quoted and escaped as JSON strings so that a hostile DNS
// name can neither break the line nor forge a field:
// verdict=mismatch computerName="ws-17" dnsName="..." address="..." dnsServer="..." nameSet=no
//   reason=- forwardConfirmed=yes ptrNames=["..."] version=1.2.0.0
// ("-" where there is no reason or nothing was confirmed); then, where the
// IPv6 side was looked at, ipv6Verdict=agree ipv6Address="..." ipv6DnsName="...";
// ptrNameCount=N after the names when the answer had more than the entry lists;
// when a setting was ignored, policy=invalid:CampusDomains[,DynamicPoolPrefixes]
// (or the reason the policy's place was refused: untrusted-file, too-large);
// newName="..." for a run given a name to set; and shown=no at the end when
// the run could not show its windows.
std::string VerdictLogText(const VerdictEntry& entry);

// The entry's values one by one, as the structured logs carry them: "" for
// no reason, "yes"/"no"/"" for nameSet and forwardConfirmed.
std::string_view NameSetValue(const VerdictEntry& entry);
std::string ForwardConfirmedValue(const VerdictEntry& entry);
std::string PtrNamesValue(const VerdictEntry& entry);  // the names, one per line
std::string InvalidPolicyValue(const VerdictEntry& entry);  // "" or "CampusDomains,..."

// How much an entry asks of an administrator (Severity, report/vocabulary.h).
Severity SeverityOf(const VerdictEntry& entry);

// The platform's system log. Writing must never delay or break the check:
// a log that is not there is skipped without a word.
class VerdictLog {
 public:
  virtual ~VerdictLog() = default;
  virtual void Write(const VerdictEntry& entry) = 0;
};

// Writes to `log` when there is one; whatever goes wrong stays in here.
void WriteQuietly(VerdictLog* log, const VerdictEntry& entry) noexcept;

}  // namespace hw::report
