#include "platform/posix/syslog_verdict_log.h"

#include <syslog.h>

#include "platform/posix/journal_verdict_log.h"

namespace hw::posix {
namespace {

// A mismatch left standing is what an administrator looks for; a failed
// check is an error of the PC's set-up. Runs that checked nothing (another
// instance runs, the elevated copy set the name) are information.
int PriorityOf(const report::VerdictEntry& entry) {
  switch (entry.verdict) {
    case CheckVerdict::Agree:
    case CheckVerdict::NotApplicable:
    case CheckVerdict::AlreadyRunning:
    case CheckVerdict::Renamed: return LOG_INFO;
    case CheckVerdict::Mismatch: return entry.nameSet ? LOG_NOTICE : LOG_WARNING;
    default: return LOG_ERR;
  }
}

}  // namespace

void SyslogVerdictLog::Write(const report::VerdictEntry& entry) {
  int priority = PriorityOf(entry);
  // Where journald runs, the entry goes to it with fields to filter on.
  if (JournalRuns() && SendToJournal(JournalDatagram(JournalFieldsOf(entry, priority)))) return;
  // No LOG_CONS (nothing on the console when there is no log) and no
  // LOG_NDELAY: the socket is opened with the message, after the check.
  openlog("hostwarden", LOG_PID, LOG_USER);
  syslog(priority, "%s", report::VerdictLogText(entry).c_str());
  closelog();
}

}  // namespace hw::posix
