// The verdict of every run in the Application event log, source
// "Hostwarden". The installer registers the source with this program as its
// message file; the program's message table holds one message per verdict.
#pragma once

#include <windows.h>

#include "platform/win32/system_libraries.h"
#include "report/verdict_log.h"

namespace hw::win32 {

// The event IDs, as in the message table (event_messages.py).
inline constexpr DWORD kEventAgree = 1;
inline constexpr DWORD kEventNotApplicable = 2;
inline constexpr DWORD kEventMismatch = 3;
inline constexpr DWORD kEventFailed = 4;

class EventLogVerdictLog : public report::VerdictLog {
 public:
  explicit EventLogVerdictLog(SystemLibraries& libraries) : libraries_(libraries) {}
  void Write(const report::VerdictEntry& entry) override;

 private:
  SystemLibraries& libraries_;
  BoundFunction<decltype(&::RegisterEventSourceW)> RegisterEventSourceW_{libraries_, "advapi32.dll",
                                                                         "RegisterEventSourceW"};
  BoundFunction<decltype(&::ReportEventW)> ReportEventW_{libraries_, "advapi32.dll", "ReportEventW"};
  BoundFunction<decltype(&::DeregisterEventSource)> DeregisterEventSource_{libraries_, "advapi32.dll",
                                                                           "DeregisterEventSource"};
};

}  // namespace hw::win32
