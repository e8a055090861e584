// The report mode: what the main window would show after the startup
// check, and the verdict, as text for people or as one JSON object.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/campus_policy.h"
#include "check/form_load.h"
#include "interfaces/os.h"
#include "report/text_writer.h"

namespace hw {
class HeadlessForms;
class Program;
}  // namespace hw

namespace hw::report {

struct ReportMessage {
  std::string text;
  int style = 0;
};

struct Report {
  std::string system, ieVersion, connection, userName, computerName;
  std::optional<std::string> netbiosName;  // nullopt while the field is hidden
  std::string dnsName;
  std::vector<std::string> ptrNames;  // every PTR name of the answer, in the check's stable order
  std::vector<std::string> addresses;
  std::string selectedAddress, dnsServer, dnsShortName;
  CheckVerdict verdict = CheckVerdict::Unfinished;
  NameCheckExemption exemption = NameCheckExemption::None;  // read when the check did not apply
  // Whether the DNS name leads back to the address; looked up on a mismatch
  // only, where a rename would ask it.
  std::optional<bool> forwardConfirmed;
  // Several campus names and not exactly one of them leads back: a rename
  // sets nothing ("ambiguous-ptr"). forwardConfirmed is false then.
  bool ambiguousPtr = false;
  CampusPolicy policy;  // the campus lists in force, their sources, the settings that were unusable
  // The IPv6 side: reported beside the verdict, or deciding it on an
  // IPv6-only PC. `ipv6Verdict` stays Unfinished where it was not looked at.
  std::vector<std::string> ipv6Addresses;
  std::string selectedIpv6Address, ipv6DnsServer, ipv6DnsName;
  std::vector<std::string> ipv6PtrNames;
  CheckVerdict ipv6Verdict = CheckVerdict::Unfinished;
  NameCheckExemption ipv6Exemption = NameCheckExemption::None;
  bool noIpv6Address = false;
  bool ended = false;  // the program ended at once
  std::vector<ReportMessage> messages;
};

// "agree", "mismatch", "not-applicable", "failed", "already-running" or
// "renamed"; a check that never reached its decision counts as failed.
std::string_view VerdictName(CheckVerdict verdict);

// Why the check did not apply, as a key ("outside-campus", ...) and as
// words for people; "" for None.
std::string_view ExemptionName(NameCheckExemption exemption);
std::string_view ExemptionText(NameCheckExemption exemption);
// Why the IPv6 side was not judged, as a key and in words ("" when it was).
std::string_view Ipv6ExemptionName(const Report& report);
std::string_view Ipv6ExemptionText(const Report& report);
// The verdict in the run's language, for the text report that people read;
// the JSON keeps VerdictName for scripts.
std::string_view VerdictText(CheckVerdict verdict);

// 0 for agree or not applicable, 1 for a mismatch, 2 when the program would
// have ended for a failure.
int ExitCodeOf(const Report& report);
int ExitCodeOf(CheckVerdict verdict);

// A JSON string literal: quotes, backslashes and control bytes escaped, and
// every byte that is not part of well-formed UTF-8 replaced by U+FFFD, so a
// hostile name still yields valid JSON.
std::string JsonString(std::string_view text);

// The text with control bytes and malformed UTF-8 shown as \xNN, safe to
// print on a terminal.
std::string PrintableText(std::string_view text);

std::string ReportAsJson(const Report& report);
std::string ReportAsText(const Report& report);

// Runs the startup check in normal mode on the headless forms runtime,
// never opening a window and never changing the system, and fills a report.
Report RunStartupCheck(Os& os);

// The same for a program the caller made on `forms`, which it may go on
// using afterwards (the synchronise mode does).
Report StartAndReport(Program& program, HeadlessForms& forms);

// A message box's text on `out`: its first line after `prefix`, each
// further line on a line of its own (indented behind a prefix); unprintable
// bytes as \xNN.
void WriteMessage(TextWriter& out, std::string_view text, const char* prefix);

class VerdictLog;

// The whole report mode: the report on `out`, each message on `err`, one
// entry in `log` (may be null); the exit code.
int RunReportMode(Os& os, bool json, TextWriter& out, TextWriter& err, VerdictLog* log = nullptr);

}  // namespace hw::report
