#include "report/verdict_log.h"

#include "report/report.h"

namespace hw::report {

VerdictEntry EntryOf(const Report& report, bool nameSet) {
  return {report.verdict, report.computerName, report.dnsName, report.selectedAddress, report.dnsServer, nameSet};
}

std::string VerdictLogText(const VerdictEntry& entry) {
  return "verdict=" + std::string(VerdictName(entry.verdict)) + " computerName=" + JsonString(entry.computerName) +
         " dnsName=" + JsonString(entry.dnsName) + " address=" + JsonString(entry.address) +
         " dnsServer=" + JsonString(entry.dnsServer) + " nameSet=" + (entry.nameSet ? "yes" : "no") + (entry.shown ? "" : " shown=no");
}

void WriteQuietly(VerdictLog* log, const VerdictEntry& entry) noexcept {
  if (!log) return;
  try {
    log->Write(entry);
  } catch (...) {
    // The check's outcome is already out; a log that fails changes nothing.
  }
}

}  // namespace hw::report
