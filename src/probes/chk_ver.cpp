#include "probes/chk_ver.h"

#include "text/text.h"

namespace hw {
namespace {

// The Windows name for a version record; empty for a platform this table
// does not know.
std::string WindowsName(const OsVersionInfo& v) {
  switch (v.dwPlatformId) {
    case kPlatformWin32s:
      return "Win32s";
    case kPlatformWin32Windows:
      if (v.dwMinorVersion == 0) return "Windows 95";
      if (v.dwMinorVersion == 90) return "Windows ME";
      return "Windows 98";
    case kPlatformWin32NT:
      if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) return "Windows 2000";
      if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) return "Windows XP";
      return "Windows NT";
    case kPlatformLinux:
      return "Linux";
    default:
      return "";
  }
}

}  // namespace

std::string ChkVer::OsVersionText() {
  OsVersionInfo read;  // kept only when the system filled it, so a failure leaves the zeros
  read.dwOSVersionInfoSize = kOsVersionInfoSize;
  if (os_.GetVersionExA(read) != 1) return "";
  OsVersionInfo_ = read;

  // The Windows 95 family keeps the version in the high 16 bits of the build.
  std::string line = WindowsName(read) + " " + std::to_string(read.dwMajorVersion) + "." +
                     std::to_string(read.dwMinorVersion) + " build " + std::to_string(read.dwBuildNumber & 0xFFFF);
  std::string servicePack = read.szCSDVersion.substr(0, 128);
  if (servicePack.find('\0') != std::string::npos) line += " (" + TrimAtNul(servicePack) + ")";
  return line;
}

bool ChkVer::IsNtFromVersionOrLinux(uint32_t major) const {
  return (OsVersionInfo_.dwPlatformId == kPlatformWin32NT && OsVersionInfo_.dwMajorVersion >= major) ||
         OsVersionInfo_.dwPlatformId == kPlatformLinux;
}

bool ChkVer::HasAdministrators() const { return IsNtFromVersionOrLinux(0); }

bool ChkVer::HasDnsClient() const { return IsNtFromVersionOrLinux(5); }

bool ChkVer::HasSetComputerNameEx() const { return IsNtFromVersionOrLinux(5); }

bool ChkVer::HasUac() const {
  return OsVersionInfo_.dwPlatformId == kPlatformWin32NT && OsVersionInfo_.dwMajorVersion >= 6;
}

bool ChkVer::CanStartElevatedCopy() const {
  return HasUac() || OsVersionInfo_.dwPlatformId == kPlatformLinux;
}

std::string ChkVer::IeVersionText() {
  DllVersionInfo info;
  info.cbSize = kDllVersionInfoSize;
  os_.DllGetVersion(info);  // an error code leaves the zeros, which is what is shown then
  return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
         std::to_string(info.dwBuildNumber);
}

}  // namespace hw
