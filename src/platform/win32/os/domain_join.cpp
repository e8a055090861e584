// Whether the PC belongs to a workgroup or a domain (netapi32). The name
// buffer goes back through Released.
#include "platform/win32/os/text_encoding.h"
#include "platform/win32/os/win32_os.h"

namespace hw::win32 {

uint32_t Win32Os::NetGetJoinInformation(const std::string* server, NetApiBuffer& nameBuffer, int& bufferType) {
  auto getJoinInformation = system_.NetGetJoinInformation.Get();
  // Bound first: a buffer must never be left without the function that frees it.
  auto freeBuffer = system_.NetApiBufferFree.Get();
  std::wstring wideServer = server ? win32::Utf8ToWide(*server) : std::wstring();
  LPWSTR name = nullptr;
  NETSETUP_JOIN_STATUS status = NetSetupUnknownStatus;
  NET_API_STATUS result = getJoinInformation(server ? wideServer.c_str() : nullptr, &name, &status);
  if (name) {
    nameBuffer.text = win32::WideToUtf8(name);
    nameBuffer.owner = Released([freeBuffer, name] { freeBuffer(name); });
  }
  bufferType = static_cast<int>(status);
  return result;
}

}  // namespace hw::win32
