#include "platform/win32/os/system_libraries.h"

#include <vector>

namespace hw::win32 {
namespace {

// The system directory ("C:\Windows\system32"), "" when it cannot be read.
std::wstring SystemDirectory() {
  std::vector<wchar_t> path(MAX_PATH);
  UINT length = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  if (length >= path.size()) {  // too small: the result is the size it needs
    path.resize(length);
    length = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
    if (length >= path.size()) return L"";
  }
  return std::wstring(path.data(), length);
}

// Library names are plain ASCII file names written in this program.
std::wstring Widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

HMODULE SystemLibraries::Load(const std::string& library) {
  if (auto known = loaded_.find(library); known != loaded_.end()) return known->second;
  HMODULE module = nullptr;
  std::wstring directory = SystemDirectory();
  if (!directory.empty() && IsPlainFileName(library)) {
    std::wstring path = directory + L"\\" + Widened(library);
    // No "cannot find the file" boxes from older systems: a missing library is
    // a MissingFunction, which the caller handles.
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The library's own dependencies are looked for beside it, in the system
    // directory, rather than beside the program.
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetErrorMode(previousMode);
  }
  loaded_.emplace(library, module);
  return module;
}

FARPROC SystemLibraries::EntryPoint(const char* library, const char* function) {
  HMODULE module = Load(library);
  FARPROC entry = module ? GetProcAddress(module, function) : nullptr;
  if (!entry) throw MissingFunction(library, function);
  return entry;
}

}  // namespace hw::win32
