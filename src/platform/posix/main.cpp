// hostwarden [-Q|/Q]: the window program.
// hostwarden --help | --version: the usage or the version line.
// hostwarden --report [--json]: the startup check without a window; prints
// what the main window would show and exits 0 (names agree, or the check
// does not apply), 1 (mismatch) or 2 (the program would have ended for a
// failure).
// hostwarden --sync: the check and, on a mismatch, "Namen synchronisieren"
// without a window (report/sync_run.h).
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "check/name_rules.h"
#include "platform/posix/command_line.h"
#include "platform/posix/posix_os.h"
#include "platform/posix/syslog_verdict_log.h"
#include "report/report.h"
#include "report/sync_run.h"
#include "platform/posix/window_mode.h"

namespace {

struct Options {
  bool report = false;
  bool json = false;
  bool sync = false;
  std::string commandLine;  // everything else, as Windows hands it to the program
};

// Our own options are taken out before anything else sees the arguments;
// the window toolkit gets none of them.
Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--report") {
      options.report = true;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument == "--sync") {
      options.sync = true;
    } else {
      options.commandLine += (options.commandLine.empty() ? "" : " ") + argument;
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  if (auto status = hw::posix::AnswerInformationOption({argv + 1, argv + argc}, std::cout)) return *status;
  Options options = ParseOptions(argc, argv);
  try {
    hw::posix::SyslogVerdictLog log;
    if (options.sync) {
      hw::posix::PosixOs os;
      return hw::report::RunSyncMode(os, std::cout, std::cerr, &log);
    }
    if (options.report || options.json) {
      hw::posix::PosixOs os;
      return hw::report::RunReportMode(os, options.json, std::cout, std::cerr, &log);
    }
    // The quiet mode loads the windows only when it has something to show.
    if (hw::IsQuietSwitch(options.commandLine)) return hw::posix::RunQuietMode(options.commandLine);
    return hw::posix::RunWindowMode(options.commandLine);
  } catch (const std::exception& error) {
    std::cerr << "hostwarden: " << hw::report::PrintableText(error.what()) << "\n";
    return 2;
  }
}
