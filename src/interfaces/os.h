// The operating-system functions Hostwarden calls, shaped after the Windows
// functions of the same names. Success and failure conventions are kept
// (nonzero/zero, SOCKET_ERROR, INADDR_NONE, DNS status), but records are typed
// C++ values instead of raw byte offsets.
//
// Text is UTF-8 everywhere in this interface. A layer converts to and from the
// system's own encoding (the ANSI code page on Windows) at each call; a buffer
// the system writes comes back whole, every character of it, NULs included.
//
// A function that cannot be bound (library or entry point missing) throws
// MissingFunction. System-owned resources (a DNS answer list, a SID, a token
// handle) are released by the `Released` the layer hands back with them.
#pragma once

#include "interfaces/error.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hw {

// A function of the operating system that could not be bound by name.
class MissingFunction : public Error {
 public:
  MissingFunction(const std::string& library, const std::string& function)
      : Error(library + "!" + function + " is not available"),
        library_(library), function_(function) {}
  const std::string& library() const { return library_; }
  const std::string& function() const { return function_; }

 private:
  std::string library_, function_;
};

// Gives back something the system owns, exactly once, when it dies.
class Released {
 public:
  Released() = default;
  explicit Released(std::function<void()> release) : release_(std::move(release)) {}
  Released(Released&& other) noexcept : release_(std::exchange(other.release_, nullptr)) {}
  Released& operator=(Released&& other) noexcept {
    if (this != &other) {
      reset();
      release_ = std::exchange(other.release_, nullptr);
    }
    return *this;
  }
  Released(const Released&) = delete;
  Released& operator=(const Released&) = delete;
  ~Released() { reset(); }
  void reset() {
    if (auto release = std::exchange(release_, nullptr)) release();
  }
  explicit operator bool() const { return static_cast<bool>(release_); }

 private:
  std::function<void()> release_;
};

// ---- Constants of the Windows API that the program passes or tests --------

inline constexpr uint32_t kPlatformWin32s = 0;
inline constexpr uint32_t kPlatformWin32Windows = 1;
inline constexpr uint32_t kPlatformWin32NT = 2;
// Our own platform id for Linux, outside the ids Windows uses (0 to 3).
inline constexpr uint32_t kPlatformLinux = 0x4C4E5800;  // "LNX"

inline constexpr int kComputerNameDnsHostname = 1;
inline constexpr int kComputerNamePhysicalDnsHostname = 5;

inline constexpr uint32_t kConnectionModem = 0x01;
inline constexpr uint32_t kConnectionLan = 0x02;

inline constexpr int kSocketError = -1;
inline constexpr int kAfInet = 2;
inline constexpr uint32_t kInaddrNone = 0xFFFFFFFFu;

inline constexpr uint16_t kDnsTypeA = 1;
inline constexpr uint16_t kDnsTypeCname = 5;
inline constexpr uint16_t kDnsTypePtr = 12;
inline constexpr uint16_t kDnsTypeAaaa = 28;
inline constexpr uint32_t kDnsQueryBypassCache = 8;
inline constexpr uint32_t kDnsQueryNoLocalName = 0x20;
inline constexpr uint32_t kDnsQueryNoHostsFile = 0x40;
inline constexpr uint32_t kDnsQueryNoNetbt = 0x80;
inline constexpr int32_t kDnsStatusSuccess = 0;
// DnsQuery_A's failure statuses (winerror.h), which both layers report and
// the core reads for the reason a lookup gave no name.
inline constexpr int32_t kErrorTimeout = 1460;
inline constexpr int32_t kDnsErrorRcodeFormatError = 9001;
inline constexpr int32_t kDnsErrorRcodeServerFailure = 9002;
inline constexpr int32_t kDnsErrorRcodeNameError = 9003;
inline constexpr int32_t kDnsErrorRcodeNotImplemented = 9004;
inline constexpr int32_t kDnsErrorRcodeRefused = 9005;
inline constexpr int32_t kDnsInfoNoRecords = 9501;
inline constexpr int32_t kDnsErrorBadPacket = 9502;
inline constexpr int32_t kDnsErrorNoPacket = 9503;
inline constexpr int32_t kDnsErrorNoDnsServers = 9852;
// A server that refuses at once (ICMP port unreachable: nothing listens on
// port 53) is no silent one: DnsQuery reports the socket's error, as
// WSAECONNREFUSED or as ERROR_CONNECTION_REFUSED.
inline constexpr int32_t kWsaeConnRefused = 10061;
inline constexpr int32_t kErrorConnectionRefused = 1225;
// gethostbyaddr's errors (WSAGetLastError).
inline constexpr int kWsaHostNotFound = 11001;
inline constexpr int kWsaTryAgain = 11002;
inline constexpr int kWsaNoRecovery = 11003;
inline constexpr int kWsaNoData = 11004;
// DNS_SECTION of a record's Flags.S.Section: the list holds the records of
// every section of the reply, the additional ones included.
inline constexpr uint8_t kDnsSectionAnswer = 1;
inline constexpr uint8_t kDnsSectionAuthority = 2;
inline constexpr uint8_t kDnsSectionAdditional = 3;

inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorNoData = 232;
inline constexpr uint32_t kErrorBufferOverflow = 111;
inline constexpr uint32_t kErrorInsufficientBuffer = 122;

inline constexpr uint32_t kTokenRead = 0x20008;
inline constexpr int kTokenGroups = 2;  // TOKEN_INFORMATION_CLASS TokenGroups
inline constexpr std::array<uint8_t, 6> kSecurityNtAuthority = {0, 0, 0, 0, 0, 5};
inline constexpr uint32_t kSecurityBuiltinDomainRid = 32;
inline constexpr uint32_t kDomainAliasRidAdmins = 544;
// A group present in the token only to deny access, never to grant it: the
// Administrators group of a user whose rights UAC has withheld.
inline constexpr uint32_t kSeGroupUseForDenyOnly = 0x10;

// TOKEN_INFORMATION_CLASS TokenElevationType and its answers (Vista on).
inline constexpr int kTokenElevationType = 18;
inline constexpr uint32_t kTokenElevationTypeDefault = 1;  // no split token: UAC off, or not an administrator
inline constexpr uint32_t kTokenElevationTypeFull = 2;     // the elevated half
inline constexpr uint32_t kTokenElevationTypeLimited = 3;  // the limited half of an administrator

// NetGetJoinInformation: NERR_Success and NETSETUP_JOIN_STATUS.
inline constexpr uint32_t kNerrSuccess = 0;
inline constexpr int kNetSetupUnknownStatus = 0;
inline constexpr int kNetSetupUnjoined = 1;
inline constexpr int kNetSetupWorkgroupName = 2;
inline constexpr int kNetSetupDomainName = 3;

// ShellExecuteExW: wait until the program is started; no error boxes of the shell's own.
inline constexpr uint32_t kSeeMaskNoAsync = 0x100;
inline constexpr uint32_t kSeeMaskFlagNoUi = 0x400;
inline constexpr int kSwShowNormal = 1;

// GetAdaptersAddresses: the address family (Windows' AF_INET6), the flags
// the program passes, and the values of the adapter records it reads.
inline constexpr int kAfInet6 = 23;
inline constexpr int kAfUnspec = 0;
inline constexpr uint32_t kGaaFlagSkipAnycast = 0x0002;
inline constexpr uint32_t kGaaFlagSkipMulticast = 0x0004;
inline constexpr uint32_t kGaaFlagIncludeGateways = 0x0080;
inline constexpr uint32_t kIfTypeEthernetCsmacd = 6;
inline constexpr uint32_t kIfTypePpp = 23;
inline constexpr uint32_t kIfTypeSoftwareLoopback = 24;
inline constexpr uint32_t kIfTypePropVirtual = 53;  // wintun, WireGuard and other user-space tunnels
inline constexpr uint32_t kIfTypeTunnel = 131;
inline constexpr int kIfOperStatusUp = 1;
inline constexpr int kIpSuffixOriginRandom = 5;      // a temporary (privacy) address
inline constexpr int kIpDadStateTentative = 1;
inline constexpr int kIpDadStateDuplicate = 2;
inline constexpr int kIpDadStateDeprecated = 3;
inline constexpr int kIpDadStatePreferred = 4;

// ---- Records ---------------------------------------------------------------

// OSVERSIONINFOA. szCSDVersion holds all 128 characters the system wrote.
struct OsVersionInfo {
  uint32_t dwOSVersionInfoSize = 0;
  uint32_t dwMajorVersion = 0;
  uint32_t dwMinorVersion = 0;
  uint32_t dwBuildNumber = 0;
  uint32_t dwPlatformId = 0;
  std::string szCSDVersion = std::string(128, '\0');

  bool operator==(const OsVersionInfo&) const = default;
};
inline constexpr uint32_t kOsVersionInfoSize = 148;

// DLLVERSIONINFO of Shlwapi.dll's DllGetVersion.
struct DllVersionInfo {
  uint32_t cbSize = 0;
  uint32_t dwMajorVersion = 0;
  uint32_t dwMinorVersion = 0;
  uint32_t dwBuildNumber = 0;
  uint32_t dwPlatformID = 0;
};
inline constexpr uint32_t kDllVersionInfoSize = 20;

// The two fields of WSADATA the program reads.
struct WsaData {
  uint16_t wVersion = 0;     // major version in the low byte, minor in the high byte
  uint16_t iMaxSockets = 0;
};

// A copy of a hostent, taken before the layer returns (the system's record is
// only valid until the next Windows Sockets call).
struct HostEnt {
  std::string h_name;                               // "" for a null name
  int16_t h_length = 0;                             // bytes per address
  std::vector<std::vector<uint8_t>> h_addr_list;    // addresses in delivered order
};

// IP4_ARRAY: the DNS servers a query may ask. AddrCount is AddrArray.size().
struct Ip4Array {
  std::vector<uint32_t> AddrArray;  // inet_addr values, network byte order in memory
};

// One DNS_RECORD of an answer list, in answer order.
struct DnsRecord {
  uint16_t wType = 0;
  std::string pName;        // the owner name of the record
  std::string pNameHost;    // Data.PTR.pNameHost (also CNAME's target); "" when null
  uint32_t IpAddress = 0;   // Data.A.IpAddress of an A record, network byte order in memory
  std::array<uint8_t, 16> Ip6Address{};  // Data.AAAA.Ip6Address of an AAAA record
  uint8_t Section = kDnsSectionAnswer;  // Flags.S.Section
};

// A DNS answer list, owned by the DNS client until `owner` releases it
// (DnsRecordListFree with DnsFreeRecordList).
struct DnsRecordList {
  std::vector<DnsRecord> records;
  Released owner;
};

// FIXED_INFO of GetNetworkParams: the IpAddress field of its first DNS server
// entry, all 16 characters as the system wrote them.
struct FixedInfo {
  std::string DnsServerIpAddress = std::string(16, '\0');
};
inline constexpr uint32_t kFixedInfoSize = 584;

// IP_ADAPTER_INFO of GetAdaptersInfo: the fields the program reads. Type is
// the MIB interface type; IpAddressList holds each IpAddress text, in order.
struct IpAdapterInfo {
  std::string AdapterName;
  uint32_t Type = 0;
  std::vector<std::string> IpAddressList;
};

// A SOCKET_ADDRESS of either family: the four bytes of an IPv4 address or
// the sixteen of an IPv6 one, in network order.
struct SocketAddress {
  int family = 0;  // kAfInet or kAfInet6
  std::array<uint8_t, 16> bytes{};
  bool operator==(const SocketAddress&) const = default;
};

// The server list DnsQuery_A takes, holding `server` alone; none for an IPv6
// server, which that list cannot hold.
inline std::optional<Ip4Array> OnlyIpv4Server(const SocketAddress& server) {
  if (server.family != kAfInet) return std::nullopt;
  uint32_t address = 0;  // the four bytes as they lie in memory, as inet_addr gives them
  std::memcpy(&address, server.bytes.data(), sizeof address);
  return Ip4Array{{address}};
}

// IP_ADAPTER_UNICAST_ADDRESS: the fields the program reads.
struct AdapterUnicastAddress {
  SocketAddress Address;
  int SuffixOrigin = 0;
  int DadState = kIpDadStatePreferred;
};

// IP_ADAPTER_ADDRESSES, one adapter: its lists copied out in their order.
struct AdapterAddresses {
  std::string AdapterName;
  uint32_t IfType = kIfTypeEthernetCsmacd;
  int OperStatus = kIfOperStatusUp;
  std::vector<AdapterUnicastAddress> UnicastAddresses;
  std::vector<SocketAddress> DnsServerAddresses;
  std::vector<SocketAddress> GatewayAddresses;  // with kGaaFlagIncludeGateways: the default routes' next hops
};

using Handle = std::uintptr_t;  // a process or token handle
using SidRef = std::uintptr_t;  // names a SID that the system keeps; 0 for none

// A token handle, closed (CloseHandle) when `owner` releases it.
struct TokenHandle {
  Handle value = 0;
  Released owner;
};

// A SID the system allocated, freed (FreeSid) when `owner` releases it.
struct Sid {
  SidRef ref = 0;
  Released owner;
};

struct SidAndAttributes {
  SidRef Sid = 0;
  uint32_t Attributes = 0;
};

// TOKEN_GROUPS. GroupCount is Groups.size(). `storage` keeps the buffer that
// holds the SIDs alive as long as the record.
struct TokenGroups {
  std::vector<SidAndAttributes> Groups;
  std::shared_ptr<const void> storage;
};

// The name buffer of NetGetJoinInformation, freed (NetApiBufferFree) when
// `owner` releases it.
struct NetApiBuffer {
  std::string text;
  Released owner;
};

// How an elevated copy ended, as its starter learns it (Os::LastElevatedCopyEnd).
enum class ElevatedCopyEnd { ShowsItsOwnMessage, NameSet, NameNotSet };

// SHELLEXECUTEINFOW: the fields the program sets.
struct ShellExecuteInfo {
  uint32_t fMask = 0;
  std::string lpVerb;        // "runas": start the program with the user's full rights
  std::string lpFile;
  std::string lpParameters;
  int nShow = kSwShowNormal;
  // Not part of the Windows record: the full DNS name the copy's rename
  // rests on, for a system whose copy takes the domain too (Linux's pkexec
  // copy). Windows' copy sets the host label alone.
  std::string dnsName;
};

// A setting the administrator made for this program, as the system keeps it.
struct PolicySetting {
  std::string source;               // "policy" (Group Policy's registry key), "file" (a file in /etc)
  bool readable = true;             // false: set, but of the wrong type or in a file that cannot be read
  std::vector<std::string> values;  // in the order given
  // Why a place that holds every setting was refused whole ("untrusted-file",
  // "too-large"); "" when only this setting is unreadable or all is well.
  std::string invalidReason;
};

// ---- The functions -----------------------------------------------------------

class Os {
 public:
  virtual ~Os() = default;

  // kernel32 / advapi32: names. `buffer` comes in as `size` blanks and goes
  // back as the characters the system left in it.
  virtual int GetUserNameA(std::string& buffer, uint32_t& size) = 0;
  virtual int GetComputerNameA(std::string& buffer, uint32_t& size) = 0;
  virtual int GetComputerNameExA(int nameType, std::string& buffer, uint32_t& size) = 0;
  virtual int SetComputerNameA(const std::string& name) = 0;
  virtual int SetComputerNameExA(int nameType, const std::string& name) = 0;
  // SetComputerNameExA with the full DNS name the rename rests on beside
  // the short name ("" for none). A system that keeps the PC's domain with
  // its name (Linux: a full static name, the hosts file's own line) takes
  // the domain from `dnsName` and from nowhere else; Windows sets the host
  // label alone, as SetComputerNameExA does.
  virtual int SetComputerNameWithDnsName(int nameType, const std::string& name, const std::string& dnsName) {
    (void)dnsName;
    return SetComputerNameExA(nameType, name);
  }
  // Whether the last SetComputerName(Ex)A that failed was refused because
  // this user may not rename the PC: the system may still refuse what the
  // rights test before the call allowed (on Linux, a host-name file that
  // even root may not replace).
  virtual bool RenameRefusedForRights() { return false; }

  // kernel32: the user's interface language, a LANGID (primary language in
  // bits 0 to 9). Linux gives the language of the locale's messages.
  virtual uint16_t GetUserDefaultUILanguage() = 0;

  // kernel32, Shlwapi.dll, wininet: versions and connection.
  virtual int GetVersionExA(OsVersionInfo& info) = 0;
  virtual int32_t DllGetVersion(DllVersionInfo& info) = 0;
  virtual int InternetGetConnectedState(uint32_t& flags, uint32_t reserved) = 0;
  // Whether InternetGetConnectedState tells the connection whatever browser
  // the system carries. On Windows the answer comes from the browser's own
  // library, which before version 4 cannot tell it; a system that reads its
  // network interfaces can always tell.
  virtual bool ConnectionStateWithoutBrowser() { return false; }

  // wsock32: Windows Sockets 1.1.
  virtual int WSAStartup(uint16_t versionRequested, WsaData& data) = 0;
  virtual int WSACleanup() = 0;
  virtual int gethostname(std::string& name, int namelen) = 0;
  virtual int WSAGetLastError() = 0;
  virtual std::optional<HostEnt> gethostbyname(const std::string& name) = 0;
  virtual std::optional<HostEnt> gethostbyaddr(const std::array<uint8_t, 4>& addr, int len, int type) = 0;
  virtual uint32_t inet_addr(const std::string& cp) = 0;

  // iphlpapi, Dnsapi. GetNetworkParams with a null `info` asks for the size.
  virtual uint32_t GetNetworkParams(FixedInfo* info, uint32_t& outBufLen) = 0;
  // The network adapters with their IPv4 addresses; a system without the
  // function (before Windows 98 and 2000) throws MissingFunction.
  virtual uint32_t GetAdaptersInfo(std::vector<IpAdapterInfo>& adapters) {
    (void)adapters;
    throw MissingFunction("iphlpapi.dll", "GetAdaptersInfo");
  }
  virtual int32_t DnsQuery_A(const std::string& name, uint16_t type, uint32_t options,
                             const Ip4Array* extra, DnsRecordList& results) = 0;
  // The adapters with their addresses (iphlpapi, XP on). A system without it
  // has no IPv6 for the program.
  virtual uint32_t GetAdaptersAddresses(uint32_t /*family*/, uint32_t /*flags*/,
                                        std::vector<AdapterAddresses>& /*adapters*/) {
    throw MissingFunction("iphlpapi.dll", "GetAdaptersAddresses");
  }
  // DnsQuery_A to one server of either family, with the same options.
  virtual int32_t DnsQuery_A(const std::string& /*name*/, uint16_t /*type*/, uint32_t /*options*/,
                             const SocketAddress& /*server*/, DnsRecordList& /*results*/) {
    throw MissingFunction("dnsapi.dll", "DnsQuery_A");
  }

  // kernel32 / advapi32: security. GetTokenInformation with a null `info`
  // (or a length too small) fails and reports the length it needs.
  virtual Handle GetCurrentProcess() = 0;
  virtual int OpenProcessToken(Handle process, uint32_t desiredAccess, TokenHandle& token) = 0;
  virtual int GetTokenInformation(const TokenHandle& token, int infoClass, TokenGroups* info,
                                  uint32_t length, uint32_t& returnLength) = 0;
  // The classes whose record is one 32-bit value (TokenElevationType); the
  // record is a reference here, so a size query (null) always means groups.
  virtual int GetTokenInformation(const TokenHandle& token, int infoClass, uint32_t& info, uint32_t length,
                                  uint32_t& returnLength) = 0;
  virtual int AllocateAndInitializeSid(const std::array<uint8_t, 6>& authority, uint8_t subAuthorityCount,
                                       const std::array<uint32_t, 8>& subAuthorities, Sid& sid) = 0;
  // `name` and `domain` come in as `nameLen`/`domainLen` blanks and go back as
  // the system left them (the name ended by a NUL on success).
  virtual int LookupAccountSidA(const std::string* systemName, SidRef sid, std::string& name,
                                uint32_t& nameLen, std::string& domain, uint32_t& domainLen,
                                int& use) = 0;

  // netapi32: whether the PC belongs to a workgroup or a domain, and its name.
  virtual uint32_t NetGetJoinInformation(const std::string* server, NetApiBuffer& nameBuffer,
                                         int& bufferType) = 0;

  // kernel32, shell32: this program's own file, and starting a program the
  // way the shell does. GetModuleFileNameW(0) names the program; it returns
  // the characters written, `size` when the path was cut, 0 on failure.
  virtual uint32_t GetModuleFileNameW(Handle module, std::string& filename, uint32_t size) = 0;
  virtual int ShellExecuteExW(ShellExecuteInfo& info) = 0;
  // What the elevated copy that the last ShellExecuteExW "runas" started
  // made of the rename. Windows' copy runs on its own and shows its own
  // message; where the system's start waits for the copy (pkexec on Linux,
  // whose copy has no display), it says how the copy ended.
  virtual ElevatedCopyEnd LastElevatedCopyEnd() { return ElevatedCopyEnd::ShowsItsOwnMessage; }

  // advapi32 (Windows: a REG_MULTI_SZ value under HKLM\SOFTWARE\Policies\Hostwarden)
  // or /etc/hostwarden.conf (Linux): the administrator's setting `name`,
  // nullopt when it is not set. A system without such settings has none.
  virtual std::optional<PolicySetting> ReadPolicySetting(const std::string& /*name*/) { return std::nullopt; }
};

}  // namespace hw
