// The Linux layer's pieces against the real system, where that sends no
// packet and changes nothing outside a temporary directory: the files it
// reads and writes, the groups, the single-instance name, and the atomic
// write of the host name file. Its pure functions are unit tests
// (tests/unit/posix).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <ares.h>
#include <arpa/inet.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/posix/command_line.h"
#include "platform/posix/connection.h"
#include "platform/posix/dns_status.h"
#include "platform/posix/files.h"
#include "platform/posix/hosts_file.h"
#include "platform/posix/name_buffer.h"
#include "platform/posix/os_release.h"
#include "platform/posix/own_addresses.h"
#include "platform/posix/posix_os.h"
#include "platform/posix/program_state_abi.h"
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

// Files are read piece by piece up to the limit: a whole file over several
// pieces, a file cut at the limit, an empty file, and none at all.
TEST(ReadSmallFile, WholeUpToTheLimitAndNothingForAMissingFile) {
  TempDir dir;
  std::string large(10000, 'x');
  large[4095] = '\0';  // a NUL where one piece ends reads like any byte
  large.back() = 'z';
  struct Case { std::string text; std::size_t limit; std::string expected; };
  for (const Case& c : {Case{large, 1 << 20, large}, Case{large, 4097, large.substr(0, 4097)},
                        Case{large, 4096, large.substr(0, 4096)}, Case{"", 64, ""}, Case{"nameserver 1", 64, "nameserver 1"}}) {
    SCOPED_TRACE(std::to_string(c.text.size()) + " bytes, limit " + std::to_string(c.limit));
    EXPECT_EQ(ReadSmallFile(dir.File("f", c.text), c.limit), c.expected);
  }
  EXPECT_EQ(ReadSmallFile((dir.path() / "missing").string(), 64), std::nullopt);
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
  paths.hostsFile = dir.File("hosts", "127.0.0.1 localhost\n127.0.1.1\tws-17\n");
  paths.systemdRunning = (dir.path() / "no-systemd").string();
  PosixOs os(paths);
  EXPECT_EQ(os.SetComputerNameExA(kComputerNamePhysicalDnsHostname, "bad name"), 0);
  EXPECT_EQ(Slurp(paths.hostnameFile), "ws-17\n");
  EXPECT_EQ(Slurp(paths.hostsFile), "127.0.0.1 localhost\n127.0.1.1\tws-17\n");
  EXPECT_EQ(os.SetComputerNameExA(kComputerNamePhysicalDnsHostname, "PC-Labor-3"), 1);
  EXPECT_EQ(Slurp(paths.hostnameFile), "PC-Labor-3\n");
  EXPECT_EQ(Slurp(paths.hostsFile), "127.0.0.1 localhost\n127.0.1.1\tPC-Labor-3\n");
  EXPECT_EQ(os.SetComputerNameA("WS-18"), 1);
  EXPECT_EQ(Slurp(paths.hostnameFile), "WS-18\n");
  EXPECT_EQ(Slurp(paths.hostsFile), "127.0.0.1 localhost\n127.0.1.1\tWS-18\n");
}

TEST(RenameInHostsFile, KeepsOwnerAndModeWritesThroughALinkAndNotesWhatItCannotDo) {
  TempDir dir;
  std::string path = dir.File("hosts", "127.0.1.1 ws-17\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  }
  std::string link = (dir.path() / "hosts-link").string();
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  std::ostringstream notes;
  RenameInHostsFile(link, {"ws-17"}, "ws-18", notes);
  EXPECT_EQ(notes.str(), "");
  EXPECT_EQ(Slurp(path), "127.0.1.1 ws-18\n");
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (::geteuid() == 0) {
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
  }
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir.path())) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"hosts", "hosts-link"})) << "no temporary file left";

  RenameInHostsFile((dir.path() / "missing").string(), {"ws-17"}, "ws-18", notes);
  EXPECT_NE(notes.str().find("missing nicht lesbar"), std::string::npos) << notes.str();
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

TEST(GetVersionExA, TheVersionLineNamesTheDistributionShortly) {
  TempDir dir;
  SystemPaths paths;
  paths.osRelease = {dir.File("os-release", "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n"
                                            "VERSION_ID=\"12\"\nID=debian\n")};
  PosixOs os(paths);
  OsVersionInfo info;
  info.dwOSVersionInfoSize = kOsVersionInfoSize;
  ASSERT_EQ(os.GetVersionExA(info), 1);
  EXPECT_EQ(info.szCSDVersion.substr(0, 10), std::string("Debian 12") + '\0');
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
  if (::geteuid() == 0) {
    EXPECT_EQ(buffer.substr(0, size), "root"s + '\0');
  }
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
