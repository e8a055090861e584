#include "platform/win32/program/script_mode.h"

#include <exception>
#include <optional>
#include <string>

#include "platform/win32/program/console_output.h"
#include "platform/win32/program/system_log.h"
#include "platform/win32/os/win32_os.h"
#include "report/report_mode.h"
#include "report/sync_run.h"
#include "report/text_writer.h"

namespace hw::win32 {
namespace {

// Keeps the run's entry until the output is written: the log comes last, so
// it never holds up what a script waits for.
class HeldEntry : public report::VerdictLog {
 public:
  void Write(const report::VerdictEntry& entry) override { entry_ = entry; }
  const std::optional<report::VerdictEntry>& Entry() const { return entry_; }

 private:
  std::optional<report::VerdictEntry> entry_;
};

// A command line the program will not run: its one line, exit status 2,
// nothing looked up and nothing logged.
int Refuse(const std::string& line) {
  SystemLibraries libraries;
  ConsoleOutput console(libraries);
  console.Write(STD_ERROR_HANDLE, line + "\n");
  return 2;
}

}  // namespace

int RunScriptMode(const report::ModeOptions& options) {
  if (options.mode == report::Mode::Refused) return Refuse(options.refusal);
  Win32Os os;
  HeldEntry held;
  report::StringWriter out, err;
  int code;
  try {
    code = options.mode == report::Mode::Sync ? report::RunSyncMode(os, out, err, &held)
                                              : report::RunReportMode(os, options.json, out, err, &held);
  } catch (const std::exception& error) {
    code = report::FatalError(err, error.what());
  }
  SystemLibraries libraries;
  ConsoleOutput console(libraries);
  console.Write(STD_OUTPUT_HANDLE, out.Text());
  console.Write(STD_ERROR_HANDLE, err.Text());
  if (held.Entry()) LogVerdictEntry(*held.Entry());
  return code;
}

void LogVerdictEntry(const report::VerdictEntry& entry) {
  try {
    SystemLibraries libraries;
    EventLogVerdictLog log(libraries);
    report::WriteQuietly(&log, entry);
  } catch (...) {
    // logging never breaks a run
  }
}

}  // namespace hw::win32
