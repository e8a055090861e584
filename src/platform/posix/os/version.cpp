// GetVersionExA for Linux: our own platform id, the kernel's version, and
// the distribution's name where Windows puts its service pack. There is no
// browser library to ask for a version.
#include <sys/utsname.h>

#include <algorithm>

#include "platform/posix/os/files.h"
#include "platform/posix/os/os_release.h"
#include "platform/posix/os/posix_os.h"

namespace hw::posix {

int PosixOs::GetVersionExA(OsVersionInfo& info) {
  if (info.dwOSVersionInfoSize != kOsVersionInfoSize) return 0;
  utsname system{};
  if (::uname(&system) != 0) return 0;
  KernelVersion kernel = KernelVersionOf(system.release);
  std::string prettyName;
  for (const auto& path : paths_.osRelease) {
    if (auto text = ReadSmallFile(path)) {
      prettyName = ShortDistributionNameOf(*text);
      break;
    }
  }
  info.dwMajorVersion = kernel.major;
  info.dwMinorVersion = kernel.minor;
  info.dwBuildNumber = kernel.patch;
  info.dwPlatformId = kPlatformLinux;
  // 127 characters at most, so the field always holds its NUL.
  std::size_t cut = std::min<std::size_t>(prettyName.size(), 127);
  while (cut > 0 && cut < prettyName.size() && (static_cast<unsigned char>(prettyName[cut]) & 0xC0) == 0x80) --cut;
  info.szCSDVersion = prettyName.substr(0, cut);
  info.szCSDVersion.resize(128, '\0');
  return 1;
}

}  // namespace hw::posix
