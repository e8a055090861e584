// WindowModuleEntry for the program: the module is looked for beside the
// program (the build tree), then where `cmake --install` puts it relative
// to the program, then at the install path the build was configured with.
#include <dlfcn.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "platform/posix/program/window_module.h"

namespace hw::posix {
namespace {

std::string DirectoryOfProgram() {
  std::vector<char> path(4096);
  ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return "";
  std::string program(path.data(), static_cast<std::size_t>(length));
  std::size_t slash = program.rfind('/');
  return slash == std::string::npos ? "" : program.substr(0, slash);
}

std::vector<std::string> ModuleCandidates() {
  std::vector<std::string> candidates;
  std::string beside = DirectoryOfProgram();
  if (!beside.empty()) {
    candidates.push_back(beside + "/" + kWindowModuleFile);
    candidates.push_back(beside + "/" + HOSTWARDEN_MODULE_DIR_FROM_PROGRAM + "/" + kWindowModuleFile);
  }
  candidates.push_back(std::string(HOSTWARDEN_MODULE_DIR) + "/" + kWindowModuleFile);
  return candidates;
}

void Add(std::string& reasons, const std::string& reason) { reasons += (reasons.empty() ? "" : "; ") + reason; }

// The first candidate that loads and has the entry; the module stays loaded
// until the process ends.
void* LoadEntry(const char* name, std::string& reasons) {
  for (const std::string& path : ModuleCandidates()) {
    if (::access(path.c_str(), F_OK) != 0) continue;
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      Add(reasons, ::dlerror());
      continue;
    }
    if (void* entry = ::dlsym(module, name)) return entry;
    Add(reasons, path + " has no entry " + name);
  }
  return nullptr;
}

}  // namespace

void* WindowModuleEntry(const char* name) {
  std::string reasons;
  if (void* entry = LoadEntry(name, reasons)) return entry;
  std::cerr << "hostwarden: the window module " << kWindowModuleFile << " cannot be loaded"
            << (reasons.empty() ? " (not found)" : " (" + reasons + ")") << "; use --report or --report --json\n";
  return nullptr;
}

}  // namespace hw::posix
