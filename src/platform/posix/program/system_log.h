// The verdict of every run in the system log: to the journal with fields of
// its own where journald runs (journal_entry.h), otherwise through
// syslog(3) with the identifier "hostwarden".
#pragma once

#include "report/verdict_log.h"

namespace hw::posix {

class SyslogVerdictLog : public report::VerdictLog {
 public:
  void Write(const report::VerdictEntry& entry) override;
};

}  // namespace hw::posix
