// Where the system looks for a library that is loaded without a path: by a
// system library for its own delayed imports, or by the forms runtime. The
// ordinary order starts in the program's folder, where anyone who can write
// there could plant a library of a system library's name.
#pragma once

#include "platform/win32/os/system_libraries.h"

namespace hw::win32 {

enum class LibrarySearch {
  SystemDirectoryOnly,   // SetDefaultDllDirectories: Windows 8, 7 and Vista with the update
  CurrentFolderRemoved,  // SetDllDirectoryW(""): XP SP1 on, without that update
  Unchanged,             // neither call exists
};

// The first thing the program does, before anything loads a library: keep
// every search to the system directory where the system allows it, and load
// from there the libraries the check calls, so that a system library asking
// for one of them by its bare name later (a delayed import: Wine's wininet
// and iphlpapi, which Wine looks for beside the program whatever the search
// order says) gets the copy already loaded.
LibrarySearch RestrictLibrarySearch(SystemLibraries& libraries);

}  // namespace hw::win32
