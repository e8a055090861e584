// The entry of the window module: RunWindowMode behind a C name that the
// program looks up with dlsym. Errors end here, as main would end them.
#include <exception>
#include <iostream>

#include "report/report.h"
#include "platform/posix/window_mode.h"

extern "C" __attribute__((visibility("default"))) int hostwarden_run_window_mode(const char* commandLine) {
  try {
    return hw::posix::RunWindowMode(commandLine ? commandLine : "");
  } catch (const std::exception& error) {
    std::cerr << "hostwarden: " << hw::report::PrintableText(error.what()) << "\n";
    return 2;
  }
}
