#include "sync/elevation.h"

#include <cstdint>
#include <optional>

#include "sync/elevated_copy.h"

namespace hw {
namespace {

constexpr uint32_t kFirstPathLength = 260;       // MAX_PATH
constexpr uint32_t kLongestPathLength = 32768;   // the longest path Windows has

// This program's own file. A path that GetModuleFileNameW had to cut is no
// path to start; the buffer grows until the whole path fits.
std::optional<std::string> OwnProgramFile(Os& os) {
  for (uint32_t size = kFirstPathLength; size <= kLongestPathLength; size *= 2) {
    std::string path;
    uint32_t length = os.GetModuleFileNameW(0, path, size);
    if (length == 0) return std::nullopt;
    if (length < size) return path;
  }
  return std::nullopt;
}

}  // namespace

bool HasElevatedTwin(Os& os) {
  try {
    TokenHandle token;  // closed on every path once opened
    if (os.OpenProcessToken(os.GetCurrentProcess(), kTokenRead, token) != 1) return false;
    uint32_t type = 0, returned = 0;
    if (os.GetTokenInformation(token, kTokenElevationType, type, sizeof type, returned) != 1) return false;
    return type == kTokenElevationTypeLimited;
  } catch (const MissingFunction&) {
    return false;  // a system without these calls has no UAC
  }
}

bool StartElevatedCopy(Os& os, const std::string& name, const std::string& dnsName) {
  if (!HasElevatedTwin(os)) return false;
  try {
    auto program = OwnProgramFile(os);
    if (!program) return false;
    ShellExecuteInfo start;
    start.fMask = kSeeMaskNoAsync | kSeeMaskFlagNoUi;
    start.lpVerb = "runas";
    start.lpFile = *program;
    start.lpParameters = ElevatedCopyArguments(name);
    start.nShow = kSwShowNormal;
    start.dnsName = dnsName;
    // Fails when the user refuses the system's prompt.
    return os.ShellExecuteExW(start) != 0;
  } catch (const MissingFunction&) {
    return false;
  }
}

}  // namespace hw
