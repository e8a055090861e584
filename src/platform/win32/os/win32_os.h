// The operating-system functions of Hostwarden on real Windows: each call goes
// to the system function of the same name, bound by name on first use, with
// UTF-8 converted to and from the ANSI code page at the boundary and every
// system-owned record copied out before the call returns.
#pragma once

#include <string>

#include "interfaces/os.h"
#include "platform/win32/os/system_functions.h"

namespace hw::win32 {

class Win32Os : public Os {
 public:
  Win32Os() = default;
  Win32Os(const Win32Os&) = delete;
  Win32Os& operator=(const Win32Os&) = delete;

  int GetUserNameA(std::string& buffer, uint32_t& size) override;
  int GetComputerNameA(std::string& buffer, uint32_t& size) override;
  int GetComputerNameExA(int nameType, std::string& buffer, uint32_t& size) override;
  int SetComputerNameA(const std::string& name) override;
  int SetComputerNameExA(int nameType, const std::string& name) override;

  uint16_t GetUserDefaultUILanguage() override;
  int GetVersionExA(OsVersionInfo& info) override;
  int32_t DllGetVersion(DllVersionInfo& info) override;
  int InternetGetConnectedState(uint32_t& flags, uint32_t reserved) override;

  int WSAStartup(uint16_t versionRequested, WsaData& data) override;
  int WSACleanup() override;
  int gethostname(std::string& name, int namelen) override;
  int WSAGetLastError() override;
  std::optional<HostEnt> gethostbyname(const std::string& name) override;
  std::optional<HostEnt> gethostbyaddr(const std::array<uint8_t, 4>& addr, int len, int type) override;
  uint32_t inet_addr(const std::string& cp) override;

  uint32_t GetNetworkParams(FixedInfo* info, uint32_t& outBufLen) override;
  uint32_t GetAdaptersInfo(std::vector<IpAdapterInfo>& adapters) override;
  int32_t DnsQuery_A(const std::string& name, uint16_t type, uint32_t options, const Ip4Array* extra,
                     DnsRecordList& results) override;
  int32_t DnsQuery_A(const std::string& name, uint16_t type, uint32_t options, const SocketAddress& server,
                     DnsRecordList& results) override;
  uint32_t GetAdaptersAddresses(uint32_t family, uint32_t flags, std::vector<AdapterAddresses>& adapters) override;

  Handle GetCurrentProcess() override;
  int OpenProcessToken(Handle process, uint32_t desiredAccess, TokenHandle& token) override;
  int GetTokenInformation(const TokenHandle& token, int infoClass, TokenGroups* info, uint32_t length,
                          uint32_t& returnLength) override;
  int AllocateAndInitializeSid(const std::array<uint8_t, 6>& authority, uint8_t subAuthorityCount,
                               const std::array<uint32_t, 8>& subAuthorities, Sid& sid) override;
  int GetTokenInformation(const TokenHandle& token, int infoClass, uint32_t& info, uint32_t length,
                          uint32_t& returnLength) override;
  int LookupAccountSidA(const std::string* systemName, SidRef sid, std::string& name, uint32_t& nameLen,
                        std::string& domain, uint32_t& domainLen, int& use) override;

  uint32_t NetGetJoinInformation(const std::string* server, NetApiBuffer& nameBuffer, int& bufferType) override;
  uint32_t GetModuleFileNameW(Handle module, std::string& filename, uint32_t size) override;
  int ShellExecuteExW(ShellExecuteInfo& info) override;
  // A REG_MULTI_SZ value under HKLM\SOFTWARE\Policies\Hostwarden (policy.cpp).
  std::optional<PolicySetting> ReadPolicySetting(const std::string& name) override;

 private:
  // A NUL-ended ANSI name in memory the system owns, measured (lstrlen) and
  // copied out (RtlMoveMemory) as UTF-8; "" for a null or empty name.
  std::string CopyName(const char* name);
  HostEnt CopyHostEnt(const hostent& entry);

  win32::SystemLibraries libraries_;
  win32::SystemFunctions system_{libraries_};
};

}  // namespace hw::win32
