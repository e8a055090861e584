#include "platform/posix/syslog_verdict_log.h"

#include <syslog.h>

namespace hw::posix {
namespace {

// A mismatch left standing is what an administrator looks for; a failed
// check is an error of the PC's set-up.
int PriorityOf(const report::VerdictEntry& entry) {
  switch (entry.verdict) {
    case CheckVerdict::Agree:
    case CheckVerdict::NotApplicable: return LOG_INFO;
    case CheckVerdict::Mismatch: return entry.nameSet ? LOG_NOTICE : LOG_WARNING;
    default: return LOG_ERR;
  }
}

}  // namespace

void SyslogVerdictLog::Write(const report::VerdictEntry& entry) {
  // No LOG_CONS (nothing on the console when there is no log) and no
  // LOG_NDELAY: the socket is opened with the message, after the check.
  openlog("hostwarden", LOG_PID, LOG_USER);
  syslog(PriorityOf(entry), "%s", report::VerdictLogText(entry).c_str());
  closelog();
}

}  // namespace hw::posix
