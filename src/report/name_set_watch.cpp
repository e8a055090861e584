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
  // The elevated copy checks nothing: it set the name it was given, or failed to.
  if (program.IsElevatedCopy()) verdict = nameSet ? CheckVerdict::Renamed : CheckVerdict::Failed;
  // The name the main window shows as the computer name (txt_CN), as the report does.
  VerdictEntry entry{verdict, values.hostName, values.dnsName, values.selectedAddress, values.dnsServer, nameSet};
  AddDetails(entry, values.exemption, values.ptrNames, program.Policy());
  return entry;
}

}  // namespace hw::report
