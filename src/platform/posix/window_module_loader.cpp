// RunWindowMode for the program: loads the window module and runs its
// entry. The module is looked for beside the program (the build tree), then
// where `cmake --install` puts it relative to the program, then at the
// install path the build was configured with.
#include <dlfcn.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "platform/posix/window_mode.h"
#include "platform/posix/window_module.h"

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

}  // namespace

int RunWindowMode(const std::string& commandLine) {
  std::string reasons;
  for (const std::string& path : ModuleCandidates()) {
    if (::access(path.c_str(), F_OK) != 0) continue;
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      reasons += std::string(reasons.empty() ? "" : "; ") + ::dlerror();
      continue;
    }
    auto entry = reinterpret_cast<WindowModuleEntry>(::dlsym(module, kWindowModuleEntry));
    if (entry) return entry(commandLine.c_str());  // the module stays loaded until the process ends
    reasons += std::string(reasons.empty() ? "" : "; ") + path + " has no entry " + kWindowModuleEntry;
  }
  std::cerr << "hostwarden: the window module " << kWindowModuleFile << " cannot be loaded"
            << (reasons.empty() ? " (not found)" : " (" + reasons + ")") << "; use --report or --report --json\n";
  return 2;
}

}  // namespace hw::posix
