#include "platform/win32/os/library_search.h"

namespace hw::win32 {
namespace {

// Each is bound by name: the program starts on systems that lack them.
bool SearchSystemDirectoryOnly(SystemLibraries& libraries) {
  BoundFunction<decltype(&::SetDefaultDllDirectories)> setDefaultDllDirectories{libraries, "kernel32.dll",
                                                                                "SetDefaultDllDirectories"};
  try {
    return setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
  } catch (const MissingFunction&) {
    return false;
  }
}

bool RemoveCurrentFolder(SystemLibraries& libraries) {
  BoundFunction<decltype(&::SetDllDirectoryW)> setDllDirectory{libraries, "kernel32.dll", "SetDllDirectoryW"};
  try {
    return setDllDirectory(L"") != FALSE;
  } catch (const MissingFunction&) {
    return false;
  }
}

// The libraries of every check, in the order in which one may load another:
// a library already loaded is never looked for again by its bare name. One
// that an older system lacks is simply not loaded.
constexpr const char* kLibrariesOfTheCheck[] = {"iphlpapi.dll", "dnsapi.dll", "wsock32.dll", "shlwapi.dll",
                                                "wininet.dll"};

LibrarySearch RestrictSearchOrder(SystemLibraries& libraries) {
  if (SearchSystemDirectoryOnly(libraries)) return LibrarySearch::SystemDirectoryOnly;
  if (RemoveCurrentFolder(libraries)) return LibrarySearch::CurrentFolderRemoved;
  return LibrarySearch::Unchanged;
}

}  // namespace

LibrarySearch RestrictLibrarySearch(SystemLibraries& libraries) {
  LibrarySearch search = RestrictSearchOrder(libraries);
  for (const char* library : kLibrariesOfTheCheck) libraries.Preload(library);
  return search;
}

}  // namespace hw::win32
