// The process token, its groups, and the SIDs and account names of groups
// (kernel32, advapi32). Handles and SIDs go back through Released.
#include <cstring>
#include <memory>

#include "platform/win32/os/ansi_buffer.h"
#include "platform/win32/os/token_groups_layout.h"
#include "platform/win32/os/win32_os.h"

namespace hw::win32 {

Handle Win32Os::GetCurrentProcess() { return reinterpret_cast<Handle>(system_.GetCurrentProcess()); }

int Win32Os::OpenProcessToken(Handle process, uint32_t desiredAccess, TokenHandle& token) {
  auto open = system_.OpenProcessToken.Get();
  // Bound first: a handle must never be left without the function that closes it.
  auto close = system_.CloseHandle.Get();
  HANDLE handle = nullptr;
  int result = open(reinterpret_cast<HANDLE>(process), desiredAccess, &handle);
  if (result && handle) {
    token.value = reinterpret_cast<Handle>(handle);
    token.owner = Released([close, handle] { close(handle); });
  }
  return result;
}

int Win32Os::GetTokenInformation(const TokenHandle& token, int infoClass, TokenGroups* info, uint32_t length,
                                 uint32_t& returnLength) {
  auto getInformation = system_.GetTokenInformation.Get();
  HANDLE handle = reinterpret_cast<HANDLE>(token.value);
  auto informationClass = static_cast<TOKEN_INFORMATION_CLASS>(infoClass);
  DWORD needed = returnLength;
  if (!info) {  // the size query: no buffer, so no length either
    int result = getInformation(handle, informationClass, nullptr, 0, &needed);
    returnLength = needed;
    return result;
  }
  // Zero-filled storage of the length given; the SIDs the entries point to
  // lie inside it, so it lives as long as the record.
  auto storage = std::make_shared<unsigned char[]>(length == 0 ? 1 : length);
  int result = getInformation(handle, informationClass, storage.get(), length, &needed);
  returnLength = needed;
  info->Groups.clear();
  info->storage = storage;
  if (result && infoClass == kTokenGroups && length >= sizeof(DWORD)) {
    DWORD count;
    std::memcpy(&count, storage.get(), sizeof count);
    std::size_t usable = win32::EntriesWithin(length, offsetof(TOKEN_GROUPS, Groups), sizeof(SID_AND_ATTRIBUTES), count);
    const auto* entries = reinterpret_cast<const SID_AND_ATTRIBUTES*>(storage.get() + offsetof(TOKEN_GROUPS, Groups));
    for (std::size_t i = 0; i < usable; ++i)
      info->Groups.push_back({reinterpret_cast<SidRef>(entries[i].Sid), entries[i].Attributes});
  }
  return result;
}

int Win32Os::GetTokenInformation(const TokenHandle& token, int infoClass, uint32_t& info, uint32_t length,
                                 uint32_t& returnLength) {
  auto getInformation = system_.GetTokenInformation.Get();
  DWORD value = 0;
  DWORD needed = 0;
  // Never more than the one DWORD there is room for.
  DWORD given = length < sizeof value ? length : sizeof value;
  int result = getInformation(reinterpret_cast<HANDLE>(token.value), static_cast<TOKEN_INFORMATION_CLASS>(infoClass),
                              &value, given, &needed);
  returnLength = needed;
  if (result) info = value;
  return result;
}

int Win32Os::AllocateAndInitializeSid(const std::array<uint8_t, 6>& authority, uint8_t subAuthorityCount,
                                      const std::array<uint32_t, 8>& subAuthorities, Sid& sid) {
  auto allocate = system_.AllocateAndInitializeSid.Get();
  auto freeSid = system_.FreeSid.Get();  // bound first, as with the token handle
  SID_IDENTIFIER_AUTHORITY identifierAuthority;
  std::memcpy(identifierAuthority.Value, authority.data(), authority.size());
  PSID allocated = nullptr;
  int result = allocate(&identifierAuthority, subAuthorityCount, subAuthorities[0], subAuthorities[1],
                        subAuthorities[2], subAuthorities[3], subAuthorities[4], subAuthorities[5],
                        subAuthorities[6], subAuthorities[7], &allocated);
  if (result && allocated) {
    sid.ref = reinterpret_cast<SidRef>(allocated);
    sid.owner = Released([freeSid, allocated] { freeSid(allocated); });
  }
  return result;
}

int Win32Os::LookupAccountSidA(const std::string* systemName, SidRef sid, std::string& name, uint32_t& nameLen,
                               std::string& domain, uint32_t& domainLen, int& use) {
  auto lookUp = system_.LookupAccountSidA.Get();
  if (sid == 0) {  // no SID to look up: fail as the system does for an invalid one
    SetLastError(ERROR_INVALID_SID);
    return 0;
  }
  std::string ansiSystemName = systemName ? win32::ToAnsi(*systemName) : std::string();
  win32::AnsiBuffer nameBuffer(name, nameLen);
  win32::AnsiBuffer domainBuffer(domain, domainLen);
  DWORD nameLength = nameLen;
  DWORD domainLength = domainLen;
  SID_NAME_USE accountType = SidTypeUnknown;
  int result = lookUp(systemName ? ansiSystemName.c_str() : nullptr, reinterpret_cast<PSID>(sid), nameBuffer.data(),
                      &nameLength, domainBuffer.data(), &domainLength, &accountType);
  name = nameBuffer.Utf8();
  domain = domainBuffer.Utf8();
  nameLen = nameLength;
  domainLen = domainLength;
  use = static_cast<int>(accountType);
  return result;
}

}  // namespace hw::win32
