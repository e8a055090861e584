// The window module's entries: the window program, and the quiet mode's
// message boxes and its continuation once the warning dialog must be shown,
// all on FLTK. Errors end here, as main would end them.
#include <exception>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "platform/posix/fltk/fltk_forms.h"
#include "platform/posix/posix_os.h"
#include "platform/posix/program_state_abi.h"
#include "platform/posix/syslog_verdict_log.h"
#include "platform/posix/window_module.h"
#include "report/name_set_watch.h"
#include "report/report.h"
#include "ui/program.h"

namespace hw::posix {
namespace {

// The display is opened at the first use. The runtime is never destroyed:
// the quiet mode shows its message boxes on it and may go on with its
// windows, until the process ends.
Forms& QuietScreen() {
  static Forms* forms = fltk::MakeFltkForms("").release();
  return *forms;
}

void WriteEntry(const Program& program, bool nameSet) {
  SyslogVerdictLog log;
  report::WriteQuietly(&log, report::EntryOf(program, nameSet));
}

// The run's verdict goes to the system log as soon as the check has
// decided, before any window (`logged` when the quiet mode's check already
// wrote it), or at the end when the run ended before that; a name set
// later adds an entry that says so. Renames from the windows may have
// polkit ask for a password, as the desktop's own settings do.
int RunProgram(Forms& forms, const std::function<void(Program&)>& start, bool logged, const std::string& dnsName) {
  PosixOs os;
  os.AllowInteractiveAuthorization();
  if (!dnsName.empty()) os.NoteDnsName(dnsName);
  report::NameSetWatch watched(forms);
  Program program(os, watched);
  program.OnCheckDecided([&] {
    WriteEntry(program, false);
    logged = true;
  });
  watched.OnFinish([&] {
    if (!logged || watched.NameSet()) WriteEntry(program, watched.NameSet());
  });
  try {
    start(program);
    watched.Run();
  } catch (const EndProgram&) {
    // ended at once: the backend has closed every window
  }
  watched.Finish();
  return 0;
}

template <class Work>
int Guarded(Work&& work) {
  try {
    return work();
  } catch (const std::exception& error) {
    std::cerr << "hostwarden: " << hw::report::PrintableText(error.what()) << "\n";
    return 2;
  }
}

}  // namespace
}  // namespace hw::posix

using namespace hw;
using namespace hw::posix;

#define HOSTWARDEN_MODULE_ENTRY extern "C" __attribute__((visibility("default"))) int

HOSTWARDEN_MODULE_ENTRY hostwarden_run_window_mode(const char* commandLine) {
  return Guarded([&] {
    std::unique_ptr<Forms> forms = fltk::MakeFltkForms(commandLine ? commandLine : "");
    return RunProgram(*forms, [](Program& program) { program.Start(); }, false, "");
  });
}

HOSTWARDEN_MODULE_ENTRY hostwarden_show_message_box(const char* text, int style) {
  return Guarded([&] {
    QuietScreen().MsgBox(text ? text : "", style);
    return 0;
  });
}

HOSTWARDEN_MODULE_ENTRY hostwarden_continue_quiet_mode(const HostwardenProgramState* record) {
  return Guarded([&] {
    ProgramState state = record ? StateOf(*record) : ProgramState{};
    return RunProgram(QuietScreen(), [&](Program& program) { program.Continue(state); }, true,
                      state.values.dnsName);
  });
}

HOSTWARDEN_MODULE_ENTRY hostwarden_open_screen() {
  return Guarded([] {
    QuietScreen();
    return 0;
  });
}
