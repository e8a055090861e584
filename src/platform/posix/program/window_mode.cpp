#include "platform/posix/program/window_mode.h"

#include <optional>

#include "platform/posix/os/posix_os.h"
#include "platform/posix/program/program_state_abi.h"
#include "platform/posix/program/single_instance.h"
#include "platform/posix/program/system_log.h"
#include "platform/posix/program/window_module.h"
#include "app/program_run.h"

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
    if (code != 0) throw ScreenUnavailable{code};
  }

  // The module says on standard error why a screen cannot be opened.
  bool Open() override {
    auto open = Find<OpenScreenEntry>(kOpenScreenEntry);
    return open && Find<ContinueQuietModeEntry>(kContinueQuietModeEntry) && open() == 0;
  }

  int Continue(const ProgramState& state) override {
    auto continueRun = Find<ContinueQuietModeEntry>(kContinueQuietModeEntry);
    if (!continueRun) return 2;
    ProgramStateRecord record(state);
    return continueRun(record.get());
  }

 private:
  std::optional<SingleInstance> instance_;
};

}  // namespace

int RunWindowMode(const std::string& commandLine) {
  auto run = Find<RunWindowModeEntry>(kRunWindowModeEntry);
  return run ? run(commandLine.c_str()) : 2;
}

// The verdict is on record before the warning dialog shows; a run that
// cannot show it ends with the verdict's exit status.
int RunQuietMode(const std::string& commandLine) {
  PosixOs os;
  ModuleScreen screen;
  SyslogVerdictLog log;
  return app::RunQuietProgram(os, commandLine, screen, &log);
}

}  // namespace hw::posix
