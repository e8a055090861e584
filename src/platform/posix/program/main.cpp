// hostwarden [-Q|/Q]: the window program.
// hostwarden --help | --version: the usage or the version line.
// hostwarden --report [--json]: the startup check without a window; prints
// what the main window would show and exits 0 (names agree, or the check
// does not apply), 1 (mismatch) or 2 (the program would have ended for a
// failure).
// hostwarden --sync: the check and, on a mismatch, "Namen synchronisieren"
// without a window (report/sync_run.h).
// hostwarden /SetComputerName:<name> [/DnsName:<full name>]: the elevated
// copy that pkexec runs as root for the windows (elevated_copy_mode.h).
// --report with --sync, and every switch the program does not know (Windows
// spellings such as /SYNC or -report included), are refused at once with one
// line and status 2, before any check or window.
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "check/name_rules.h"
#include "platform/posix/program/command_line.h"
#include "platform/posix/program/elevated_copy_mode.h"
#include "platform/posix/os/posix_os.h"
#include "platform/posix/program/stdio_writer.h"
#include "platform/posix/program/system_log.h"
#include "report/mode_options.h"
#include "text/language.h"
#include "report/escaping.h"
#include "report/report_mode.h"
#include "report/sync_run.h"
#include "sync/elevated_copy.h"
#include "platform/posix/program/window_mode.h"

namespace {

struct Options {
  bool report = false;
  bool json = false;
  bool sync = false;
  std::string refusal;      // a command line refused, with the one line that says why
  std::string commandLine;  // everything else, as Windows hands it to the program
};

// An argument that asks for something: it begins with "-" or "/", as the
// switches of either platform do. Any other word is left to the window
// program, as Windows leaves it.
bool IsSwitch(const std::string& argument) {
  return !argument.empty() && (argument.front() == '-' || argument.front() == '/');
}

// Our own options are taken out before anything else sees the arguments;
// the window toolkit gets none of them, and a switch we do not know never
// reaches a window or a display. The report never changes the system, so
// it is refused together with --sync.
Options ParseOptions(int argc, char** argv) {
  Options options;
  // The elevated copy's command line is checked, strictly, by its own mode.
  if (argc > 1 && hw::ElevatedCopyName(argv[1])) return options;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--report") {
      options.report = true;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument == "--sync") {
      options.sync = true;
    } else if (IsSwitch(argument) && !hw::IsQuietSwitch(argument)) {
      if (options.refusal.empty())
        options.refusal = hw::report::PrintableText(hw::report::UnknownSwitchLine(argument));
    } else {
      options.commandLine += (options.commandLine.empty() ? "" : " ") + argument;
    }
  }
  if (options.refusal.empty() && options.sync && (options.report || options.json))
    options.refusal = hw::report::ReportWithSyncLine(options.report ? "--report" : "--json", "--sync");
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  {
    hw::posix::PosixOs os;  // the run's language, before any text is made
    hw::ChooseLanguage(os);
  }
  if (auto status = hw::posix::AnswerInformationOption({argv + 1, argv + argc}, std::cout)) return *status;
  hw::posix::StdioWriter out(stdout), err(stderr);
  Options options = ParseOptions(argc, argv);
  if (!options.refusal.empty()) {
    err.Write(options.refusal + "\n");
    return 2;
  }
  try {
    hw::posix::SyslogVerdictLog log;
    if (auto status = hw::posix::RunElevatedCopyMode({argv + 1, argv + argc}, err, &log)) return *status;
    if (options.sync) {
      hw::posix::PosixOs os;
      return hw::report::RunSyncMode(os, out, err, &log);
    }
    if (options.report || options.json) {
      hw::posix::PosixOs os;
      return hw::report::RunReportMode(os, options.json, out, err, &log);
    }
    // The quiet mode loads the windows only when it has something to show.
    if (hw::IsQuietSwitch(options.commandLine)) return hw::posix::RunQuietMode(options.commandLine);
    return hw::posix::RunWindowMode(options.commandLine);
  } catch (const std::exception& error) {
    return hw::report::FatalError(err, error.what());
  }
}
