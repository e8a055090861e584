// Functions of system libraries, bound by name on their first call and cached,
// never imported when the program is loaded: an entry point that an older
// Windows lacks fails only when the program reaches it.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "interfaces/os.h"

namespace hw::win32 {

// The system libraries this process has loaded by name. Each comes from the
// system directory and nowhere else, so a DLL of the same name planted beside
// the program or in the current folder is never loaded.
class SystemLibraries {
 public:
  // The entry point `function` of `library` ("dnsapi.dll"); MissingFunction
  // when the library or the entry point is not there.
  FARPROC EntryPoint(const char* library, const char* function);
  // Loads `library` from the system directory now; false when it is not there.
  bool Preload(const std::string& library) { return Load(library) != nullptr; }

 private:
  HMODULE Load(const std::string& library);

  // Loaded libraries stay loaded: a record handed out earlier may still need
  // the function that releases it.
  std::map<std::string, HMODULE> loaded_;
};

// One function of a system library. `Function` is the type of the SDK's own
// declaration (decltype(&::GetComputerNameExA)), so a call with the wrong
// arguments fails to compile.
template <typename Function>
class BoundFunction {
 public:
  BoundFunction(SystemLibraries& libraries, const char* library, const char* name)
      : libraries_(libraries), library_(library), name_(name) {}

  // Binds on the first use; MissingFunction when it cannot be bound.
  Function Get() {
    if (!function_) {
      // Through a generic function pointer: GetProcAddress's type says nothing
      // about the entry point's signature, the SDK declaration does.
      auto generic = reinterpret_cast<void (*)()>(libraries_.EntryPoint(library_, name_));
      function_ = reinterpret_cast<Function>(generic);
    }
    return function_;
  }

  template <typename... Args>
  decltype(auto) operator()(Args&&... args) {
    return Get()(std::forward<Args>(args)...);
  }

 private:
  SystemLibraries& libraries_;
  const char* library_;
  const char* name_;
  Function function_ = nullptr;
};

}  // namespace hw::win32
