#include "report/verdict_log.h"

#include <algorithm>

#include "report/report.h"
#include "report/vocabulary.h"
#include "report/escaping.h"
#include "sync/sync_command.h"

namespace hw::report {

namespace {

std::string Ipv6LogText(const VerdictEntry& entry) {
  // A PC without an IPv6 address to look up logs no IPv6 fields at all.
  if (entry.ipv6Verdict == CheckVerdict::Unfinished || entry.ipv6Address.empty()) return "";
  return " ipv6Verdict=" + std::string(VerdictName(entry.ipv6Verdict)) + " ipv6Address=" +
         JsonString(entry.ipv6Address) + " ipv6DnsName=" + JsonString(entry.ipv6DnsName);
}

}  // namespace

void AddDetails(VerdictEntry& entry, NameCheckExemption exemption, const std::vector<std::string>& ptrNames,
                const CampusPolicy& policy) {
  if (entry.verdict == CheckVerdict::NotApplicable) entry.reason = ExemptionName(exemption);
  entry.ptrNameCount = ptrNames.size();
  entry.ptrNames.assign(ptrNames.begin(), ptrNames.begin() + std::min(ptrNames.size(), kLoggedPtrNames));
  entry.invalidPolicy = policy.invalid;
}

VerdictEntry EntryOf(const Report& report, bool nameSet) {
  VerdictEntry entry{report.verdict, report.computerName, report.dnsName, report.selectedAddress, report.dnsServer,
                     nameSet};
  AddDetails(entry, report.exemption, report.ptrNames, report.policy);
  entry.forwardConfirmed = report.forwardConfirmed;
  if (report.ambiguousPtr) entry.reason = kAmbiguousPtrReason;
  entry.ipv6Verdict = report.ipv6Verdict;
  entry.ipv6Address = report.selectedIpv6Address;
  entry.ipv6DnsName = report.ipv6DnsName;
  return entry;
}

std::string_view NameSetValue(const VerdictEntry& entry) { return entry.nameSet ? "yes" : "no"; }

std::string ForwardConfirmedValue(const VerdictEntry& entry) {
  if (!entry.forwardConfirmed) return "";
  return *entry.forwardConfirmed ? "yes" : "no";
}

std::string PtrNamesValue(const VerdictEntry& entry) {
  std::string names;
  for (const auto& name : entry.ptrNames) names += (names.empty() ? "" : "\n") + name;
  return names;
}

std::string InvalidPolicyValue(const VerdictEntry& entry) {
  std::string names;
  for (const auto& name : entry.invalidPolicy) names += (names.empty() ? "" : ",") + name;
  return names;
}

std::string VerdictLogText(const VerdictEntry& entry) {
  auto orDash = [](const std::string& value) { return value.empty() ? std::string("-") : value; };
  std::string ptrNames;
  for (const auto& name : entry.ptrNames) ptrNames += (ptrNames.empty() ? "" : ",") + JsonString(name);
  std::string text = "verdict=" + std::string(VerdictName(entry.verdict)) +
                     " computerName=" + JsonString(entry.computerName) + " dnsName=" + JsonString(entry.dnsName) +
                     " address=" + JsonString(entry.address) + " dnsServer=" + JsonString(entry.dnsServer) +
                     " nameSet=" + std::string(NameSetValue(entry)) + " reason=" + orDash(entry.reason) +
                     " forwardConfirmed=" + orDash(ForwardConfirmedValue(entry)) + " ptrNames=[" + ptrNames + "]" +
                     " version=" + entry.version + Ipv6LogText(entry);
  if (entry.ptrNameCount > entry.ptrNames.size()) text += " ptrNameCount=" + std::to_string(entry.ptrNameCount);
  if (!entry.invalidPolicy.empty()) text += " policy=invalid:" + InvalidPolicyValue(entry);
  if (!entry.newName.empty()) text += " newName=" + JsonString(entry.newName);
  if (!entry.shown) text += " shown=no";
  return text;
}

void WriteQuietly(VerdictLog* log, const VerdictEntry& entry) noexcept {
  if (!log) return;
  try {
    log->Write(entry);
  } catch (...) {
    // The check's outcome is already out; a log that fails changes nothing.
  }
}

// A mismatch whose name was then set asks less of an administrator than
// one left standing; otherwise the verdict's row says.
Severity SeverityOf(const VerdictEntry& entry) {
  if (entry.verdict == CheckVerdict::Mismatch && entry.nameSet) return Severity::Notice;
  return TermOf(entry.verdict).severity;
}

}  // namespace hw::report
