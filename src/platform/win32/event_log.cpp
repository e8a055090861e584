#include "platform/win32/event_log.h"

#include <string>

#include "platform/win32/text_encoding.h"

namespace hw::win32 {
namespace {

DWORD EventIdOf(CheckVerdict verdict) {
  switch (verdict) {
    case CheckVerdict::Agree: return kEventAgree;
    case CheckVerdict::NotApplicable: return kEventNotApplicable;
    case CheckVerdict::Mismatch: return kEventMismatch;
    default: return kEventFailed;
  }
}

// A mismatch left standing is what an administrator looks for; a failed
// check is an error of the PC's set-up.
WORD EventTypeOf(const report::VerdictEntry& entry) {
  switch (entry.verdict) {
    case CheckVerdict::Agree:
    case CheckVerdict::NotApplicable: return EVENTLOG_INFORMATION_TYPE;
    case CheckVerdict::Mismatch: return entry.nameSet ? EVENTLOG_INFORMATION_TYPE : EVENTLOG_WARNING_TYPE;
    default: return EVENTLOG_ERROR_TYPE;
  }
}

}  // namespace

void EventLogVerdictLog::Write(const report::VerdictEntry& entry) {
  // The local event log; without the service (or the right to write) there
  // is no handle, and nothing is logged.
  HANDLE source = RegisterEventSourceW_(nullptr, L"Hostwarden");
  if (!source) return;
  std::wstring text = Utf8ToWide(report::VerdictLogText(entry));
  LPCWSTR strings[] = {text.c_str()};
  ReportEventW_(source, EventTypeOf(entry), 0, EventIdOf(entry.verdict), nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource_(source);
}

}  // namespace hw::win32
