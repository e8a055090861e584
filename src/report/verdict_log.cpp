#include "report/verdict_log.h"

#include "report/report.h"

namespace hw::report {

namespace {

std::string Ipv6LogText(const VerdictEntry& entry) {
  // A PC without an IPv6 address to look up logs what it always logged.
  if (entry.ipv6Verdict == CheckVerdict::Unfinished || entry.ipv6Address.empty()) return "";
  return " ipv6Verdict=" + std::string(VerdictName(entry.ipv6Verdict)) + " ipv6Address=" +
         JsonString(entry.ipv6Address) + " ipv6DnsName=" + JsonString(entry.ipv6DnsName);
}

}  // namespace

VerdictEntry EntryOf(const Report& report, bool nameSet) {
  VerdictEntry entry{report.verdict, report.computerName, report.dnsName, report.selectedAddress, report.dnsServer,
                     nameSet};
  entry.ipv6Verdict = report.ipv6Verdict;
  entry.ipv6Address = report.selectedIpv6Address;
  entry.ipv6DnsName = report.ipv6DnsName;
  return entry;
}

std::string VerdictLogText(const VerdictEntry& entry) {
  return "verdict=" + std::string(VerdictName(entry.verdict)) + " computerName=" + JsonString(entry.computerName) +
         " dnsName=" + JsonString(entry.dnsName) + " address=" + JsonString(entry.address) +
         " dnsServer=" + JsonString(entry.dnsServer) + " nameSet=" + (entry.nameSet ? "yes" : "no") +
         Ipv6LogText(entry);
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
