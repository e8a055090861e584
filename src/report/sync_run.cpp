#include "report/sync_run.h"

#include <exception>

#include "interfaces/headless/headless_forms.h"
#include "report/report_mode.h"
#include "sync/sync_command.h"
#include "ui/program.h"

namespace hw::report {
namespace {

void RunCommand(Os& os, Program& program, HeadlessForms& forms, SyncResult& result) {
  std::size_t before = forms.Messages().size();
  result.attempted = true;
  try {
    SyncOutcome outcome = SynchroniseName(os, forms, program.Versions(), program.Members().DnsShortName,
                                          program.WhatTheCheckFound(), SyncCaller::Script);
    result.nameSet = outcome == SyncOutcome::Renamed;
    result.report.ambiguousPtr = outcome == SyncOutcome::AmbiguousPtr;
  } catch (const EndProgram&) {
    // a lookup that met a broken network stack ends the program at once
  }
  const auto& shown = forms.Messages();
  for (std::size_t i = before; i < shown.size(); ++i) result.syncMessages.push_back({shown[i].text, shown[i].style});
}

}  // namespace

SyncResult RunSync(Os& os) {
  HeadlessForms forms("", /*prevInstance=*/false);
  Program program(os, forms);
  SyncResult result;
  result.report = StartAndReport(program, forms);
  if (result.report.verdict == CheckVerdict::Mismatch) RunCommand(os, program, forms, result);
  return result;
}

int ExitCodeOf(const SyncResult& result) {
  switch (result.report.verdict) {
    case CheckVerdict::Agree:
    case CheckVerdict::NotApplicable: return 0;
    case CheckVerdict::Mismatch: return result.nameSet ? 0 : 1;
    default: return 2;
  }
}

int RunSyncMode(Os& os, TextWriter& out, TextWriter& err, VerdictLog* log) {
  SyncResult result;
  try {
    result = RunSync(os);
  } catch (const std::exception& error) {
    return FatalError(err, error.what());
  }
  for (const auto& message : result.report.messages) WriteMessage(err, message.text, "");
  for (const auto& message : result.syncMessages)
    WriteMessage(message.style == kMbIconInformation ? out : err, message.text, "");
  out.Flush();
  err.Flush();
  WriteQuietly(log, EntryOf(result.report, result.nameSet));
  return ExitCodeOf(result);
}

}  // namespace hw::report
