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
  VerdictEntry entry = EntryOf(program.Values(), nameSet);
  // The elevated copy checks nothing: it set the name it was given, or failed to.
  if (program.IsElevatedCopy()) entry.verdict = nameSet ? CheckVerdict::Renamed : CheckVerdict::Failed;
  entry.invalidPolicy = program.Policy().invalid;
  return entry;
}

VerdictEntry EntryOf(const StartupValues& values, bool nameSet) {
  CheckVerdict verdict = values.verdict == CheckVerdict::Unfinished ? CheckVerdict::Failed : values.verdict;
  // The name the main window shows as the computer name (txt_CN), as the report does.
  VerdictEntry entry{verdict, values.hostName, values.dnsName, values.selectedAddress, values.dnsServer, nameSet};
  AddDetails(entry, values.exemption, values.ptrNames, CampusPolicy{});
  entry.ipv6Verdict = values.ipv6.verdict;
  entry.ipv6Address = values.ipv6.selectedAddress;
  entry.ipv6DnsName = values.ipv6.dnsName;
  return entry;
}

}  // namespace hw::report
