#include "platform/posix/window_mode.h"

#include <optional>

#include "platform/posix/posix_os.h"
#include "platform/posix/program_state_abi.h"
#include "platform/posix/single_instance.h"
#include "platform/posix/syslog_verdict_log.h"
#include "platform/posix/window_module.h"
#include "report/name_set_watch.h"
#include "report/report.h"
#include "ui/quiet_run.h"

namespace hw::posix {
namespace {

template <class Entry>
Entry Find(const char* name) {
  return reinterpret_cast<Entry>(WindowModuleEntry(name));
}

// The window module as the quiet mode's screen. The instance lock is
// claimed here and held until the process ends, so the module, which
// never runs the check, never claims it again.
class ModuleScreen : public ScreenOnDemand {
 public:
  bool PrevInstance() override {
    if (!instance_) instance_.emplace();
    return instance_->AnotherIsRunning();
  }

  void MsgBox(const std::string& text, int style) override {
    auto show = Find<ShowMessageBoxEntry>(kShowMessageBoxEntry);
    int code = show ? show(text.c_str(), style) : 2;
    if (code != 0) {
      shown_ = false;
      throw ScreenUnavailable{code};
    }
  }

  // The verdict is on record before the warning dialog shows; a run that
  // cannot show it ends with the verdict's exit status, the module having
  // said why on standard error.
  int Continue(const ProgramState& state) override {
    auto open = Find<OpenScreenEntry>(kOpenScreenEntry);
    auto continueRun = Find<ContinueQuietModeEntry>(kContinueQuietModeEntry);
    shown_ = open && continueRun && open() == 0;
    WriteEntry(report::EntryOf(state.values, false));
    if (!shown_) return report::ExitCodeOf(state.values.verdict);
    ProgramStateRecord record(state);
    return continueRun(record.get());
  }

  // The run's entry, noting a screen that could not be opened.
  void WriteEntry(report::VerdictEntry entry) const {
    entry.shown = shown_;
    SyslogVerdictLog log;
    report::WriteQuietly(&log, entry);
  }

 private:
  std::optional<SingleInstance> instance_;
  bool shown_ = true;
};

}  // namespace

int RunWindowMode(const std::string& commandLine) {
  auto run = Find<RunWindowModeEntry>(kRunWindowModeEntry);
  return run ? run(commandLine.c_str()) : 2;
}

int RunQuietMode(const std::string& commandLine) {
  PosixOs os;
  ModuleScreen screen;
  // A run that goes on to the warning dialog records its verdict before
  // the dialog shows (ModuleScreen::Continue).
  return hw::RunQuietMode(os, commandLine, screen,
                          [&](const Program& program) { screen.WriteEntry(report::EntryOf(program, false)); });
}

}  // namespace hw::posix
