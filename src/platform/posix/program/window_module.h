// The windows as a module of their own (hostwarden-windows.so), loaded only
// when a window or a message box must be shown: the report mode and a quiet
// log-on with nothing to show never load FLTK, X11 and their libraries,
// which would cost more than the check itself. Only C types cross between
// the program and the module, which carry a C++ library each.
#pragma once

#include <cstddef>

extern "C" {

// Where the quiet check left the program (hw::ProgramState), the whole of
// it as one byte string (program_state_abi.h): the two sides share no C++
// type, and a field added to the state crosses without a change here.
struct HostwardenProgramState {
  const char* bytes;
  std::size_t length;
};

}  // extern "C"

namespace hw::posix {

// The file name of the module.
inline constexpr const char* kWindowModuleFile = "hostwarden-windows.so";

// The entries the module exports; each returns the exit code, 0 when all went
// well, and has told the user why when it did not.
// The window program (normal mode), from its command line.
inline constexpr const char* kRunWindowModeEntry = "hostwarden_run_window_mode";
using RunWindowModeEntry = int (*)(const char* commandLine);
// One modal message box of the quiet mode; 0 once it is closed.
inline constexpr const char* kShowMessageBoxEntry = "hostwarden_show_message_box";
using ShowMessageBoxEntry = int (*)(const char* text, int style);
// Opens the quiet mode's display; 0 when it is open.
inline constexpr const char* kOpenScreenEntry = "hostwarden_open_screen";
using OpenScreenEntry = int (*)();
// The quiet mode from where its check left it, until the program ends.
inline constexpr const char* kContinueQuietModeEntry = "hostwarden_continue_quiet_mode";
using ContinueQuietModeEntry = int (*)(const HostwardenProgramState* state);

// The module's entry of that name, the module loaded at the first call;
// null, after telling the user why, when the module or the entry cannot be
// found.
void* WindowModuleEntry(const char* name);

}  // namespace hw::posix
