// User and computer names: kernel32 and advapi32.
#include "platform/win32/os/ansi_buffer.h"
#include "platform/win32/os/win32_os.h"

namespace hw::win32 {
namespace {

// The system would read a name only up to a NUL inside it and set that part:
// a computer name other than the one the user was shown. Refused instead,
// as the system refuses a name it cannot take.
bool HoldsNul(const std::string& name) { return name.find('\0') != std::string::npos; }

// Hands the system the caller's buffer in the ANSI code page and brings all
// of it back, with the length the system wrote.
template <class Call>
int ReadNameInto(std::string& buffer, uint32_t& size, Call call) {
  win32::AnsiBuffer ansi(buffer, size);
  DWORD length = size;
  int result = call(ansi.data(), &length);
  buffer = ansi.Utf8();
  size = length;
  return result;
}

}  // namespace

using win32::ToAnsi;

int Win32Os::GetUserNameA(std::string& buffer, uint32_t& size) {
  return ReadNameInto(buffer, size, [&](char* name, DWORD* length) { return system_.GetUserNameA(name, length); });
}

int Win32Os::GetComputerNameA(std::string& buffer, uint32_t& size) {
  return ReadNameInto(buffer, size, [&](char* name, DWORD* length) { return system_.GetComputerNameA(name, length); });
}

int Win32Os::GetComputerNameExA(int nameType, std::string& buffer, uint32_t& size) {
  return ReadNameInto(buffer, size, [&](char* name, DWORD* length) {
    return system_.GetComputerNameExA(static_cast<COMPUTER_NAME_FORMAT>(nameType), name, length);
  });
}

int Win32Os::SetComputerNameA(const std::string& name) {
  auto setName = system_.SetComputerNameA.Get();
  if (HoldsNul(name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return setName(ToAnsi(name).c_str());
}

int Win32Os::SetComputerNameExA(int nameType, const std::string& name) {
  auto setName = system_.SetComputerNameExA.Get();
  if (HoldsNul(name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return setName(static_cast<COMPUTER_NAME_FORMAT>(nameType), ToAnsi(name).c_str());
}

}  // namespace hw::win32
