// A scripted operating system for the unit tests. Each test states what the
// functions return by setting the fields below (the defaults describe a
// Windows XP PC on the campus LAN whose names agree with DNS), can make any
// function missing, and afterwards reads which calls were made, with what,
// and whether every resource that was handed out was given back.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "interfaces/os.h"

namespace hw::test {

// How often a kind of resource was handed out and given back.
struct ResourceCount {
  int acquired = 0;
  int released = 0;
  bool Balanced() const { return acquired == released; }
};

struct FakeAccount {
  std::string name;
  std::string domain = "CAMPUS";
  bool lookupSucceeds = true;
  uint32_t attributes = 7;  // mandatory, enabled by default, enabled
};

struct DnsQueryMade {
  std::string name;
  uint16_t type;
  uint32_t options;
  std::vector<uint32_t> servers;  // empty when no server list was passed
  std::string server;             // the server of either family, as text, for the second form
};

OsVersionInfo Version(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build,
                      const std::string& servicePack);
OsVersionInfo WindowsXp();  // 5.1 build 2600, "Service Pack 3"
uint32_t Ipv4(uint8_t a, uint8_t b, uint8_t c, uint8_t d);  // as inet_addr gives it

class FakeOs : public Os {
 public:
  // ---- the script ----------------------------------------------------------
  std::set<std::string> missing;  // these functions raise MissingFunction

  std::optional<std::string> userName = "anna";           // nullopt: the call fails
  std::optional<std::string> computerName = "WS-17";
  std::optional<std::string> dnsHostName = "ws-17";
  int setComputerNameResult = 1;

  uint16_t uiLanguage = 0x0407;                            // German (Germany)
  std::optional<OsVersionInfo> version = WindowsXp();     // nullopt: GetVersionExA returns 0
  int getVersionExSuccess = 1;                            // what a successful call returns
  std::optional<DllVersionInfo> browser = DllVersionInfo{20, 6, 0, 2900, 1};  // nullopt: record untouched
  int32_t dllGetVersionResult = 0;
  int connectedResult = 1;
  uint32_t connectionFlags = kConnectionLan;
  bool connectionWithoutBrowser = false;  // as on Windows

  int wsaStartupResult = 0;
  WsaData wsaData{0x0101, 32767};
  int wsaCleanupResult = 0;
  std::optional<std::string> localHostName = "ws-17";     // nullopt: gethostname fails
  int lastError = 10093;
  std::optional<HostEnt> hostByName = HostEnt{"ws-17", 4, {{192, 0, 2, 7}}};
  std::map<std::string, std::optional<HostEnt>> hostByNameFor;  // answers for these names instead
  std::optional<HostEnt> hostByAddr = HostEnt{"ws-17.uni-falkenau.de", 4, {{192, 0, 2, 7}}};
  std::map<std::string, uint32_t> inetAddrOverrides;      // otherwise dotted quads are parsed

  uint32_t networkParamsSize = kFixedInfoSize;            // what the size query reports
  uint32_t networkParamsResult = kErrorSuccess;           // the second call's result
  std::string dnsServerField = "192.0.2.53";              // padded with NULs to 16
  int32_t dnsStatus = kDnsStatusSuccess;
  std::vector<DnsRecord> dnsAnswer = {{kDnsTypePtr, "7.2.0.192.IN-ADDR.ARPA", "ws-17.uni-falkenau.de"}};
  // Queries of type A: the addresses of each name (lower case); a name not
  // listed gets a name error. `aAnswer`, when set, is the answer to all.
  std::map<std::string, std::vector<uint32_t>> aRecords = {{"ws-17.uni-falkenau.de", {Ipv4(192, 0, 2, 7)}}};
  std::optional<std::vector<DnsRecord>> aAnswer;
  int32_t aStatus = kDnsStatusSuccess;

  // GetAdaptersAddresses: none by default, as on a PC without IPv6.
  std::vector<AdapterAddresses> adapters;
  uint32_t adaptersFlags = 0;                             // the flags it was last asked with
  // Queries to a server of either family: the PTR answer, and the IPv6
  // addresses of each name (lower case) for AAAA.
  int32_t ipv6PtrStatus = kDnsStatusSuccess;
  std::vector<DnsRecord> ipv6PtrAnswer = {{kDnsTypePtr, "7.0.0.0...ip6.arpa", "ws-17.uni-falkenau.de"}};
  std::map<std::string, std::vector<std::array<uint8_t, 16>>> aaaaRecords;

  int openTokenResult = 1;
  std::optional<int> sizeQueryResult;                     // set to make the size query succeed
  std::optional<int64_t> sizeQueryLength;                 // otherwise the groups' real size
  int groupsQueryResult = 1;
  int allocateSidResult = 1;
  FakeAccount administrators{"Administratoren", "VORDEFINIERT"};
  std::vector<FakeAccount> tokenGroups = {{"Jeder", ""}, {"Benutzer", "VORDEFINIERT"}};
  std::optional<uint32_t> elevationType;                  // nullopt: the class is unknown (before Vista)

  uint32_t joinResult = kNerrSuccess;                     // NetGetJoinInformation
  int joinStatus = kNetSetupWorkgroupName;
  std::string joinName = "WORKGROUP";

  std::string moduleFileName = "C:\\Programme\\Hostwarden\\hostwarden.exe";
  int shellExecuteResult = 1;                             // 0: the user refused the elevation
  ElevatedCopyEnd copyEnd = ElevatedCopyEnd::ShowsItsOwnMessage;  // what a waited-for copy made of it
  bool renameRefusedForRights = false;                    // the system's authority said no at the call

  std::map<std::string, PolicySetting> policy;            // the administrator's settings, by name

  // ---- what happened ---------------------------------------------------------
  std::vector<std::string> calls;                         // function names, in order
  std::vector<std::pair<int, std::string>> namesSet;      // (name type, or -1 for SetComputerNameA)
  std::vector<std::string> renameDnsNames;                // the full name given with each rename that took one
  std::vector<DnsQueryMade> queries;
  std::vector<std::array<uint8_t, 4>> addressesLookedUp;
  std::vector<uint32_t> tokenInfoLengths;                 // lengths passed to GetTokenInformation
  std::vector<std::string> gethostbynameArgs;
  std::vector<ShellExecuteInfo> programsStarted;
  ResourceCount winsock, dnsLists, tokens, sids, netBuffers;

  int CallCount(const std::string& function) const;
  bool AllReleased() const {
    return winsock.Balanced() && dnsLists.Balanced() && tokens.Balanced() && sids.Balanced() &&
           netBuffers.Balanced();
  }
  uint32_t TokenGroupsLength() const;  // what the groups need, as on 32-bit Windows

  // ---- Os ---------------------------------------------------------------------
  int GetUserNameA(std::string& buffer, uint32_t& size) override;
  int GetComputerNameA(std::string& buffer, uint32_t& size) override;
  int GetComputerNameExA(int nameType, std::string& buffer, uint32_t& size) override;
  int SetComputerNameA(const std::string& name) override;
  int SetComputerNameExA(int nameType, const std::string& name) override;
  uint16_t GetUserDefaultUILanguage() override;
  int SetComputerNameWithDnsName(int nameType, const std::string& name, const std::string& dnsName) override;
  int GetVersionExA(OsVersionInfo& info) override;
  int32_t DllGetVersion(DllVersionInfo& info) override;
  int InternetGetConnectedState(uint32_t& flags, uint32_t reserved) override;
  bool ConnectionStateWithoutBrowser() override { return connectionWithoutBrowser; }
  bool RenameRefusedForRights() override { return renameRefusedForRights; }
  int WSAStartup(uint16_t versionRequested, WsaData& data) override;
  int WSACleanup() override;
  int gethostname(std::string& name, int namelen) override;
  int WSAGetLastError() override;
  std::optional<HostEnt> gethostbyname(const std::string& name) override;
  std::optional<HostEnt> gethostbyaddr(const std::array<uint8_t, 4>& addr, int len, int type) override;
  uint32_t inet_addr(const std::string& cp) override;
  uint32_t GetNetworkParams(FixedInfo* info, uint32_t& outBufLen) override;
  int32_t DnsQuery_A(const std::string& name, uint16_t type, uint32_t options, const Ip4Array* extra,
                     DnsRecordList& results) override;
  // The PTR and A answers of the script, to whichever server was asked.
  int32_t AnswerIpv4Question(const std::string& name, uint16_t type, DnsRecordList& results);
  int32_t DnsQuery_A(const std::string& name, uint16_t type, uint32_t options, const SocketAddress& server,
                     DnsRecordList& results) override;
  uint32_t GetAdaptersAddresses(uint32_t family, uint32_t flags, std::vector<AdapterAddresses>& list) override;
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
  int ShellExecuteExW(ShellExecuteInfo& info) override;
  ElevatedCopyEnd LastElevatedCopyEnd() override { return copyEnd; }
  std::optional<PolicySetting> ReadPolicySetting(const std::string& name) override;

  static constexpr Handle kCurrentProcess = static_cast<Handle>(-1);
  static constexpr SidRef kAdministratorsSid = 0x5A0;
  static constexpr SidRef kFirstGroupSid = 0x1000;

 private:
  void Enter(const std::string& function);
  int FillNameBuffer(const std::optional<std::string>& name, std::string& buffer, uint32_t& size);
};

}  // namespace hw::test
