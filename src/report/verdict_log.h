// One entry in the system log for every run: the verdict, the names and
// addresses it rests on, and whether the computer name was set.
#pragma once

#include <string>

#include "check/form_load.h"

namespace hw::report {

struct Report;

struct VerdictEntry {
  CheckVerdict verdict = CheckVerdict::Unfinished;
  std::string computerName, dnsName, address, dnsServer;
  bool nameSet = false;
  // The IPv6 side, where it was looked at: its verdict, address and name.
  CheckVerdict ipv6Verdict = CheckVerdict::Unfinished;
  std::string ipv6Address, ipv6DnsName;
};

VerdictEntry EntryOf(const Report& report, bool nameSet);

// One line, values quoted and escaped as JSON strings so that a hostile DNS
// name can neither break the line nor forge a field:
// verdict=mismatch computerName="ws-17" dnsName="..." address="..." dnsServer="..." nameSet=no
// followed, where the IPv6 side was looked at, by
// ipv6Verdict=agree ipv6Address="..." ipv6DnsName="..."
std::string VerdictLogText(const VerdictEntry& entry);

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
