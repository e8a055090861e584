// The window module's entries: the window program, and the quiet mode's
// message boxes and its continuation once the warning dialog must be shown,
// all on FLTK. Errors end here, as main would end them.
#include <exception>
#include <memory>
#include <string>

#include "platform/posix/fltk/fltk_forms.h"
#include "platform/posix/posix_os.h"
#include "platform/posix/program_state_abi.h"
#include "platform/posix/stdio_writer.h"
#include "platform/posix/syslog_verdict_log.h"
#include "platform/posix/window_module.h"
#include "report/program_run.h"
#include "report/report.h"

namespace hw::posix {
namespace {

// The display is opened at the first use. The runtime is never destroyed:
// the quiet mode shows its message boxes on it and may go on with its
// windows, until the process ends.
Forms& QuietScreen() {
  static Forms* forms = fltk::MakeFltkForms("").release();
  return *forms;
}

// The run's verdict goes to the system log as soon as the check has
// decided, before any window (the quiet mode's check has written it before
// it went on here); a name set later adds an entry that says so. Renames
// from the windows may have polkit ask for a password, as the desktop's own
// settings do.
int RunProgram(Forms& forms, const ProgramState* continued) {
  PosixOs os;
  os.AllowInteractiveAuthorization();
  SyslogVerdictLog log;
  constexpr auto moment = report::LogMoment::AsSoonAsDecided;
  if (!continued) return report::RunWindowProgram(os, forms, &log, moment);
  if (!continued->values.dnsName.empty()) os.NoteDnsName(continued->values.dnsName);
  return report::ContinueWindowProgram(os, forms, *continued, &log, moment);
}

template <class Work>
int Guarded(Work&& work) {
  try {
    return work();
  } catch (const std::exception& error) {
    StdioWriter err(stderr);
    return report::FatalError(err, error.what());
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
    return RunProgram(*forms, nullptr);
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
    return RunProgram(QuietScreen(), &state);
  });
}

HOSTWARDEN_MODULE_ENTRY hostwarden_open_screen() {
  return Guarded([] {
    QuietScreen();
    return 0;
  });
}
