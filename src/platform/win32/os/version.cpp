// Windows and browser versions, and the connection state.
#include <algorithm>
#include <cstring>

#include "platform/win32/os/text_encoding.h"
#include "platform/win32/os/win32_os.h"

namespace hw::win32 {

static_assert(sizeof(OSVERSIONINFOA) == kOsVersionInfoSize);
static_assert(sizeof(DLLVERSIONINFO) == kDllVersionInfoSize);

int Win32Os::GetVersionExA(OsVersionInfo& info) {
  auto getVersion = system_.GetVersionExA.Get();
  // Room for the extended record too, so whichever size the caller names, the
  // system never writes past the record; a size beyond both is refused as the
  // system refuses it.
  OSVERSIONINFOEXA record{};
  if (info.dwOSVersionInfoSize > sizeof(record)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  record.dwOSVersionInfoSize = info.dwOSVersionInfoSize;
  record.dwMajorVersion = info.dwMajorVersion;
  record.dwMinorVersion = info.dwMinorVersion;
  record.dwBuildNumber = info.dwBuildNumber;
  record.dwPlatformId = info.dwPlatformId;
  std::string csd = win32::ToAnsi(info.szCSDVersion);
  std::memcpy(record.szCSDVersion, csd.data(), std::min(csd.size(), sizeof(record.szCSDVersion)));

  int result = getVersion(reinterpret_cast<OSVERSIONINFOA*>(&record));

  info.dwOSVersionInfoSize = record.dwOSVersionInfoSize;
  info.dwMajorVersion = record.dwMajorVersion;
  info.dwMinorVersion = record.dwMinorVersion;
  info.dwBuildNumber = record.dwBuildNumber;
  info.dwPlatformId = record.dwPlatformId;
  info.szCSDVersion = win32::FromAnsi(std::string_view(record.szCSDVersion, sizeof(record.szCSDVersion)));
  return result;
}

int32_t Win32Os::DllGetVersion(DllVersionInfo& info) {
  auto getVersion = system_.DllGetVersion.Get();
  // The larger record, for the same reason as above.
  DLLVERSIONINFO2 record{};
  if (info.cbSize > sizeof(record)) return E_INVALIDARG;
  record.info1.cbSize = info.cbSize;
  record.info1.dwMajorVersion = info.dwMajorVersion;
  record.info1.dwMinorVersion = info.dwMinorVersion;
  record.info1.dwBuildNumber = info.dwBuildNumber;
  record.info1.dwPlatformID = info.dwPlatformID;

  HRESULT result = getVersion(&record.info1);

  info.cbSize = record.info1.cbSize;
  info.dwMajorVersion = record.info1.dwMajorVersion;
  info.dwMinorVersion = record.info1.dwMinorVersion;
  info.dwBuildNumber = record.info1.dwBuildNumber;
  info.dwPlatformID = record.info1.dwPlatformID;
  return result;
}

int Win32Os::InternetGetConnectedState(uint32_t& flags, uint32_t reserved) {
  DWORD state = flags;
  int result = system_.InternetGetConnectedState(&state, reserved);
  flags = state;
  return result;
}

}  // namespace hw::win32
