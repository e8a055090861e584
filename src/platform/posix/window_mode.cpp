#include "platform/posix/window_mode.h"

#include <optional>

#include "platform/posix/posix_os.h"
#include "platform/posix/program_state_abi.h"
#include "platform/posix/single_instance.h"
#include "platform/posix/syslog_verdict_log.h"
#include "platform/posix/window_module.h"
#include "report/name_set_watch.h"
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
    if (!show) throw ScreenUnavailable{};
    if (int code = show(text.c_str(), style); code != 0) throw ScreenUnavailable{code};
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

int RunQuietMode(const std::string& commandLine) {
  PosixOs os;
  ModuleScreen screen;
  // A run the module goes on with records its verdict there, at its end.
  return hw::RunQuietMode(os, commandLine, screen, [](const Program& program) {
    SyslogVerdictLog log;
    report::WriteQuietly(&log, report::EntryOf(program, false));
  });
}

}  // namespace hw::posix
