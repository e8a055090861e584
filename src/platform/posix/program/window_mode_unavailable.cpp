// A build without the window backend: the report mode works, and the quiet
// mode as long as nothing must be shown.
#include <iostream>

#include "platform/posix/program/window_module.h"

namespace hw::posix {

void* WindowModuleEntry(const char* /*name*/) {
  std::cerr << "hostwarden: this build has no window backend; use --report or --report --json\n";
  return nullptr;
}

}  // namespace hw::posix
