#include "support/fake_os.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "resolve/ip_address_text.h"
#include "text/text.h"

namespace hw::test {
namespace {
constexpr int32_t kDnsRcodeNameError = 9003;
}  // namespace

OsVersionInfo Version(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build,
                      const std::string& servicePack) {
  OsVersionInfo v;
  v.dwOSVersionInfoSize = kOsVersionInfoSize;
  v.dwPlatformId = platform;
  v.dwMajorVersion = major;
  v.dwMinorVersion = minor;
  v.dwBuildNumber = build;
  v.szCSDVersion = servicePack;
  v.szCSDVersion.resize(128, '\0');
  return v;
}

OsVersionInfo WindowsXp() { return Version(kPlatformWin32NT, 5, 1, 2600, "Service Pack 3"); }

uint32_t Ipv4(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  const uint8_t bytes[4] = {a, b, c, d};
  uint32_t value;
  std::memcpy(&value, bytes, 4);
  return value;
}

void FakeOs::Enter(const std::string& function) {
  calls.push_back(function);
  if (missing.count(function)) throw MissingFunction("fake", function);
}

int FakeOs::CallCount(const std::string& function) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), function));
}

// The system writes the name and its NUL at the start of the buffer and
// leaves the rest as it was; a buffer without room for both fails.
int FakeOs::FillNameBuffer(const std::optional<std::string>& name, std::string& buffer, uint32_t& size) {
  if (!name) return 0;
  std::size_t needed = CharacterCount(*name) + 1;
  if (needed > size) {
    size = static_cast<uint32_t>(needed);
    return 0;
  }
  buffer = *name + '\0' + buffer.substr(std::min(buffer.size(), needed));
  size = static_cast<uint32_t>(needed - 1);
  return 1;
}

int FakeOs::GetUserNameA(std::string& buffer, uint32_t& size) {
  Enter("GetUserNameA");
  int result = FillNameBuffer(userName, buffer, size);
  if (result) ++size;  // GetUserName counts the NUL
  return result;
}

int FakeOs::GetComputerNameA(std::string& buffer, uint32_t& size) {
  Enter("GetComputerNameA");
  return FillNameBuffer(computerName, buffer, size);
}

int FakeOs::GetComputerNameExA(int nameType, std::string& buffer, uint32_t& size) {
  Enter("GetComputerNameExA");
  if (nameType != kComputerNameDnsHostname) return 0;
  return FillNameBuffer(dnsHostName, buffer, size);
}

int FakeOs::SetComputerNameA(const std::string& name) {
  Enter("SetComputerNameA");
  namesSet.emplace_back(-1, name);
  return setComputerNameResult;
}

int FakeOs::SetComputerNameExA(int nameType, const std::string& name) {
  Enter("SetComputerNameExA");
  namesSet.emplace_back(nameType, name);
  return setComputerNameResult;
}

// Not among the calls: the language is read once, before the run, and the
// call order the tests compare is the run's.
uint16_t FakeOs::GetUserDefaultUILanguage() {
  if (missing.count("GetUserDefaultUILanguage")) throw MissingFunction("fake", "GetUserDefaultUILanguage");
  return uiLanguage;
}

int FakeOs::SetComputerNameWithDnsName(int nameType, const std::string& name, const std::string& dnsName) {
  renameDnsNames.push_back(dnsName);
  return SetComputerNameExA(nameType, name);
}

int FakeOs::GetVersionExA(OsVersionInfo& info) {
  Enter("GetVersionExA");
  if (!version || info.dwOSVersionInfoSize != kOsVersionInfoSize) return 0;
  info = *version;
  info.dwOSVersionInfoSize = kOsVersionInfoSize;
  return getVersionExSuccess;
}

int32_t FakeOs::DllGetVersion(DllVersionInfo& info) {
  Enter("DllGetVersion");
  if (browser && info.cbSize == kDllVersionInfoSize) {
    info = *browser;
    info.cbSize = kDllVersionInfoSize;
  }
  return dllGetVersionResult;
}

int FakeOs::InternetGetConnectedState(uint32_t& flags, uint32_t /*reserved*/) {
  Enter("InternetGetConnectedState");
  flags = connectionFlags;
  return connectedResult;
}

int FakeOs::WSAStartup(uint16_t /*versionRequested*/, WsaData& data) {
  Enter("WSAStartup");
  if (wsaStartupResult != 0) return wsaStartupResult;
  ++winsock.acquired;
  data = wsaData;
  return 0;
}

int FakeOs::WSACleanup() {
  Enter("WSACleanup");
  ++winsock.released;
  return wsaCleanupResult;
}

int FakeOs::gethostname(std::string& name, int namelen) {
  Enter("gethostname");
  if (!localHostName || static_cast<int>(localHostName->size()) + 1 > namelen) return kSocketError;
  name = *localHostName + '\0' + std::string(static_cast<std::size_t>(namelen) - localHostName->size() - 1, '\0');
  return 0;
}

int FakeOs::WSAGetLastError() {
  Enter("WSAGetLastError");
  return lastError;
}

std::optional<HostEnt> FakeOs::gethostbyname(const std::string& name) {
  Enter("gethostbyname");
  gethostbynameArgs.push_back(name);
  if (auto found = hostByNameFor.find(name); found != hostByNameFor.end()) return found->second;
  return hostByName;
}

std::optional<HostEnt> FakeOs::gethostbyaddr(const std::array<uint8_t, 4>& addr, int len, int type) {
  Enter("gethostbyaddr");
  addressesLookedUp.push_back(addr);
  if (len != 4 || type != kAfInet) return std::nullopt;
  return hostByAddr;
}

uint32_t FakeOs::inet_addr(const std::string& cp) {
  Enter("inet_addr");
  if (auto it = inetAddrOverrides.find(cp); it != inetAddrOverrides.end()) return it->second;
  // Four decimal parts of 0 to 255, nothing else.
  std::array<int, 4> part{};
  std::istringstream in(cp);
  char dot;
  for (int i = 0; i < 4; ++i) {
    if (!(in >> part[i]) || part[i] < 0 || part[i] > 255) return kInaddrNone;
    if (i < 3 && !(in >> dot && dot == '.')) return kInaddrNone;
  }
  if (in.peek() != std::char_traits<char>::eof()) return kInaddrNone;
  return Ipv4(static_cast<uint8_t>(part[0]), static_cast<uint8_t>(part[1]), static_cast<uint8_t>(part[2]),
              static_cast<uint8_t>(part[3]));
}

uint32_t FakeOs::GetNetworkParams(FixedInfo* info, uint32_t& outBufLen) {
  Enter("GetNetworkParams");
  if (!info || outBufLen < networkParamsSize) {
    outBufLen = networkParamsSize;
    return kErrorBufferOverflow;
  }
  if (networkParamsResult != kErrorSuccess) return networkParamsResult;
  info->DnsServerIpAddress = dnsServerField;
  info->DnsServerIpAddress.resize(16, '\0');
  return kErrorSuccess;
}

int32_t FakeOs::DnsQuery_A(const std::string& name, uint16_t type, uint32_t options, const Ip4Array* extra,
                           DnsRecordList& results) {
  Enter("DnsQuery_A");
  queries.push_back({name, type, options, extra ? extra->AddrArray : std::vector<uint32_t>{}});
  return AnswerIpv4Question(name, type, results);
}

int32_t FakeOs::AnswerIpv4Question(const std::string& name, uint16_t type, DnsRecordList& results) {
  std::vector<DnsRecord> answer = dnsAnswer;
  if (type == kDnsTypeA) {
    if (aStatus != kDnsStatusSuccess) return aStatus;
    if (aAnswer) {
      answer = *aAnswer;
    } else {
      auto found = aRecords.find(ToLower(name));
      if (found == aRecords.end()) return kDnsRcodeNameError;
      answer.clear();
      for (uint32_t address : found->second) answer.push_back({kDnsTypeA, name, "", address});
    }
  } else if (dnsStatus != kDnsStatusSuccess) {
    return dnsStatus;
  }
  ++dnsLists.acquired;
  results.records = answer;
  results.owner = Released([this] { ++dnsLists.released; });
  return kDnsStatusSuccess;
}

int32_t FakeOs::DnsQuery_A(const std::string& name, uint16_t type, uint32_t options, const SocketAddress& server,
                           DnsRecordList& results) {
  Enter("DnsQuery_A");
  queries.push_back({name, type, options, {}, AddressText(server)});
  // An IPv6 server asked about the IPv4 side answers as the IPv4 server would.
  const std::string lower = ToLower(name);
  const std::string ipv4Zone = ".in-addr.arpa";
  if (type == kDnsTypeA ||
      (lower.size() > ipv4Zone.size() && lower.compare(lower.size() - ipv4Zone.size(), ipv4Zone.size(), ipv4Zone) == 0))
    return AnswerIpv4Question(name, type, results);
  std::vector<DnsRecord> answer;
  if (type == kDnsTypeAaaa) {
    auto found = aaaaRecords.find(ToLower(name));
    if (found == aaaaRecords.end()) return kDnsRcodeNameError;
    for (const auto& address : found->second) {
      DnsRecord record{kDnsTypeAaaa, name, ""};
      record.Ip6Address = address;
      answer.push_back(record);
    }
  } else {
    if (ipv6PtrStatus != kDnsStatusSuccess) return ipv6PtrStatus;
    answer = ipv6PtrAnswer;
  }
  ++dnsLists.acquired;
  results.records = answer;
  results.owner = Released([this] { ++dnsLists.released; });
  return kDnsStatusSuccess;
}

uint32_t FakeOs::GetAdaptersAddresses(uint32_t /*family*/, uint32_t flags, std::vector<AdapterAddresses>& list) {
  Enter("GetAdaptersAddresses");
  adaptersFlags = flags;
  list = adapters;
  return adapters.empty() ? kErrorNoData : kErrorSuccess;
}

Handle FakeOs::GetCurrentProcess() {
  Enter("GetCurrentProcess");
  return kCurrentProcess;
}

int FakeOs::OpenProcessToken(Handle process, uint32_t desiredAccess, TokenHandle& token) {
  Enter("OpenProcessToken");
  if (openTokenResult != 1 || process != kCurrentProcess || desiredAccess != kTokenRead) return openTokenResult == 1 ? 0 : openTokenResult;
  ++tokens.acquired;
  token.value = 0x7E;
  token.owner = Released([this] { ++tokens.released; });
  return 1;
}

uint32_t FakeOs::TokenGroupsLength() const {
  // The count, then a SID pointer and an attribute word per group, then the
  // groups' SIDs (16 bytes each, for one with two sub-authorities).
  return static_cast<uint32_t>(4 + tokenGroups.size() * (8 + 16));
}

int FakeOs::GetTokenInformation(const TokenHandle& /*token*/, int infoClass, TokenGroups* info,
                                uint32_t length, uint32_t& returnLength) {
  Enter("GetTokenInformation");
  tokenInfoLengths.push_back(length);
  if (infoClass != kTokenGroups) return 0;
  if (!info || length < TokenGroupsLength()) {
    returnLength = sizeQueryLength ? static_cast<uint32_t>(*sizeQueryLength) : TokenGroupsLength();
    return sizeQueryResult.value_or(0);
  }
  if (groupsQueryResult != 1) return groupsQueryResult;
  info->Groups.clear();
  for (std::size_t i = 0; i < tokenGroups.size(); ++i)
    info->Groups.push_back({kFirstGroupSid + i, tokenGroups[i].attributes});
  returnLength = TokenGroupsLength();
  return 1;
}

int FakeOs::GetTokenInformation(const TokenHandle& /*token*/, int infoClass, uint32_t& info, uint32_t length,
                                uint32_t& returnLength) {
  Enter("GetTokenInformation");
  tokenInfoLengths.push_back(length);
  returnLength = sizeof(uint32_t);
  if (infoClass != kTokenElevationType || !elevationType || length < sizeof(uint32_t)) return 0;
  info = *elevationType;
  return 1;
}

int FakeOs::AllocateAndInitializeSid(const std::array<uint8_t, 6>& authority, uint8_t subAuthorityCount,
                                     const std::array<uint32_t, 8>& subAuthorities, Sid& sid) {
  Enter("AllocateAndInitializeSid");
  bool isAdministrators = authority == kSecurityNtAuthority && subAuthorityCount == 2 &&
                          subAuthorities[0] == kSecurityBuiltinDomainRid &&
                          subAuthorities[1] == kDomainAliasRidAdmins;
  if (allocateSidResult != 1 || !isAdministrators) return allocateSidResult == 1 ? 0 : allocateSidResult;
  ++sids.acquired;
  sid.ref = kAdministratorsSid;
  sid.owner = Released([this] { ++sids.released; });
  return 1;
}

int FakeOs::LookupAccountSidA(const std::string* /*systemName*/, SidRef sid, std::string& name,
                              uint32_t& nameLen, std::string& domain, uint32_t& domainLen, int& use) {
  Enter("LookupAccountSidA");
  const FakeAccount* account = nullptr;
  if (sid == kAdministratorsSid) account = &administrators;
  else if (sid >= kFirstGroupSid && sid < kFirstGroupSid + tokenGroups.size()) account = &tokenGroups[sid - kFirstGroupSid];
  if (!account || !account->lookupSucceeds) return 0;
  if (account->name.size() + 1 > nameLen || account->domain.size() + 1 > domainLen) {
    nameLen = static_cast<uint32_t>(account->name.size() + 1);
    domainLen = static_cast<uint32_t>(account->domain.size() + 1);
    return 0;
  }
  name = account->name + '\0' + name.substr(std::min(name.size(), account->name.size() + 1));
  domain = account->domain + '\0' + domain.substr(std::min(domain.size(), account->domain.size() + 1));
  nameLen = static_cast<uint32_t>(account->name.size());
  domainLen = static_cast<uint32_t>(account->domain.size());
  use = sid == kAdministratorsSid ? 4 : 5;  // SidTypeAlias, SidTypeWellKnownGroup
  return 1;
}

uint32_t FakeOs::NetGetJoinInformation(const std::string* /*server*/, NetApiBuffer& nameBuffer, int& bufferType) {
  Enter("NetGetJoinInformation");
  if (joinResult != kNerrSuccess) return joinResult;
  ++netBuffers.acquired;
  nameBuffer.text = joinName;
  nameBuffer.owner = Released([this] { ++netBuffers.released; });
  bufferType = joinStatus;
  return kNerrSuccess;
}

// Like Windows XP: a path that does not fit is cut to `size` characters,
// without a NUL, and the result is `size`.
uint32_t FakeOs::GetModuleFileNameW(Handle module, std::string& filename, uint32_t size) {
  Enter("GetModuleFileNameW");
  if (module != 0) return 0;
  const std::size_t length = CharacterCount(moduleFileName);
  if (length >= size) {
    filename = moduleFileName.substr(0, size);
    return size;
  }
  filename = moduleFileName;
  return static_cast<uint32_t>(length);
}

int FakeOs::ShellExecuteExW(ShellExecuteInfo& info) {
  Enter("ShellExecuteExW");
  programsStarted.push_back(info);
  return shellExecuteResult;
}

// Not in `calls`: the tests that follow the system calls in order are about
// the check, not about reading its settings.
std::optional<PolicySetting> FakeOs::ReadPolicySetting(const std::string& name) {
  if (missing.count("ReadPolicySetting")) throw MissingFunction("fake", "ReadPolicySetting");
  auto found = policy.find(name);
  if (found == policy.end()) return std::nullopt;
  return found->second;
}

}  // namespace hw::test
