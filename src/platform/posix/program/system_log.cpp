#include "platform/posix/program/system_log.h"

#include <syslog.h>

#include "platform/posix/program/journal_entry.h"

namespace hw::posix {
namespace {

int PriorityOf(const report::VerdictEntry& entry) {
  switch (report::SeverityOf(entry)) {
    case report::Severity::Information: return LOG_INFO;
    case report::Severity::Notice: return LOG_NOTICE;
    case report::Severity::Warning: return LOG_WARNING;
    case report::Severity::Error: break;
  }
  return LOG_ERR;
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
