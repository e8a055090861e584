// The window module's entries: the window program, and the quiet mode's
// message boxes and its continuation once the warning dialog must be shown,
// all on GTK. Errors end here, as main would end them.
#include <exception>
#include <memory>
#include <string>

#include "platform/posix/gtk/forms.h"
#include "platform/posix/os/posix_os.h"
#include "platform/posix/program/program_state_abi.h"
#include "platform/posix/program/stdio_writer.h"
#include "platform/posix/program/system_log.h"
#include "platform/posix/program/window_module.h"
#include "app/program_run.h"
#include "report/text_writer.h"
#include "text/language.h"

namespace hw::posix {
namespace {

// The display is opened at the first use. The runtime is never destroyed:
// the quiet mode shows its message boxes on it and may go on with its
// windows, until the process ends.
Forms& QuietScreen() {
  static Forms* forms = gtk::MakeGtkForms("").release();
  return *forms;
}

// The run's verdict goes to the system log as soon as the check has
// decided, before any window (the quiet mode's check has written it before
// it went on here); a name set later adds an entry that says so. Renames
// from the windows by anyone but root go to pkexec's copy, for which the
// desktop's polkit agent asks for a password, as the system's own settings do.
int RunProgram(Forms& forms, const ProgramState* continued) {
  PosixOs os;
  os.AllowInteractiveAuthorization();
  SyslogVerdictLog log;
  if (!continued) return app::RunWindowProgram(os, forms, &log);
  return app::ContinueWindowProgram(os, forms, *continued, &log);
}

// The module keeps its own copy of the catalogue, so it chooses the
// language for itself, by the same rule as the program.
template <class Work>
int Guarded(Work&& work) {
  try {
    PosixOs os;
    ChooseLanguage(os);
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
    std::unique_ptr<Forms> forms = gtk::MakeGtkForms(commandLine ? commandLine : "");
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
