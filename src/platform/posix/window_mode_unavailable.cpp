// A build without the window backend: only the report mode works.
#include <iostream>

#include "platform/posix/window_mode.h"

namespace hw::posix {

int RunWindowMode(const std::string& /*commandLine*/) {
  std::cerr << "hostwarden: this build has no window backend; use --report or --report --json\n";
  return 2;
}

}  // namespace hw::posix
