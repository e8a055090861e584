// The window program as a module of its own (hostwarden-windows.so), loaded
// only when a window may be needed: the report mode then never loads FLTK,
// X11 and their libraries, which would cost it more than the check itself.
#pragma once

namespace hw::posix {

// The file name of the module and the entry it exports.
inline constexpr const char* kWindowModuleFile = "hostwarden-windows.so";
inline constexpr const char* kWindowModuleEntry = "hostwarden_run_window_mode";

// The entry: runs the window program; the exit code.
using WindowModuleEntry = int (*)(const char* commandLine);

}  // namespace hw::posix
