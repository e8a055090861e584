#include "platform/win32/program/system_log.h"

#include <string>

#include "platform/win32/os/text_encoding.h"
#include "report/vocabulary.h"

namespace hw::win32 {
namespace {

DWORD EventIdOf(CheckVerdict verdict) {
  switch (verdict) {
    case CheckVerdict::Agree: return kEventAgree;
    case CheckVerdict::NotApplicable: return kEventNotApplicable;
    case CheckVerdict::Mismatch: return kEventMismatch;
    case CheckVerdict::AlreadyRunning: return kEventAlreadyRunning;
    case CheckVerdict::Renamed: return kEventRenamed;
    case CheckVerdict::Unfinished:
    case CheckVerdict::Failed:
    case CheckVerdict::Count: break;
  }
  return kEventFailed;  // and a value outside the enumeration
}

// The event log has no notice: a mismatch whose name was set is information.
WORD EventTypeOf(const report::VerdictEntry& entry) {
  switch (report::SeverityOf(entry)) {
    case report::Severity::Information:
    case report::Severity::Notice: return EVENTLOG_INFORMATION_TYPE;
    case report::Severity::Warning: return EVENTLOG_WARNING_TYPE;
    case report::Severity::Error: break;
  }
  return EVENTLOG_ERROR_TYPE;
}

}  // namespace

std::vector<std::wstring> EventStringsOf(const report::VerdictEntry& entry) {
  std::string ptrNames;
  for (const auto& name : entry.ptrNames) ptrNames += (ptrNames.empty() ? "" : ", ") + name;
  std::vector<std::string> values = {std::string(report::VerdictName(entry.verdict)),
                                     entry.computerName,
                                     entry.dnsName,
                                     entry.address,
                                     entry.dnsServer,
                                     entry.reason,
                                     std::string(report::NameSetValue(entry)),
                                     report::ForwardConfirmedValue(entry),
                                     ptrNames,
                                     entry.version,
                                     report::InvalidPolicyValue(entry),
                                     report::VerdictLogText(entry)};
  std::vector<std::wstring> strings;
  for (const auto& value : values) strings.push_back(Utf8ToWide(value));
  return strings;
}

void EventLogVerdictLog::Write(const report::VerdictEntry& entry) {
  // The local event log; without the service (or the right to write) there
  // is no handle, and nothing is logged.
  HANDLE source = RegisterEventSourceW_(nullptr, L"Hostwarden");
  if (!source) return;
  std::vector<std::wstring> values = EventStringsOf(entry);
  std::vector<LPCWSTR> strings;
  for (const auto& value : values) strings.push_back(value.c_str());
  ReportEventW_(source, EventTypeOf(entry), 0, EventIdOf(entry.verdict), nullptr, static_cast<WORD>(strings.size()), 0,
                strings.data(), nullptr);
  DeregisterEventSource_(source);
}

}  // namespace hw::win32
