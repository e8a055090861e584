#include "platform/posix/window_mode.h"

#include <memory>

#include "platform/posix/fltk/fltk_forms.h"
#include "platform/posix/posix_os.h"
#include "platform/posix/syslog_verdict_log.h"
#include "report/name_set_watch.h"
#include "ui/program.h"

namespace hw::posix {

int RunWindowMode(const std::string& commandLine) {
  PosixOs os;
  std::unique_ptr<Forms> forms = MakeFltkForms(commandLine);
  report::NameSetWatch watched(*forms);
  Program program(os, watched);
  // At the run's end, however it ends (ending at once passes through the
  // watch), so the entry can say whether the name was set.
  watched.OnFinish([&] {
    SyslogVerdictLog log;
    report::WriteQuietly(&log, report::EntryOf(program, watched.NameSet()));
  });
  try {
    program.Run();
  } catch (const EndProgram&) {
    // ended at once: the backend has closed every window
  }
  watched.Finish();
  return 0;
}

}  // namespace hw::posix
