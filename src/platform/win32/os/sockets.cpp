// Windows Sockets 1.1 (wsock32.dll). A hostent belongs to Windows Sockets and
// is valid only until its next call, so it is copied out before returning.
#include <cstddef>

#include "platform/win32/os/ansi_buffer.h"
#include "platform/win32/os/win32_os.h"

namespace hw::win32 {

// The published 32-bit layout: iMaxSockets at offset 390.
static_assert(sizeof(void*) != 4 || offsetof(WSADATA, iMaxSockets) == 390);

using win32::AnsiBuffer;
using win32::ToAnsi;

std::string Win32Os::CopyName(const char* name) {
  int length = system_.lstrlenA(name);  // 0 for a null pointer
  if (length <= 0) return "";
  std::string bytes(static_cast<std::size_t>(length), '\0');
  system_.RtlMoveMemory(bytes.data(), name, bytes.size());
  return win32::FromAnsi(bytes);
}

HostEnt Win32Os::CopyHostEnt(const hostent& entry) {
  HostEnt copy;
  copy.h_name = CopyName(entry.h_name);
  copy.h_length = entry.h_length;
  std::size_t addressLength = entry.h_length > 0 ? static_cast<std::size_t>(entry.h_length) : 0;
  for (char** address = entry.h_addr_list; address && *address; ++address) {
    std::vector<uint8_t> bytes(addressLength);
    if (addressLength > 0) system_.RtlMoveMemory(bytes.data(), *address, addressLength);
    copy.h_addr_list.push_back(std::move(bytes));
  }
  return copy;
}

int Win32Os::WSAStartup(uint16_t versionRequested, WsaData& data) {
  WSADATA record{};
  int result = system_.WSAStartup(versionRequested, &record);
  data.wVersion = record.wVersion;
  data.iMaxSockets = record.iMaxSockets;
  return result;
}

int Win32Os::WSACleanup() { return system_.WSACleanup(); }

int Win32Os::WSAGetLastError() { return system_.WSAGetLastError(); }

int Win32Os::gethostname(std::string& name, int namelen) {
  AnsiBuffer ansi(name, namelen > 0 ? static_cast<std::size_t>(namelen) : 1);
  int result = system_.gethostname(ansi.data(), namelen);
  name = ansi.Utf8();
  return result;
}

std::optional<HostEnt> Win32Os::gethostbyname(const std::string& name) {
  const hostent* entry = system_.gethostbyname(ToAnsi(name).c_str());
  if (!entry) return std::nullopt;
  return CopyHostEnt(*entry);
}

std::optional<HostEnt> Win32Os::gethostbyaddr(const std::array<uint8_t, 4>& addr, int len, int type) {
  auto lookUp = system_.gethostbyaddr.Get();
  // The system reads `len` bytes of the address: never more than there are.
  if (len < 0 || static_cast<std::size_t>(len) > addr.size()) {
    SetLastError(WSAEFAULT);
    return std::nullopt;
  }
  const hostent* entry = lookUp(reinterpret_cast<const char*>(addr.data()), len, type);
  if (!entry) return std::nullopt;
  return CopyHostEnt(*entry);
}

uint32_t Win32Os::inet_addr(const std::string& cp) {
  return system_.inet_addr(ToAnsi(cp).c_str());
}

}  // namespace hw::win32
