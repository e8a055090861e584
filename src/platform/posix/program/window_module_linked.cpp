// WindowModuleEntry for a program built whole, with the window module's
// entries linked in (the sanitizer build).
#include <cstring>
#include <initializer_list>

#include "platform/posix/program/window_module.h"

extern "C" int hostwarden_run_window_mode(const char* commandLine);
extern "C" int hostwarden_show_message_box(const char* text, int style);
extern "C" int hostwarden_continue_quiet_mode(const HostwardenProgramState* state);
extern "C" int hostwarden_open_screen();

namespace hw::posix {

void* WindowModuleEntry(const char* name) {
  struct Named {
    const char* name;
    void* entry;
  };
  for (const Named& named : {Named{kRunWindowModeEntry, reinterpret_cast<void*>(&hostwarden_run_window_mode)},
                             Named{kShowMessageBoxEntry, reinterpret_cast<void*>(&hostwarden_show_message_box)},
                             Named{kContinueQuietModeEntry, reinterpret_cast<void*>(&hostwarden_continue_quiet_mode)},
                             Named{kOpenScreenEntry, reinterpret_cast<void*>(&hostwarden_open_screen)}})
    if (std::strcmp(named.name, name) == 0) return named.entry;
  return nullptr;
}

}  // namespace hw::posix
