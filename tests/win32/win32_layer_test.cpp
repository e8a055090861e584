// The Windows layer against a real Windows API (Wine in the tests): binding by
// name, the ANSI boundary, the buffers the system writes and the records it
// owns. run_layer_test.py starts it in a namespace of its own, where the host
// is "ws-17" (192.0.2.7), the DNS servers are 192.0.2.53 then 198.51.100.53,
// and 192.0.2.53 answers alias.example.test with a CNAME to
// target.example.test (192.0.2.9) and 192.0.2.7 with the PTR record
// ws-17.example.test. Prints "N passed, N failed".
#include <windows.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <source_location>
#include <string>
#include <vector>

#include "platform/win32/os/library_search.h"
#include "platform/win32/os/system_libraries.h"
#include "platform/win32/os/text_encoding.h"
#include "platform/win32/os/win32_os.h"
#include "text/text.h"

namespace {

using hw::win32::Win32Os;
using hw::win32::FromAnsi;
using hw::win32::ToAnsi;
using hw::win32::WideToUtf8;

int passed = 0;
int failed = 0;

void Expect(bool condition, const std::string& what, const std::source_location where = std::source_location::current()) {
  if (condition) {
    ++passed;
    return;
  }
  ++failed;
  std::printf("FAILED line %u: %s\n", static_cast<unsigned>(where.line()), what.c_str());
}

template <typename T>
void ExpectEqual(const T& actual, const T& expected, const std::string& what,
                 const std::source_location where = std::source_location::current()) {
  Expect(actual == expected, what, where);
}

// Runs `action` and tells whether it threw MissingFunction for library!function.
bool ThrowsMissing(const std::function<void()>& action, const std::string& library, const std::string& function) {
  try {
    action();
  } catch (const hw::MissingFunction& missing) {
    return missing.library() == library && missing.function() == function;
  }
  return false;
}

std::string Environment(const wchar_t* name) {
  wchar_t value[512];
  DWORD length = GetEnvironmentVariableW(name, value, 512);
  return length > 0 && length < 512 ? WideToUtf8(std::wstring(value, length)) : std::string();
}

std::array<uint8_t, 4> Bytes(uint32_t address) {
  std::array<uint8_t, 4> bytes;
  std::memcpy(bytes.data(), &address, 4);
  return bytes;
}

// ---- binding -------------------------------------------------------------------

void MissingEntryPointsAndLibrariesThrow() {
  hw::win32::SystemLibraries libraries;
  hw::win32::BoundFunction<decltype(&::GetComputerNameExA)> noSuchEntry{libraries, "kernel32.dll",
                                                                        "GetComputerNameExZ"};
  Expect(ThrowsMissing([&] { noSuchEntry.Get(); }, "kernel32.dll", "GetComputerNameExZ"),
         "a missing entry point throws MissingFunction naming it");
  Expect(ThrowsMissing([&] { libraries.EntryPoint("hw-no-such-library.dll", "Anything"); },
                       "hw-no-such-library.dll", "Anything"),
         "a missing library throws MissingFunction naming it");
  Expect(ThrowsMissing([&] { libraries.EntryPoint("..\\system32\\kernel32.dll", "GetVersion"); },
                       "..\\system32\\kernel32.dll", "GetVersion"),
         "a library name with a path is refused");
}

void PlantedLibraryBesideTheProgramIsIgnored() {
  // The search path finds the planted copy beside this program...
  HMODULE planted = LoadLibraryA("hw_planted.dll");
  Expect(planted != nullptr, "the planted DLL lies beside the test program (set-up)");
  if (planted) FreeLibrary(planted);
  // ...the binder looks in the system directory only.
  hw::win32::SystemLibraries libraries;
  Expect(ThrowsMissing([&] { libraries.EntryPoint("hw_planted.dll", "HwPlantedMarker"); }, "hw_planted.dll",
                       "HwPlantedMarker"),
         "a DLL beside the program is never loaded by the binder");
}

void LibrariesLoadOnFirstCall() {
  Expect(GetModuleHandleA("shlwapi.dll") == nullptr, "Shlwapi is not loaded before its first call");
  Win32Os os;
  hw::DllVersionInfo info;
  info.cbSize = hw::kDllVersionInfoSize;
  ExpectEqual<int32_t>(os.DllGetVersion(info), S_OK, "DllGetVersion succeeds");
  Expect(GetModuleHandleA("shlwapi.dll") != nullptr, "Shlwapi is loaded by its first call");
  ExpectEqual<uint32_t>(info.cbSize, 20, "DllGetVersion keeps the record size");
  Expect(info.dwMajorVersion >= 5, "DllGetVersion fills the version");

  hw::DllVersionInfo tooLarge;
  tooLarge.cbSize = 64;
  ExpectEqual<int32_t>(os.DllGetVersion(tooLarge), E_INVALIDARG, "a record size beyond the largest is refused");
}

// ---- the ANSI boundary -----------------------------------------------------------

void AnsiConversions() {
  ExpectEqual(FromAnsi(std::string("ab\0\0 ", 5)), std::string("ab\0\0 ", 5), "NULs and what follows them survive");
  ExpectEqual(FromAnsi(ToAnsi("Müller")), std::string("Müller"), "Müller survives the round trip");
  if (GetACP() == 1252) {
    ExpectEqual(ToAnsi("Müller"), std::string("M\xFCller"), "ü is one byte 0xFC in code page 1252");
    ExpectEqual(FromAnsi("M\xFCller"), std::string("Müller"), "0xFC is ü in code page 1252");
    ExpectEqual(ToAnsi("Łódź"), std::string("?\xF3" "d?"), "a character 1252 lacks becomes ?, not a look-alike");
  } else {
    std::printf("note: ANSI code page %u, the code page 1252 cases are skipped\n", GetACP());
  }
}

// ---- names -------------------------------------------------------------------------

void UserNameBufferOf256() {
  Win32Os os;
  std::string buffer(256, ' ');
  uint32_t size = 256;
  ExpectEqual(os.GetUserNameA(buffer, size), 1, "GetUserNameA succeeds with 256");
  ExpectEqual<std::size_t>(hw::CharacterCount(buffer), 256, "all 256 characters of the buffer come back");
  std::string name = hw::TrimAtNul(buffer);
  std::string expected = Environment(L"HW_EXPECT_USER");
  if (!expected.empty()) ExpectEqual(name, expected, "the user name arrives in UTF-8: " + name);
  ExpectEqual<uint32_t>(size, static_cast<uint32_t>(ToAnsi(name).size() + 1), "the length counts the NUL");
  std::size_t nul = buffer.find('\0');
  Expect(nul != std::string::npos && buffer.find_first_not_of(' ', nul + 1) == std::string::npos,
         "the blanks behind the NUL are left as they were");

  std::string tooSmall(3, ' ');
  uint32_t smallSize = 3;
  ExpectEqual(os.GetUserNameA(tooSmall, smallSize), 0, "a buffer of 3 is too small");
  Expect(smallSize > 3, "the needed length is reported");
}

void ComputerNames() {
  Win32Os os;
  wchar_t direct[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD directLength = MAX_COMPUTERNAME_LENGTH + 1;
  GetComputerNameW(direct, &directLength);

  std::string buffer(16, ' ');
  uint32_t size = 16;
  ExpectEqual(os.GetComputerNameA(buffer, size), 1, "GetComputerNameA succeeds with 16");
  ExpectEqual(hw::TrimAtNul(buffer), WideToUtf8(std::wstring(direct, directLength)), "the computer name");

  std::string dnsBuffer(257, ' ');
  uint32_t dnsSize = 257;
  ExpectEqual(os.GetComputerNameExA(hw::kComputerNameDnsHostname, dnsBuffer, dnsSize), 1,
              "GetComputerNameExA succeeds with 257");
  ExpectEqual<std::size_t>(dnsBuffer.size(), 257, "all 257 characters come back");
  std::string expected = Environment(L"HW_EXPECT_HOST");
  if (!expected.empty()) ExpectEqual(hw::TrimAtNul(dnsBuffer), expected, "the DNS host name");

  ExpectEqual(os.SetComputerNameA(std::string("WS\0EVIL", 7)), 0, "a name with a NUL inside is never set");
  ExpectEqual(os.SetComputerNameExA(hw::kComputerNamePhysicalDnsHostname, std::string("WS\0EVIL", 7)), 0,
              "a name with a NUL inside is never set (Ex)");
}

void VersionRecord() {
  Win32Os os;
  OSVERSIONINFOA direct{};
  direct.dwOSVersionInfoSize = sizeof direct;
  GetVersionExA(&direct);

  hw::OsVersionInfo info;
  info.dwOSVersionInfoSize = hw::kOsVersionInfoSize;
  ExpectEqual(os.GetVersionExA(info), 1, "GetVersionExA succeeds with 148");
  ExpectEqual<uint32_t>(info.dwOSVersionInfoSize, 148, "the size stays 148");
  ExpectEqual<uint32_t>(info.dwMajorVersion, direct.dwMajorVersion, "major version");
  ExpectEqual<uint32_t>(info.dwMinorVersion, direct.dwMinorVersion, "minor version");
  ExpectEqual<uint32_t>(info.dwBuildNumber, direct.dwBuildNumber, "build number");
  ExpectEqual<uint32_t>(info.dwPlatformId, direct.dwPlatformId, "platform id");
  ExpectEqual<std::size_t>(info.szCSDVersion.size(), 128, "all 128 service-pack characters come back");
  ExpectEqual(hw::TrimAtNul(info.szCSDVersion), FromAnsi(direct.szCSDVersion), "the service-pack text");

  hw::OsVersionInfo wrongSize;
  wrongSize.dwOSVersionInfoSize = 100;
  ExpectEqual(os.GetVersionExA(wrongSize), 0, "a record size of 100 is refused");
  hw::OsVersionInfo hugeSize;
  hugeSize.dwOSVersionInfoSize = 4096;
  ExpectEqual(os.GetVersionExA(hugeSize), 0, "a record size beyond the largest is refused");
}

void ConnectionState() {
  Win32Os os;
  uint32_t flags = 0;
  os.InternetGetConnectedState(flags, 0);
  // The test's namespace has no interface but the loop-back one.
  ExpectEqual<uint32_t>(flags & hw::kConnectionLan, 0, "no LAN without a network interface");
}

// ---- Windows Sockets -----------------------------------------------------------------

void WindowsSockets() {
  Win32Os os;
  hw::WsaData data;
  ExpectEqual(os.WSAStartup(0x0101, data), 0, "WSAStartup 1.1 succeeds");
  ExpectEqual<uint16_t>(data.wVersion, 0x0101, "version 1.1 granted");
  Expect(data.iMaxSockets >= 1, "at least one socket");

  std::string name(256, ' ');
  ExpectEqual(os.gethostname(name, 256), 0, "gethostname succeeds with 256");
  ExpectEqual<std::size_t>(name.size(), 256, "all 256 bytes of the host name buffer come back");
  ExpectEqual(hw::TrimAtNul(name), std::string("ws-17"), "the host name");

  std::optional<hw::HostEnt> byName = os.gethostbyname("ws-17");
  Expect(byName.has_value(), "gethostbyname finds the host");
  if (byName) {
    ExpectEqual<int16_t>(byName->h_length, 4, "4 bytes an address");
    std::vector<uint8_t> own = {192, 0, 2, 7};
    bool listed = false;
    for (const auto& address : byName->h_addr_list) listed = listed || address == own;
    Expect(listed, "192.0.2.7 is among the host's addresses");
  }

  ExpectEqual(Bytes(os.inet_addr("192.0.2.7")), std::array<uint8_t, 4>{192, 0, 2, 7},
              "inet_addr keeps network byte order");
  ExpectEqual<uint32_t>(os.inet_addr("not an address"), hw::kInaddrNone, "inet_addr rejects text");

  std::optional<hw::HostEnt> byAddress = os.gethostbyaddr({192, 0, 2, 7}, 4, hw::kAfInet);
  Expect(byAddress.has_value(), "gethostbyaddr finds 192.0.2.7");
  if (byAddress) ExpectEqual(byAddress->h_name, std::string("ws-17.example.test"), "its name is copied out");
  Expect(!os.gethostbyaddr({192, 0, 2, 7}, 16, hw::kAfInet), "a length beyond the 4 bytes is refused");

  ExpectEqual(os.WSACleanup(), 0, "WSACleanup succeeds");
  ExpectEqual(os.WSACleanup(), hw::kSocketError, "a second WSACleanup fails");
  ExpectEqual(os.WSAGetLastError(), WSANOTINITIALISED, "...with WSANOTINITIALISED");
}

// ---- IP configuration and DNS ---------------------------------------------------------

void FirstDnsServer() {
  Win32Os os;
  uint32_t size = 0;
  ExpectEqual<uint32_t>(os.GetNetworkParams(nullptr, size), ERROR_BUFFER_OVERFLOW, "the size query");
  Expect(size >= sizeof(FIXED_INFO), "it names the size a FIXED_INFO needs");
  hw::FixedInfo info;
  ExpectEqual<uint32_t>(os.GetNetworkParams(&info, size), ERROR_SUCCESS, "GetNetworkParams succeeds");
  ExpectEqual(info.DnsServerIpAddress, std::string("192.0.2.53") + std::string(6, '\0'),
              "all 16 characters of the first server's address");

  hw::FixedInfo small;
  uint32_t smallSize = 8;
  ExpectEqual<uint32_t>(os.GetNetworkParams(&small, smallSize), ERROR_BUFFER_OVERFLOW,
                        "a buffer of 8 bytes is too small");
}

void DnsAnswerCopiedOut() {
  Win32Os os;
  hw::Ip4Array servers;
  servers.AddrArray.push_back(os.inet_addr("192.0.2.53"));
  hw::DnsRecordList results;
  int32_t status = os.DnsQuery_A("alias.example.test", DNS_TYPE_A, hw::kDnsQueryBypassCache, &servers, results);
  ExpectEqual<int32_t>(status, 0, "the query for alias.example.test succeeds");
  Expect(static_cast<bool>(results.owner), "the answer list is handed over with its release");
  // The server's OPT record (asked for by the namespace's "options edns0")
  // comes last.
  ExpectEqual<std::size_t>(results.records.size(), 3, "a CNAME, an A and the OPT record");
  if (results.records.size() == 3) {
    ExpectEqual<uint16_t>(results.records[0].wType, hw::kDnsTypeCname, "the CNAME first");
    ExpectEqual(results.records[0].pName, std::string("alias.example.test"), "its owner name");
    ExpectEqual(results.records[0].pNameHost, std::string("target.example.test"), "its target, copied out");
    ExpectEqual<uint16_t>(results.records[1].wType, DNS_TYPE_A, "then the A record");
    ExpectEqual(results.records[1].pNameHost, std::string(), "an address is never read as a name");
    ExpectEqual(results.records[1].IpAddress, os.inet_addr("192.0.2.9"), "its address, in network byte order");
    ExpectEqual<int>(results.records[1].Section, hw::kDnsSectionAnswer, "from the answer section");
    ExpectEqual<uint16_t>(results.records[2].wType, 41, "then the OPT record");
    Expect(results.records[2].Section != hw::kDnsSectionAnswer, "...from another section");
  }
  results.owner.reset();

  hw::DnsRecordList none;
  Expect(os.DnsQuery_A("nothing.example.test", DNS_TYPE_A, hw::kDnsQueryBypassCache, &servers, none) != 0,
         "an unknown name fails");
  Expect(none.records.empty(), "...with no records");
}

// The query the check sends: the PTR record of the host's own address, asked
// in the upper-case form the check builds.
void PtrAnswerCopiedOut() {
  Win32Os os;
  hw::Ip4Array servers;
  servers.AddrArray.push_back(os.inet_addr("192.0.2.53"));
  hw::DnsRecordList results;
  int32_t status =
      os.DnsQuery_A("7.2.0.192.IN-ADDR.ARPA", DNS_TYPE_PTR, hw::kDnsQueryBypassCache, &servers, results);
  ExpectEqual<int32_t>(status, 0, "the PTR query for 192.0.2.7 succeeds");
  Expect(!results.records.empty(), "...with records");
  if (!results.records.empty()) {
    ExpectEqual<uint16_t>(results.records[0].wType, DNS_TYPE_PTR, "the PTR record first");
    ExpectEqual(results.records[0].pNameHost, std::string("ws-17.example.test"), "its name, copied out");
  }
}

// ---- security ------------------------------------------------------------------------------

void TokenGroupsAndAdministrators() {
  Win32Os os;
  hw::Handle process = os.GetCurrentProcess();
  ExpectEqual(process, reinterpret_cast<hw::Handle>(GetCurrentProcess()), "the current process's pseudo handle");

  hw::TokenHandle token;
  ExpectEqual(os.OpenProcessToken(process, hw::kTokenRead, token), 1, "OpenProcessToken succeeds");
  Expect(static_cast<bool>(token.owner), "the token comes with its release");

  uint32_t needed = 0;
  ExpectEqual(os.GetTokenInformation(token, hw::kTokenGroups, nullptr, 0, needed), 0, "the size query fails");
  Expect(needed > 0, "...and names the length the groups need");
  hw::TokenGroups groups;
  uint32_t written = 0;
  ExpectEqual(os.GetTokenInformation(token, hw::kTokenGroups, &groups, needed, written), 1,
              "the groups are read with that length");
  Expect(!groups.Groups.empty(), "the token has groups");
  bool allValid = true;
  for (const auto& group : groups.Groups) allValid = allValid && IsValidSid(reinterpret_cast<PSID>(group.Sid));
  Expect(allValid, "every group's SID lies in the kept buffer");

  hw::Sid administrators;
  std::array<uint32_t, 8> rids = {hw::kSecurityBuiltinDomainRid, hw::kDomainAliasRidAdmins};
  ExpectEqual(os.AllocateAndInitializeSid(hw::kSecurityNtAuthority, 2, rids, administrators), 1,
              "the Administrators SID is built");
  std::string name(255, ' '), domain(255, ' ');
  uint32_t nameLength = 255, domainLength = 255;
  int use = 0;
  ExpectEqual(os.LookupAccountSidA(nullptr, administrators.ref, name, nameLength, domain, domainLength, use), 1,
              "its name is looked up");
  ExpectEqual<std::size_t>(name.size(), 255, "all 255 characters of the name buffer come back");
  Expect(!hw::TrimAtNul(name).empty(), "the Administrators group has a name: " + hw::TrimAtNul(name));
  ExpectEqual(use, static_cast<int>(SidTypeAlias), "it is an alias");

  std::string none(255, ' '), noneDomain(255, ' ');
  uint32_t noneLength = 255, noneDomainLength = 255;
  ExpectEqual(os.LookupAccountSidA(nullptr, 0, none, noneLength, noneDomain, noneDomainLength, use), 0,
              "no SID, no name");

  HANDLE tokenHandle = reinterpret_cast<HANDLE>(token.value);
  DWORD flags = 0;
  token.owner.reset();
  Expect(!GetHandleInformation(tokenHandle, &flags), "releasing the token closes its handle");
  administrators.owner.reset();
}

void ElevationKindOfTheToken() {
  Win32Os os;
  hw::TokenHandle token;
  ExpectEqual(os.OpenProcessToken(os.GetCurrentProcess(), hw::kTokenRead, token), 1, "OpenProcessToken succeeds");
  uint32_t kind = 0, written = 0;
  ExpectEqual(os.GetTokenInformation(token, hw::kTokenElevationType, kind, sizeof kind, written), 1,
              "the token's elevation kind is read");
  Expect(kind >= hw::kTokenElevationTypeDefault && kind <= hw::kTokenElevationTypeLimited,
         "it is one of the three kinds: " + std::to_string(kind));
  uint32_t untouched = 99;
  ExpectEqual(os.GetTokenInformation(token, hw::kTokenElevationType, untouched, 2, written), 0,
              "two bytes are too few for the kind");
  ExpectEqual<uint32_t>(untouched, 99, "...and nothing is written then");
}

void DomainMembershipAndOwnFile() {
  Win32Os os;
  hw::NetApiBuffer name;
  int status = -1;
  ExpectEqual<uint32_t>(os.NetGetJoinInformation(nullptr, name, status), hw::kNerrSuccess,
                        "NetGetJoinInformation succeeds");
  Expect(status == hw::kNetSetupWorkgroupName || status == hw::kNetSetupUnjoined,
         "the PC is in no domain: " + std::to_string(status));
  Expect(static_cast<bool>(name.owner), "the name buffer comes with its release");
  name.owner.reset();

  std::string path;
  uint32_t length = os.GetModuleFileNameW(0, path, 260);
  Expect(length > 0 && length < 260, "the program's own path is read");
  ExpectEqual(path.size(), static_cast<std::size_t>(length), "as many characters as the call reports");
  Expect(path.size() > 20 && path.substr(path.size() - 20) == "win32_layer_test.exe", "it names this program: " + path);
  std::string cut;
  ExpectEqual<uint32_t>(os.GetModuleFileNameW(0, cut, 5), 5, "a path that does not fit is cut to the buffer");
}

// Last: it changes where every later bare LoadLibrary looks.
void LibrarySearchKeepsToTheSystemDirectory() {
  HMODULE before = LoadLibraryA("hw_planted.dll");
  Expect(before != nullptr, "the planted DLL is found beside the program before (set-up)");
  if (before) FreeLibrary(before);
  hw::win32::SystemLibraries libraries;
  Expect(hw::win32::RestrictLibrarySearch(libraries) == hw::win32::LibrarySearch::SystemDirectoryOnly,
         "SetDefaultDllDirectories restricts the search to the system directory");
  HMODULE after = LoadLibraryA("hw_planted.dll");
  Expect(after == nullptr, "a bare name is no longer looked for beside the program");
  if (after) FreeLibrary(after);
  Expect(LoadLibraryA("shlwapi.dll") != nullptr, "a system library is still found by its bare name");
  // What a system library's delayed import asks for by its bare name is
  // already loaded, from the system directory.
  wchar_t system[MAX_PATH] = {}, loaded[MAX_PATH] = {};
  UINT systemLength = GetSystemDirectoryW(system, MAX_PATH);
  HMODULE iphlpapi = GetModuleHandleW(L"iphlpapi.dll");
  Expect(iphlpapi && GetModuleFileNameW(iphlpapi, loaded, MAX_PATH) > systemLength &&
             _wcsnicmp(loaded, system, systemLength) == 0,
         "iphlpapi is loaded from the system directory: " + WideToUtf8(loaded));
}

// The program's own versions of the C++ library's throwing functions: a
// misused string or container still throws what the program's guards catch:
// a std::exception naming the library function.
void LibraryFailuresAreCaughtAsStdExceptions() {
  auto message = [](const std::function<void()>& misuse) -> std::string {
    try {
      misuse();
    } catch (const std::bad_alloc&) {
      return "bad_alloc";
    } catch (const std::exception& error) {
      return error.what();
    }
    return "nothing thrown";
  };
  std::string text = "ab";
  std::vector<int> empty;
  Expect(message([&] { (void)text.substr(5); }).find("basic_string::substr") != std::string::npos,
         "substr past the end: " + message([&] { (void)text.substr(5); }));
  Expect(message([&] { (void)empty.at(1); }).find("vector") != std::string::npos,
         "at() past the end: " + message([&] { (void)empty.at(1); }));
  Expect(message([&] { text.reserve(text.max_size() + 1); }).find("basic_string") != std::string::npos,
         "reserve beyond max_size: " + message([&] { text.reserve(text.max_size() + 1); }));
}

}  // namespace

int main() {
  // First, before anything of this program could have loaded Shlwapi.
  LibrariesLoadOnFirstCall();
  MissingEntryPointsAndLibrariesThrow();
  PlantedLibraryBesideTheProgramIsIgnored();
  AnsiConversions();
  UserNameBufferOf256();
  ComputerNames();
  VersionRecord();
  ConnectionState();
  WindowsSockets();
  FirstDnsServer();
  DnsAnswerCopiedOut();
  PtrAnswerCopiedOut();
  TokenGroupsAndAdministrators();
  ElevationKindOfTheToken();
  DomainMembershipAndOwnFile();
  LibrarySearchKeepsToTheSystemDirectory();
  LibraryFailuresAreCaughtAsStdExceptions();
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}
