// hostwarden [-Q|/Q]: the window program.
// hostwarden --help | --version: the usage or the version line.
// hostwarden --report [--json]: the startup check without a window; prints
// what the main window would show and exits 0 (names agree, or the check
// does not apply), 1 (mismatch) or 2 (the program would have ended for a
// failure).
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "check/name_rules.h"
#include "platform/posix/command_line.h"
#include "platform/posix/posix_os.h"
#include "platform/posix/report.h"
#include "platform/posix/window_mode.h"

namespace {

struct Options {
  bool report = false;
  bool json = false;
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
    if (options.report || options.json) {
      hw::posix::PosixOs os;
      return hw::posix::RunReportMode(os, options.json, std::cout, std::cerr);
    }
    // The quiet mode loads the windows only when it has something to show.
    if (hw::IsQuietSwitch(options.commandLine)) return hw::posix::RunQuietMode(options.commandLine);
    return hw::posix::RunWindowMode(options.commandLine);
  } catch (const std::exception& error) {
    std::cerr << "hostwarden: " << hw::posix::PrintableText(error.what()) << "\n";
    return 2;
  }
}
