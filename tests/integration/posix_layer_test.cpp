// The Linux layer's pieces against the real system, where that sends no
// packet and changes nothing outside a temporary directory: buffers handed
// back the Windows way, the files it reads, the groups, the single-instance
// name, and the atomic write of the host name file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <ares.h>
#include <arpa/inet.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/posix/connection.h"
#include "platform/posix/dns_status.h"
#include "platform/posix/name_buffer.h"
#include "platform/posix/os_release.h"
#include "platform/posix/posix_os.h"
#include "platform/posix/resolv_conf.h"
#include "platform/posix/single_instance.h"
#include "platform/posix/static_hostname.h"
#include "sync/chk_admin.h"
#include "sync/domain_member.h"
#include "sync/elevation.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace hw::posix {
namespace {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "hostwarden-layer-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name, const std::string& text) const {
    std::string path = (path_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  fs::path path() const { return path_; }

 private:
  fs::path path_;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(FillNameBuffer, WritesNameAndNulAndKeepsTheRestOrReportsTheSizeNeeded) {
  struct Case { std::string name; uint32_t size; bool countNul; int result; uint32_t sizeAfter; std::string buffer; };
  for (const auto& c : {
           Case{"ws-17", 16, false, 1, 5, "ws-17\0          "s},
           Case{"ws-17", 6, false, 1, 5, "ws-17\0"s},           // exactly the name and its NUL
           Case{"ws-17", 5, false, 0, 6, "     "},              // no room for the NUL
           Case{"root", 256, true, 1, 5, "root\0"s + std::string(251, ' ')},  // GetUserName counts the NUL
           Case{"MÜLLER", 7, false, 1, 6, "MÜLLER\0"s},         // characters, not bytes
           Case{"MÜLLER", 6, false, 0, 7, "      "},
           Case{"", 1, false, 1, 0, "\0"s},
       }) {
    std::string buffer(c.size, ' ');
    uint32_t size = c.size;
    EXPECT_EQ(FillNameBuffer(c.name, buffer, size, c.countNul), c.result) << c.name << " in " << c.size;
    EXPECT_EQ(size, c.sizeAfter) << c.name << " in " << c.size;
    EXPECT_EQ(buffer, c.buffer) << c.name << " in " << c.size;
  }
}

TEST(NetbiosNameOf, FirstLabelInCapitalsCutTo15Characters) {
  struct Case { const char* host; const char* netbios; const char* first; const char* domain; };
  for (const auto& c : {Case{"ws-17.uni-falkenau.de", "WS-17", "ws-17", "uni-falkenau.de"},
                        Case{"ws-17", "WS-17", "ws-17", ""},
                        Case{"a-rather-long-host-name.example", "A-RATHER-LONG-H", "a-rather-long-host-name", "example"},
                        Case{"müller-pc", "MüLLER-PC", "müller-pc", ""},
                        Case{"äöüäöüäöüäöüäöüäöü", "äöüäöüäöüäöüäöü", "äöüäöüäöüäöüäöüäöü", ""},
                        Case{"", "", "", ""}, Case{".lead", "", "", "lead"}}) {
    EXPECT_EQ(NetbiosNameOf(c.host), c.netbios) << c.host;
    EXPECT_EQ(FirstLabel(c.host), c.first) << c.host;
    EXPECT_EQ(DomainOf(c.host), c.domain) << c.host;
  }
}

TEST(KernelVersionOf, LeadingNumbersOfTheRelease) {
  struct Case { const char* release; uint32_t major, minor, patch; };
  for (const auto& c : {Case{"6.1.0-13-amd64", 6, 1, 0}, Case{"6.18.44-fc-v1403", 6, 18, 44}, Case{"5.10", 5, 10, 0},
                        Case{"4.19.0+", 4, 19, 0}, Case{"", 0, 0, 0}, Case{"x.1.2", 0, 0, 0},
                        Case{"99999999999.1.2", UINT32_MAX, 1, 2}}) {
    KernelVersion v = KernelVersionOf(c.release);
    EXPECT_EQ(v.major, c.major) << c.release;
    EXPECT_EQ(v.minor, c.minor) << c.release;
    EXPECT_EQ(v.patch, c.patch) << c.release;
  }
}

TEST(PrettyNameOf, UndoesQuotesAndEscapes) {
  struct Case { std::string text; std::string name; };
  for (const auto& c : {
           Case{"NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n", "Debian GNU/Linux 12 (bookworm)"},
           Case{"PRETTY_NAME='Fedora Linux 39'\n", "Fedora Linux 39"},
           Case{"PRETTY_NAME=Arch\n", "Arch"},
           Case{"PRETTY_NAME=\"say \\\"hi\\\" \\\\o/\"\n", "say \"hi\" \\o/"},
           Case{"  PRETTY_NAME=\"indented\"\r\n", "indented"},
           Case{"NAME=\"Debian\"\n", ""},
           Case{"PRETTY_NAMES=\"not it\"\n", ""},
           Case{"PRETTY_NAME=\"unterminated", "unterminated"},
       }) {
    EXPECT_EQ(PrettyNameOf(c.text), c.name) << c.text;
  }
}

TEST(ConnectionFlagsOf, LanForAnUpNonLoopbackIpv4InterfaceModemForPpp) {
  constexpr int kEther = 1, kLoopback = 772, kPpp = 512;
  struct Case { const char* what; std::vector<InterfaceState> interfaces; uint32_t flags; };
  const std::vector<Case> cases = {
      {"nothing", {}, 0},
      {"loopback only", {{"lo", kLoopback, true, true, true}}, 0},
      {"ethernet up with IPv4", {{"lo", kLoopback, true, true, true}, {"eth0", kEther, true, false, true}}, kConnectionLan},
      {"ethernet down", {{"eth0", kEther, false, false, true}}, 0},
      {"ethernet without IPv4", {{"eth0", kEther, true, false, false}}, 0},
      {"ppp up", {{"ppp0", kPpp, true, false, true}}, kConnectionModem},
      {"ppp type under another name", {{"wwan0", kPpp, true, false, false}}, kConnectionModem},
      {"ppp by name when sysfs is silent", {{"ppp1", -1, true, false, false}}, kConnectionModem},
      {"ppp and ethernet", {{"ppp0", kPpp, true, false, true}, {"eth0", kEther, true, false, true}},
       kConnectionModem | kConnectionLan},
      {"loopback flag with unknown type", {{"lo2", -1, true, true, true}}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ConnectionFlagsOf(c.interfaces), c.flags) << c.what;
}

TEST(FirstIpv4Nameserver, TakesTheFirstDottedIpv4Server) {
  struct Case { std::string text; std::optional<std::string> server; };
  for (const auto& c : {
           Case{"nameserver 192.0.2.53\nnameserver 192.0.2.54\n", "192.0.2.53"},
           Case{"# nameserver 192.0.2.1\n; nameserver 192.0.2.2\nnameserver\t198.51.100.9  # ours\n", "198.51.100.9"},
           Case{"nameserver 2001:db8::53\nnameserver 203.0.113.53\n", "203.0.113.53"},
           Case{"nameserver 999.1.1.1\nnameserver 192.0.2.8", "192.0.2.8"},
           Case{"search uni-falkenau.de\noptions ndots:2\n", std::nullopt},
           Case{"nameservers 192.0.2.1\n", std::nullopt},
           Case{"", std::nullopt},
       }) {
    EXPECT_EQ(FirstIpv4Nameserver(c.text), c.server) << c.text;
  }
}

TEST(DnsStatusOfAres, MapsToTheStatusesOfWindows) {
  struct Case { int ares; int32_t status; };
  for (const auto& c : {Case{ARES_SUCCESS, 0}, Case{ARES_ENOTFOUND, 9003}, Case{ARES_ENODATA, 9501},
                        Case{ARES_ETIMEOUT, 1460}, Case{ARES_ECONNREFUSED, 1460}, Case{ARES_ECANCELLED, 1460},
                        Case{ARES_EBADRESP, 9502}, Case{ARES_ESERVFAIL, 9002}, Case{ARES_EREFUSED, 9005},
                        Case{ARES_EFORMERR, 9001}, Case{ARES_ENOTIMP, 9004}}) {
    EXPECT_EQ(DnsStatusOfAres(c.ares), c.status) << "ARES status " << c.ares;
  }
}

TEST(IsUnicastServer, RefusesAddressesThatNameNoOneServer) {
  PosixOs os;
  struct Case { const char* text; bool unicast; };
  for (const auto& c : {Case{"192.0.2.53", true}, Case{"10.0.0.1", true}, Case{"223.255.255.1", true},
                        Case{"255.255.255.255", false}, Case{"", false}, Case{"0.0.0.0", false},
                        Case{"0.1.2.3", false}, Case{"224.0.0.251", false}, Case{"240.0.0.1", false}}) {
    EXPECT_EQ(IsUnicastServer(os.inet_addr(c.text)), c.unicast) << c.text;
  }
}

TEST(IsValidStaticHostname, LettersDigitsHyphensAndDotsOnly) {
  struct Case { std::string name; bool valid; };
  for (const auto& c : {Case{"PC-Labor-3", true}, Case{"ws-17", true}, Case{"ws-17.uni-falkenau.de", true},
                        Case{std::string(63, 'a'), true}, Case{std::string(64, 'a'), false},
                        Case{std::string(32, 'a') + "." + std::string(31, 'b'), true},
                        Case{std::string(32, 'a') + "." + std::string(32, 'b'), false}, Case{"", false},
                        Case{"-lead", false}, Case{"trail-", false}, Case{"a..b", false}, Case{".a", false},
                        Case{"a.", false}, Case{"bad name", false}, Case{"a\nb", false}, Case{"a\0b"s, false},
                        Case{"müller", false}, Case{"a_b", false}, Case{"../etc", false}}) {
    EXPECT_EQ(IsValidStaticHostname(c.name), c.valid) << c.name;
  }
}

TEST(WriteHostnameFileAtomically, ReplacesTheFileAndLeavesNothingElse) {
  TempDir dir;
  std::string path = dir.File("hostname", "old-name\n");
  ASSERT_TRUE(WriteHostnameFileAtomically(path, "PC-Labor-3"));
  EXPECT_EQ(Slurp(path), "PC-Labor-3\n");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(WriteHostnameFileAtomically, ReplacesALinkWithoutWritingThroughIt) {
  TempDir dir;
  std::string target = dir.File("elsewhere", "keep\n");
  fs::create_symlink(target, dir.path() / "hostname");
  ASSERT_TRUE(WriteHostnameFileAtomically((dir.path() / "hostname").string(), "ws-18"));
  EXPECT_EQ(Slurp(target), "keep\n");
  EXPECT_FALSE(fs::is_symlink(dir.path() / "hostname"));
  EXPECT_EQ(Slurp(dir.path() / "hostname"), "ws-18\n");
}

TEST(SetComputerNameExA, WritesTheFileWhereHostnamedDoesNotRunAndRefusesBadNames) {
  TempDir dir;
  SystemPaths paths;
  paths.hostnameFile = dir.File("hostname", "ws-17\n");
  paths.systemdRunning = (dir.path() / "no-systemd").string();
  PosixOs os(paths);
  EXPECT_EQ(os.SetComputerNameExA(kComputerNamePhysicalDnsHostname, "bad name"), 0);
  EXPECT_EQ(Slurp(paths.hostnameFile), "ws-17\n");
  EXPECT_EQ(os.SetComputerNameExA(kComputerNamePhysicalDnsHostname, "PC-Labor-3"), 1);
  EXPECT_EQ(Slurp(paths.hostnameFile), "PC-Labor-3\n");
  EXPECT_EQ(os.SetComputerNameA("WS-18"), 1);
  EXPECT_EQ(Slurp(paths.hostnameFile), "WS-18\n");
}

bool AbstractSocketListed(const std::string& name) {
  return Slurp("/proc/net/unix").find("@" + name + "\n") != std::string::npos;
}

TEST(SingleInstance, SecondClaimFindsTheNameTakenUntilTheFirstEnds) {
  std::string name = "hostwarden-test-" + std::to_string(::getpid());
  {
    SingleInstance first(name);
    EXPECT_FALSE(first.AnotherIsRunning());
    EXPECT_TRUE(AbstractSocketListed(name));
    SingleInstance second(name);
    EXPECT_TRUE(second.AnotherIsRunning());
    SingleInstance other(name + "-other");
    EXPECT_FALSE(other.AnotherIsRunning());
  }
  EXPECT_FALSE(AbstractSocketListed(name));
  SingleInstance again(name);
  EXPECT_FALSE(again.AnotherIsRunning());
}

std::string DnsServerField(PosixOs& os) {
  uint32_t size = 0;
  EXPECT_EQ(os.GetNetworkParams(nullptr, size), kErrorBufferOverflow);
  EXPECT_EQ(size, kFixedInfoSize);
  FixedInfo info;
  EXPECT_EQ(os.GetNetworkParams(&info, size), kErrorSuccess);
  EXPECT_EQ(info.DnsServerIpAddress.size(), 16u);
  return info.DnsServerIpAddress;
}

TEST(GetNetworkParams, FirstServerOfResolvConfLookingPastTheLocalStub) {
  struct Case { const char* what; std::optional<std::string> resolvConf, upstream; std::string field; };
  const std::vector<Case> cases = {
      {"first server", "nameserver 192.0.2.53\nnameserver 192.0.2.54\n", std::nullopt, "192.0.2.53"},
      {"longest address fills 15 of 16", "nameserver 203.113.100.253\n", std::nullopt, "203.113.100.253"},
      {"stub: the server it forwards to", "nameserver 127.0.0.53\n", "nameserver 198.51.100.1\n", "198.51.100.1"},
      {"stub without its list", "nameserver 127.0.0.53\n", std::nullopt, "127.0.0.53"},
      {"no server", "search example\n", std::nullopt, ""},
      {"no file", std::nullopt, std::nullopt, ""},
  };
  for (const auto& c : cases) {
    TempDir dir;
    SystemPaths paths;
    paths.resolvConf = c.resolvConf ? dir.File("resolv.conf", *c.resolvConf) : (dir.path() / "none").string();
    paths.resolvedResolvConf = c.upstream ? dir.File("upstream", *c.upstream) : (dir.path() / "none").string();
    PosixOs os(paths);
    std::string expected = c.field;
    expected.resize(16, '\0');
    EXPECT_EQ(DnsServerField(os), expected) << c.what;
  }
}

TEST(GetVersionExA, LinuxPlatformKernelVersionAndDistributionName) {
  TempDir dir;
  SystemPaths paths;
  paths.osRelease = {(dir.path() / "missing").string(),
                     dir.File("os-release", "PRETTY_NAME=\"" + std::string(200, 'x') + "\"\n")};
  PosixOs os(paths);
  OsVersionInfo info;
  EXPECT_EQ(os.GetVersionExA(info), 0) << "the record's size must be set";
  info.dwOSVersionInfoSize = kOsVersionInfoSize;
  ASSERT_EQ(os.GetVersionExA(info), 1);
  EXPECT_EQ(info.dwPlatformId, kPlatformLinux);
  EXPECT_GT(info.dwMajorVersion, 0u);
  EXPECT_EQ(info.szCSDVersion, std::string(127, 'x') + '\0');
}

TEST(GetVersionExA, NoOsReleaseGivesAnEmptyName) {
  SystemPaths paths;
  paths.osRelease = {"/nonexistent/os-release"};
  PosixOs os(paths);
  OsVersionInfo info;
  info.dwOSVersionInfoSize = kOsVersionInfoSize;
  ASSERT_EQ(os.GetVersionExA(info), 1);
  EXPECT_EQ(info.szCSDVersion, std::string(128, '\0'));
}

TEST(Names, ComputerNamesAndUserNameFollowTheBufferProtocol) {
  PosixOs os;
  char host[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
  std::string netbios = NetbiosNameOf(host);

  std::string buffer(16, ' ');
  uint32_t size = 16;
  ASSERT_EQ(os.GetComputerNameA(buffer, size), 1);
  EXPECT_EQ(buffer.substr(0, buffer.find('\0')), netbios);
  buffer = std::string(2, ' ');
  size = 2;
  if (netbios.size() >= 2) {
    EXPECT_EQ(os.GetComputerNameA(buffer, size), 0);
    EXPECT_EQ(size, netbios.size() + 1);
  }
  buffer = std::string(257, ' ');
  size = 257;
  ASSERT_EQ(os.GetComputerNameExA(kComputerNameDnsHostname, buffer, size), 1);
  EXPECT_EQ(buffer.substr(0, size), FirstLabel(host));
  EXPECT_EQ(os.GetComputerNameExA(42, buffer, size), 0);

  buffer = std::string(256, ' ');
  size = 256;
  ASSERT_EQ(os.GetUserNameA(buffer, size), 1);
  if (::geteuid() == 0) EXPECT_EQ(buffer.substr(0, size), "root"s + '\0');
}

TEST(Sockets, StartAndCleanUpPairLikeWindowsSockets) {
  PosixOs os;
  EXPECT_EQ(os.WSACleanup(), kSocketError);
  EXPECT_EQ(os.WSAGetLastError(), 10093);
  WsaData data;
  ASSERT_EQ(os.WSAStartup(0x0101, data), 0);
  EXPECT_EQ(data.wVersion, 0x0101);
  EXPECT_GE(data.iMaxSockets, 1);
  EXPECT_EQ(os.WSACleanup(), 0);
  std::string name;
  EXPECT_EQ(os.gethostname(name, 1), kSocketError);
  EXPECT_EQ(os.WSAGetLastError(), 10014);
  ASSERT_EQ(os.gethostname(name, 256), 0);
  EXPECT_EQ(name.size(), 256u);
}

TEST(InetAddr, TheCLibrarysParse) {
  PosixOs os;
  struct Case { std::string text; uint32_t value; };
  for (const auto& c : {Case{"192.0.2.7", htonl(0xC0000207)}, Case{"", kInaddrNone}, Case{"ws-17", kInaddrNone},
                        Case{"255.255.255.255", kInaddrNone}, Case{"192.0.2.7\0junk"s, kInaddrNone}}) {
    EXPECT_EQ(os.inet_addr(c.text), c.value) << c.text;
  }
}

TEST(TokenGroups, SizeQueryThenTheGroupsWithGidZeroAsAdministrators) {
  PosixOs os;
  TokenHandle token;
  ASSERT_EQ(os.OpenProcessToken(os.GetCurrentProcess(), kTokenRead, token), 1);
  uint32_t needed = 0;
  EXPECT_EQ(os.GetTokenInformation(token, kTokenGroups, nullptr, 0, needed), 0);
  ASSERT_GT(needed, 4u);
  TokenGroups groups;
  uint32_t returned = 0;
  EXPECT_EQ(os.GetTokenInformation(token, kTokenGroups, &groups, needed - 1, returned), 0);
  ASSERT_EQ(os.GetTokenInformation(token, kTokenGroups, &groups, needed, returned), 1);
  EXPECT_FALSE(groups.Groups.empty());

  Sid administrators;
  ASSERT_EQ(os.AllocateAndInitializeSid(kSecurityNtAuthority, 2, {32, 544}, administrators), 1);
  std::string name(255, ' '), domain(255, ' ');
  uint32_t nameLen = 255, domainLen = 255;
  int use = 0;
  ASSERT_EQ(os.LookupAccountSidA(nullptr, administrators.ref, name, nameLen, domain, domainLen, use), 1);
  EXPECT_EQ(name.substr(0, nameLen + 1), "root"s + '\0');
  EXPECT_EQ(name.size(), 255u);

  std::string small(2, ' ');
  uint32_t smallLen = 2;
  EXPECT_EQ(os.LookupAccountSidA(nullptr, administrators.ref, small, smallLen, domain, domainLen, use), 0);
  EXPECT_EQ(smallLen, 5u);
  EXPECT_EQ(small, "  ");
  EXPECT_EQ(os.LookupAccountSidA(nullptr, 0xBAD, name, nameLen, domain, domainLen, use), 0);
  Sid other;
  EXPECT_EQ(os.AllocateAndInitializeSid(kSecurityNtAuthority, 2, {32, 545}, other), 0);
}

// Linux has neither UAC's split rights nor Windows domains: the answers of a
// system without them, so the synchronise command takes its plain path.
TEST(WindowsOnlyConcepts, DefaultTokenNoDomainNoShellStartAndTheProgramsOwnPath) {
  PosixOs os;
  TokenHandle token;
  ASSERT_EQ(os.OpenProcessToken(os.GetCurrentProcess(), kTokenRead, token), 1);
  uint32_t kind = 0, returned = 0;
  EXPECT_EQ(os.GetTokenInformation(token, kTokenElevationType, kind, 4, returned), 1);
  EXPECT_EQ(kind, kTokenElevationTypeDefault);
  EXPECT_EQ(os.GetTokenInformation(token, kTokenElevationType, kind, 2, returned), 0);
  EXPECT_FALSE(HasElevatedTwin(os));

  NetApiBuffer name;
  int status = -1;
  EXPECT_EQ(os.NetGetJoinInformation(nullptr, name, status), kNerrSuccess);
  EXPECT_EQ(status, kNetSetupUnjoined);
  EXPECT_FALSE(IsDomainMember(os));

  ShellExecuteInfo start;
  start.lpVerb = "runas";
  EXPECT_EQ(os.ShellExecuteExW(start), 0);

  std::string path;
  uint32_t length = os.GetModuleFileNameW(0, path, 4096);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(path, std::filesystem::read_symlink("/proc/self/exe").string());
  EXPECT_EQ(os.GetModuleFileNameW(0, path, 3), 3u) << "a path that does not fit is cut";
}

TEST(IsAdmin, RootIsAMemberAndAnUnprivilegedUserIsNot) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to compare both";
  PosixOs os;
  EXPECT_TRUE(IsAdmin(os));
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // nobody, with no supplementary groups
    bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
    PosixOs unprivileged;
    ::_exit(!dropped ? 2 : IsAdmin(unprivileged) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: nobody counted as administrator; 2: could not drop privileges";
}

TEST(IsAdmin, AGroupWithGidZeroMakesAMember) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to set the groups";
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    gid_t groups[] = {0};
    bool dropped = ::setgroups(1, groups) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
    PosixOs member;
    ::_exit(!dropped ? 2 : IsAdmin(member) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace hw::posix
