#include "report/name_set_watch.h"

#include <utility>

#include "ui/program.h"

namespace hw::report {

void NameSetWatch::MsgBox(const std::string& text, int style) {
  // Of the command's messages only the one saying the name was changed
  // carries the information icon.
  if (style == kMbIconInformation) nameSet_ = true;
  forms_.MsgBox(text, style);
}

void NameSetWatch::End() {
  Finish();
  forms_.End();
  throw EndProgram{};  // for a runtime whose End came back
}

void NameSetWatch::Finish() {
  if (auto hook = std::exchange(onFinish_, nullptr)) hook();
}

VerdictEntry EntryOf(const Program& program, bool nameSet) {
  const StartupValues& values = program.Values();
  CheckVerdict verdict = values.verdict == CheckVerdict::Unfinished ? CheckVerdict::Failed : values.verdict;
  // The name the main window shows as the computer name (txt_CN), as the report does.
  VerdictEntry entry{verdict, values.hostName, values.dnsName, values.selectedAddress, values.dnsServer, nameSet};
  entry.ipv6Verdict = values.ipv6.verdict;
  entry.ipv6Address = values.ipv6.selectedAddress;
  entry.ipv6DnsName = values.ipv6.dnsName;
  return entry;
}

}  // namespace hw::report
