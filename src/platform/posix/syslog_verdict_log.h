// The verdict of every run in the system log, through syslog(3) with the
// identifier "hostwarden" (the journal takes it from /dev/log where it runs).
#pragma once

#include "report/verdict_log.h"

namespace hw::posix {

class SyslogVerdictLog : public report::VerdictLog {
 public:
  void Write(const report::VerdictEntry& entry) override;
};

}  // namespace hw::posix
