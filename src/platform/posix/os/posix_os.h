// The operating-system functions of hw::Os on Linux: real system calls, the
// C library's resolver, one DNS query through c-ares, the process's groups
// standing for the token, and the static host name.
#pragma once

#include <map>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "interfaces/os.h"
#include "platform/posix/os/own_addresses.h"

namespace hw::posix {

// Where the layer reads and writes the system's files. Tests point them at
// files of their own; the program uses the defaults.
struct SystemPaths {
  std::string resolvConf = "/etc/resolv.conf";
  std::string resolvedResolvConf = "/run/systemd/resolve/resolv.conf";
  std::vector<std::string> osRelease = {"/etc/os-release", "/usr/lib/os-release"};
  std::string sysClassNet = "/sys/class/net";
  std::string procNetRoute = "/proc/net/route";  // this network namespace's routes
  std::string procNetIfInet6 = "/proc/net/if_inet6";
  std::string hostnameFile = "/etc/hostname";
  std::string hostsFile = "/etc/hosts";
};

// How long one DNS query may take: c-ares's own time-out per try and number
// of tries, and a hard limit on the whole wait on top of them.
struct DnsQueryLimits {
  int timeoutMs = 1500;
  int tries = 2;
  int overallMs = 5000;
};

class PosixOs : public Os {
 public:
  PosixOs() = default;
  explicit PosixOs(SystemPaths paths, DnsQueryLimits limits = {}) : paths_(std::move(paths)), limits_(limits) {}

  int GetUserNameA(std::string& buffer, uint32_t& size) override;
  int GetComputerNameA(std::string& buffer, uint32_t& size) override;
  int GetComputerNameExA(int nameType, std::string& buffer, uint32_t& size) override;
  int SetComputerNameA(const std::string& name) override;
  int SetComputerNameExA(int nameType, const std::string& name) override;
  // The full name takes the domain of `dnsName`, the name the rename was
  // confirmed for; without one each full name keeps its own domain.
  int SetComputerNameWithDnsName(int nameType, const std::string& name, const std::string& dnsName) override;
  bool RenameRefusedForRights() override { return refusedForRights_; }

  // The windows' renames by anyone but root go to the copy that pkexec runs
  // as root, after the desktop's polkit agent has asked for an
  // administrator's password; a script's never ask.
  void AllowInteractiveAuthorization() { interactiveAuthorization_ = true; }

  uint16_t GetUserDefaultUILanguage() override;
  int GetVersionExA(OsVersionInfo& info) override;
  int32_t DllGetVersion(DllVersionInfo& info) override;
  int InternetGetConnectedState(uint32_t& flags, uint32_t reserved) override;
  bool ConnectionStateWithoutBrowser() override;

  int WSAStartup(uint16_t versionRequested, WsaData& data) override;
  int WSACleanup() override;
  int gethostname(std::string& name, int namelen) override;
  int WSAGetLastError() override { return lastError_; }
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
  int GetTokenInformation(const TokenHandle& token, int infoClass, uint32_t& info, uint32_t length,
                          uint32_t& returnLength) override;
  int AllocateAndInitializeSid(const std::array<uint8_t, 6>& authority, uint8_t subAuthorityCount,
                               const std::array<uint32_t, 8>& subAuthorities, Sid& sid) override;
  int LookupAccountSidA(const std::string* systemName, SidRef sid, std::string& name, uint32_t& nameLen,
                        std::string& domain, uint32_t& domainLen, int& use) override;

  uint32_t NetGetJoinInformation(const std::string* server, NetApiBuffer& nameBuffer, int& bufferType) override;
  uint32_t GetModuleFileNameW(Handle module, std::string& filename, uint32_t size) override;
  // "runas" starts this program as root through pkexec and waits for it
  // (pkexec_copy.cpp).
  int ShellExecuteExW(ShellExecuteInfo& info) override;
  ElevatedCopyEnd LastElevatedCopyEnd() override { return lastCopyEnd_; }
  // From /etc/hostwarden.conf (policy.h).
  std::optional<PolicySetting> ReadPolicySetting(const std::string& name) override;

  static constexpr Handle kCurrentProcess = static_cast<Handle>(-1);

 private:
  // A group id as a SID: SIDs are interned, so a SidRef stays valid for the
  // life of this object and LookupAccountSidA can tell ours from any other.
  // What gethostbyname answers for the PC's own name: its interfaces' addresses.
  HostEnt OwnHostEntry(const std::string& name) const;
  // One query through c-ares to the one server named by `server` (an
  // address as text).
  int32_t QueryOneServer(const std::string& name, uint16_t type, const std::string& server, DnsRecordList& results);
  std::string DefaultRouteInterface() const;
  std::string DefaultRouteInterfaceBesideTunnels(const std::vector<InterfaceAddress>& addresses) const;

  // Who is a member of the Administrators group (security.cpp).
  bool IsAdministrator() const;
  // A rename from the windows by anyone but root (security.cpp): the
  // elevated copy is then offered.
  bool RenameGoesToElevatedCopy() const;
  SidRef SidOfGroup(unsigned gid);
  const unsigned* GroupOfSid(SidRef sid) const;

  SystemPaths paths_;
  DnsQueryLimits limits_;
  int lastError_ = 0;
  int socketsStarted_ = 0;
  int tokensOpen_ = 0;
  std::vector<unsigned> sidGroups_;  // SidRef n names sidGroups_[n - 1]
  bool interactiveAuthorization_ = false;
  bool refusedForRights_ = false;
  ElevatedCopyEnd lastCopyEnd_ = ElevatedCopyEnd::ShowsItsOwnMessage;
};

}  // namespace hw::posix
