// The verdict of every run in the Application event log, source
// "Hostwarden". The installer registers the source with this program as its
// message file; the program's message table holds one message per verdict.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/os/system_libraries.h"
#include "report/verdict_log.h"

namespace hw::win32 {

// The event IDs, as in the message table (event_messages.py).
inline constexpr DWORD kEventAgree = 1;
inline constexpr DWORD kEventNotApplicable = 2;
inline constexpr DWORD kEventMismatch = 3;
inline constexpr DWORD kEventFailed = 4;
inline constexpr DWORD kEventAlreadyRunning = 5;
inline constexpr DWORD kEventRenamed = 6;

// The event's insertion strings, each value its own, in this order (%1 to
// %12 of the message table), so that a subscription or `wevtutil qe` can
// filter on Event/EventData/Data[n]: verdict, computer name, DNS name,
// address, DNS server, reason, name set (yes/no), forward confirmed
// (yes/no/empty), PTR names (", " between them), version, settings ignored
// (CampusDomains,DynamicPoolPrefixes or empty), and the entry as one line.
std::vector<std::wstring> EventStringsOf(const report::VerdictEntry& entry);

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
