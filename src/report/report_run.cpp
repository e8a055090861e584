#include <exception>

#include "interfaces/headless/headless_forms.h"
#include "report/report.h"
#include "report/vocabulary.h"
#include "report/escaping.h"
#include "report/report_mode.h"
#include "report/verdict_log.h"
#include "text/control_names.h"
#include "ui/program.h"

namespace hw::report {
namespace {

std::string TextOf(Window& window, std::string_view control) {
  try {
    return window[control].Text();
  } catch (const NoSuchControl&) {
    throw;
  } catch (const FormsError&) {
    return "";
  }
}

void CollectWindow(Window& form1, Report& report) {
  report.system = TextOf(form1, kLblSystem);
  report.ieVersion = TextOf(form1, kLblIe);
  report.connection = TextOf(form1, kLblConn);
  report.userName = TextOf(form1, kLblUsername);
  report.computerName = TextOf(form1, kTxtCn);
  try {
    if (form1[kTxtNb].Visible()) report.netbiosName = form1[kTxtNb].Text();
    report.addresses = form1[kCboIp].Items();
  } catch (const NoSuchControl&) {
    throw;
  } catch (const FormsError&) {
  }
  report.dnsName = TextOf(form1, kTxtDns);
  report.selectedAddress = TextOf(form1, kCboIp);
}

void CollectIpv6(const Ipv6Values& ipv6, Report& report) {
  if (!ipv6.lookedUp) return;
  report.ipv6Addresses = ipv6.addresses;
  report.selectedIpv6Address = ipv6.selectedAddress;
  report.ipv6DnsServer = ipv6.dnsServer;
  report.ipv6PtrNames = ipv6.ptrNames;
  report.ipv6DnsName = ipv6.dnsName;
  report.ipv6Verdict = ipv6.verdict;
  report.ipv6Exemption = ipv6.exemption;
  report.noIpv6Address = ipv6.noAddress;
}

}  // namespace

void WriteMessage(TextWriter& err, std::string_view text, const char* prefix) {
  const char* indent = *prefix ? "  " : "";  // a plain message stays plain
  for (;;) {
    std::size_t end = text.find("\r\n");
    err.Write(prefix + PrintableText(text.substr(0, end)) + "\n");
    if (end == std::string_view::npos) return;
    text.remove_prefix(end + 2);
    prefix = indent;
  }
}

Report RunStartupCheck(Os& os) {
  HeadlessForms forms("", /*prevInstance=*/false);  // normal mode, outside the single-instance guard
  Program program(os, forms);
  return StartAndReport(program, forms);
}

Report StartAndReport(Program& program, HeadlessForms& forms) {
  Report report;
  try {
    program.Start();
  } catch (const EndProgram&) {
    report.ended = true;
  }
  if (HeadlessWindow* form1 = forms.Find(kForm1)) CollectWindow(*form1, report);
  report.dnsServer = program.Values().dnsServer;
  report.ptrNames = program.Values().ptrNames;
  report.dnsShortName = program.Members().DnsShortName;
  report.verdict = program.Values().verdict;
  report.exemption = program.Values().exemption;
  report.policy = program.Policy();
  CollectIpv6(program.Values().ipv6, report);
  // Ending at once after the decision (a failed clean-up, say) is a failure too.
  if (report.ended && report.verdict != CheckVerdict::Failed) report.verdict = CheckVerdict::Failed;
  // A mismatch offers a rename, which asks first whether the name leads
  // back to the address: the report asks the same, and renames nothing.
  if (report.verdict == CheckVerdict::Mismatch) {
    try {
      const RenameBasis basis = program.ConfirmRename();
      report.forwardConfirmed = basis.kind == RenameBasis::Kind::Confirmed;
      report.ambiguousPtr = basis.kind == RenameBasis::Kind::Ambiguous;
    } catch (const EndProgram&) {
      report.ended = true;  // the resolver's clean-up failed and ended the program
      report.verdict = CheckVerdict::Failed;
    }
  }
  for (const auto& shown : forms.Messages()) report.messages.push_back({shown.text, shown.style});
  return report;
}

int RunReportMode(Os& os, bool json, TextWriter& out, TextWriter& err, VerdictLog* log) {
  Report report;
  try {
    report = RunStartupCheck(os);
  } catch (const std::exception& error) {
    return FatalError(err, error.what());
  }
  for (const auto& message : report.messages) WriteMessage(err, message.text, "hostwarden: ");
  out.Write(json ? ReportAsJson(report) : ReportAsText(report));
  out.Flush();
  WriteQuietly(log, EntryOf(report, /*nameSet=*/false));  // after the output: the log never holds it up
  return ExitCodeOf(report);
}

}  // namespace hw::report
