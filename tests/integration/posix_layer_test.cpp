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
#include <net/if_arp.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/posix/program/command_line.h"
#include "platform/posix/os/connection.h"
#include "platform/posix/os/directory_join.h"
#include "platform/posix/os/dns_status.h"
#include "platform/posix/os/files.h"
#include "platform/posix/os/host_rename.h"
#include "platform/posix/os/hosts_file.h"
#include "platform/posix/os/name_buffer.h"
#include "platform/posix/os/os_release.h"
#include "platform/posix/os/own_addresses.h"
#include "platform/posix/program/journal_entry.h"
#include "platform/posix/os/policy.h"
#include "platform/posix/os/own_ipv6_addresses.h"
#include "platform/posix/os/posix_os.h"
#include "platform/posix/program/program_state_abi.h"
#include "platform/posix/os/resolv_conf.h"
#include "platform/posix/program/single_instance.h"
#include "platform/posix/os/static_hostname.h"
#include "sync/chk_admin.h"
#include "sync/domain_member.h"
#include "sync/elevation.h"
#include "text/names.h"

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

std::vector<std::string> FilesIn(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReplaceFileAtomically, KeepsOwnerModeAndLinksAndLeavesNoTemporaryFile) {
  TempDir dir;
  std::string path = dir.File("hosts", "127.0.1.1 ws-17\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  }
  std::string link = (dir.path() / "hosts-link").string();
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  EXPECT_EQ(ReplaceFileAtomically(link, "127.0.1.1 ws-18\n"), "");
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
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"hosts", "hosts-link"})) << "no temporary file left";

  std::string fresh = (dir.path() / "hostname").string();
  EXPECT_EQ(ReplaceFileAtomically(fresh, "PC-Labor-3\n"), "");
  ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u) << "a new file is readable by everyone, as /etc/hostname must be";
  EXPECT_NE(ReplaceFileAtomically((dir.path() / "no-such-dir" / "f").string(), "x"), "");
}

// Links are followed by hand, so that a link to a file not there yet names
// that file (the one to write) rather than itself.
TEST(FileBehindLinks, EveryLinkFollowedAlsoToAFileNotThereYet) {
  TempDir dir;
  const fs::path base = dir.path();
  fs::create_directories(base / "writable");
  dir.File("writable/hosts", "x");
  auto link = [&](const char* name, const std::string& target) {
    ASSERT_EQ(::symlink(target.c_str(), (base / name).c_str()), 0) << name;
  };
  link("relative", "writable/hosts");
  link("absolute", (base / "writable/hosts").string());
  link("chain", "relative");
  link("dangling", "writable/hostname");
  link("dangling-chain", "dangling");
  link("loop-a", "loop-b");
  link("loop-b", "loop-a");
  struct Case { const char* path; std::string file; };
  const std::vector<Case> cases = {
      {"writable/hosts", (base / "writable/hosts").string()},
      {"relative", (base / "writable/hosts").string()},
      {"absolute", (base / "writable/hosts").string()},
      {"chain", (base / "writable/hosts").string()},
      {"dangling", (base / "writable/hostname").string()},
      {"dangling-chain", (base / "writable/hostname").string()},
      {"missing", (base / "missing").string()},
      {"loop-a", (base / "loop-a").string()},  // left to fail where it is used
  };
  for (const auto& c : cases) EXPECT_EQ(fs::path(FileBehindLinks((base / c.path).string())).lexically_normal(),
                                        fs::path(c.file).lexically_normal()) << c.path;

  EXPECT_EQ(ReplaceFileAtomically((base / "dangling-chain").string(), "PC-Labor-3\n"), "");
  EXPECT_EQ(Slurp(base / "writable/hostname"), "PC-Labor-3\n");
  struct stat info {};
  ASSERT_EQ(::lstat((base / "dangling").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link to a file not there yet stays a link";
}

// A rename on files of a temporary directory.
struct RenameFiles {
  TempDir dir;
  SystemPaths paths;
  RenameFiles(const std::string& hostname, const std::string& hosts) {
    paths.hostnameFile = dir.File("hostname", hostname);
    paths.hostsFile = dir.File("hosts", hosts);
  }
};

TEST(SetComputerNameExA, WritesTheFilesAndRefusesBadNames) {
  RenameFiles files("ws-17\n", "127.0.0.1 localhost\n127.0.1.1\tws-17\n");
  const SystemPaths& paths = files.paths;
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

// The stock files of three families, renamed from ws-17 to lab-pc-3 with
// the PTR name lab-pc-3.uni-falkenau.de: the full name follows wherever the
// old host was named in full, a short static name stays short.
TEST(SetComputerNameExA, TheFullNameFollowsInStockFiles) {
  const std::string debianHosts =
      "127.0.0.1\tlocalhost\n127.0.1.1\tws-17.uni-falkenau.de\tws-17\n\n"
      "# The following lines are desirable for IPv6 capable hosts\n"
      "::1     localhost ip6-localhost ip6-loopback\nff02::1 ip6-allnodes\nff02::2 ip6-allrouters\n";
  const std::string ubuntuHosts =
      "127.0.0.1 localhost\n127.0.1.1 ws-17\n\n# The following lines are desirable for IPv6 capable hosts\n"
      "::1     ip6-localhost ip6-loopback\nfe00::0 ip6-localnet\nff00::0 ip6-mcastprefix\n"
      "ff02::1 ip6-allnodes\nff02::2 ip6-allrouters\n";
  const std::string redHatHosts =
      "127.0.0.1   localhost localhost.localdomain localhost4 localhost4.localdomain4\n"
      "::1         localhost localhost.localdomain localhost6 localhost6.localdomain6\n";
  struct Case {
    const char* what;
    std::string hostname, hosts, dnsName, hostnameAfter, hostsAfter;
  };
  const std::vector<Case> cases = {
      {"Debian", "ws-17\n", debianHosts, "lab-pc-3.uni-falkenau.de", "lab-pc-3\n",
       "127.0.0.1\tlocalhost\n127.0.1.1\tlab-pc-3.uni-falkenau.de\tlab-pc-3\n\n"
       "# The following lines are desirable for IPv6 capable hosts\n"
       "::1     localhost ip6-localhost ip6-loopback\nff02::1 ip6-allnodes\nff02::2 ip6-allrouters\n"},
      {"Ubuntu", "ws-17\n", ubuntuHosts, "lab-pc-3.uni-falkenau.de", "lab-pc-3\n",
       "127.0.0.1 localhost\n127.0.1.1 lab-pc-3\n\n# The following lines are desirable for IPv6 capable hosts\n"
       "::1     ip6-localhost ip6-loopback\nfe00::0 ip6-localnet\nff00::0 ip6-mcastprefix\n"
       "ff02::1 ip6-allnodes\nff02::2 ip6-allrouters\n"},
      {"Red Hat: the static name is the full name", "ws-17.uni-falkenau.de\n", redHatHosts,
       "lab-pc-3.uni-falkenau.de", "lab-pc-3.uni-falkenau.de\n", redHatHosts},
      {"a PC that moved to another domain", "ws-17.uni-falkenau.de\n",
       "127.0.1.1 ws-17.uni-falkenau.de ws-17 loghost\n", "lab-pc-3.physik.uni-falkenau.de.",
       "lab-pc-3.physik.uni-falkenau.de\n", "127.0.1.1 lab-pc-3.physik.uni-falkenau.de lab-pc-3 loghost\n"},
      {"no domain in the PTR name: each full name keeps its own", "ws-17.uni-falkenau.de\n",
       "127.0.1.1 ws-17.uni-falkenau.de ws-17\n", "lab-pc-3", "lab-pc-3.uni-falkenau.de\n",
       "127.0.1.1 lab-pc-3.uni-falkenau.de lab-pc-3\n"},
      {"a full name too long for a static name", "ws-17.uni-falkenau.de\n", redHatHosts,
       "lab-pc-3." + std::string(60, 'd') + ".de", "lab-pc-3\n", redHatHosts},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RenameFiles files(c.hostname, c.hosts);
    PosixOs os(files.paths);
    EXPECT_EQ(os.SetComputerNameWithDnsName(kComputerNamePhysicalDnsHostname, "lab-pc-3", c.dnsName), 1);
    EXPECT_EQ(Slurp(files.paths.hostnameFile), c.hostnameAfter);
    EXPECT_EQ(Slurp(files.paths.hostsFile), c.hostsAfter);
  }
}

// A step that fails undoes the steps before it: both files stay byte for
// byte as they were, and the call reports the failure.
TEST(SetComputerNameExA, AllOrNothingWhenTheHostsFileCannotBeReplaced) {
  const std::string hostname = "ws-17 \n# written by the installer\n", hosts = "127.0.1.1\tws-17\n";
  RenameFiles files(hostname, hosts);
  // The hosts file behind a link into a directory this user may not write
  // to (root may; the namespace cases cover root with a read-only mount).
  fs::remove(files.paths.hostsFile);
  fs::create_directory(files.dir.path() / "etc-ro");
  std::string target = files.dir.File("etc-ro/hosts", hosts);
  ASSERT_EQ(::symlink(target.c_str(), files.paths.hostsFile.c_str()), 0);
  ASSERT_EQ(::chmod((files.dir.path() / "etc-ro").c_str(), 0555), 0);
  PosixOs os(files.paths);
  int result = os.SetComputerNameExA(kComputerNamePhysicalDnsHostname, "ws-18");
  ::chmod((files.dir.path() / "etc-ro").c_str(), 0755);
  if (::geteuid() == 0) {
    // root writes anywhere: the rename went through, through the link
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Slurp(target), "127.0.1.1\tws-18\n");
    return;
  }
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(os.RenameRefusedForRights()) << "this user may not write there";
  EXPECT_EQ(Slurp(files.paths.hostnameFile), hostname);
  EXPECT_EQ(Slurp(target), hosts);
}

TEST(SingleInstance, SecondClaimFindsTheLockTakenUntilTheFirstEnds) {
  TempDir dir;
  std::string lock = (dir.path() / "hostwarden.lock").string();
  {
    SingleInstance first(lock);
    EXPECT_FALSE(first.AnotherIsRunning());
    SingleInstance second(lock);
    EXPECT_TRUE(second.AnotherIsRunning());
    SingleInstance other(lock + "-other");
    EXPECT_FALSE(other.AnotherIsRunning());
  }
  SingleInstance again(lock);
  EXPECT_FALSE(again.AnotherIsRunning()) << "the lock ends with its holder; the file left behind holds nothing";
}

TEST(SingleInstance, ADeadHolderLeavesNoLock) {
  TempDir dir;
  std::string lock = (dir.path() / "hostwarden.lock").string();
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SingleInstance holder(lock);
    ::_exit(holder.AnotherIsRunning() ? 1 : 0);  // dies holding it, no destructor run
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  SingleInstance after(lock);
  EXPECT_FALSE(after.AnotherIsRunning());
}

// What another user could plant: a link to somewhere else, or a file of
// theirs, is never taken for a running instance.
TEST(SingleInstance, APlantedLinkOrAnotherUsersFileCountsAsFree) {
  TempDir dir;
  std::string target = dir.File("target", "");
  std::string link = (dir.path() / "link.lock").string();
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  SingleInstance holder(target);
  ASSERT_FALSE(holder.AnotherIsRunning());
  SingleInstance throughLink(link);
  EXPECT_FALSE(throughLink.AnotherIsRunning()) << "the link is not followed";
  if (::geteuid() == 0) {
    std::string theirs = dir.File("theirs.lock", "");
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    SingleInstance first(theirs), second(theirs);
    EXPECT_FALSE(second.AnotherIsRunning()) << "a file of another user's is never locked";
  }
  EXPECT_FALSE(IsPrivateDirectory(link, ::geteuid()));
  EXPECT_FALSE(IsPrivateDirectory("relative", ::geteuid()));
  EXPECT_TRUE(IsPrivateDirectory(dir.path().string(), ::geteuid()));
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  EXPECT_FALSE(IsPrivateDirectory(dir.path().string(), ::geteuid())) << "others may write there";
  ASSERT_EQ(::chmod(dir.path().c_str(), 0700), 0);
  EXPECT_FALSE(IsPrivateDirectory(dir.path().string(), ::geteuid() + 1)) << "another user's directory";
}

TEST(SingleInstance, RootsLockIsInRunOthersInTheirRuntimeDirectory) {
  if (::geteuid() == 0) {
    EXPECT_EQ(SingleInstance::DefaultLockFile(), "/run/hostwarden.lock");
    return;
  }
  std::string lock = SingleInstance::DefaultLockFile();
  if (!lock.empty()) {
    EXPECT_TRUE(IsPrivateDirectory(DirectoryOf(lock), ::geteuid())) << lock;
  }
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
      {"stub without its list: never the stub's cache", "nameserver 127.0.0.53\n", std::nullopt, ""},
      {"stub whose list is IPv6 only", "nameserver 127.0.0.53\n", "nameserver 2001:db8::53\n", ""},
      {"stub: the first IPv4 one of its list", "nameserver 127.0.0.53\n",
       "nameserver 2001:db8::53\nnameserver 198.51.100.1\n", "198.51.100.1"},
      {"IPv6 only", "nameserver 2001:db8::53\nnameserver 2001:db8::54\n", std::nullopt, ""},
      {"IPv6 first: the first IPv4 one", "nameserver 2001:db8::53\nnameserver 192.0.2.53\n", std::nullopt,
       "192.0.2.53"},
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
// sssd's configuration as realmd, ipa-client-install and administrators
// write it: only a domain whose identities come from a directory is a join.
// The files of a whole system, under a root of the test's own.
TEST(DirectoryDomainUnder, SssdFirstThenASambaJoinWhoseSecretsExist) {
  TempDir root;
  fs::create_directories(root.path() / "etc/sssd/conf.d");
  fs::create_directories(root.path() / "etc/samba");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), std::nullopt) << "empty directories";

  // The domains list in sssd.conf, the domain's section in a snippet: sssd
  // reads them as one configuration.
  root.File("etc/sssd/sssd.conf", "[sssd]\ndomains = local, ipa.example\n[domain/local]\nid_provider = files\n");
  root.File("etc/sssd/conf.d/README", "[domain/ipa.example]\nid_provider = ad\n");
  root.File("etc/sssd/conf.d/.50-ipa.conf", "[domain/ipa.example]\nid_provider = ad\n");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), std::nullopt) << "only *.conf not hidden counts in conf.d";
  root.File("etc/sssd/conf.d/40-old.conf", "[domain/old.example]\nid_provider = ad\n");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), std::nullopt) << "a section the domains list leaves out";
  root.File("etc/sssd/conf.d/50-ipa.conf", "[domain/ipa.example]\nid_provider = ipa\n");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), "ipa.example");
  fs::remove(root.path() / "etc/sssd/conf.d/50-ipa.conf");
  fs::remove(root.path() / "etc/sssd/conf.d/40-old.conf");

  fs::create_directories(root.path() / "etc/ipa");
  root.File("etc/ipa/default.conf", "[global]\nbasedn = dc=ipa,dc=example\ndomain = ipa.example\n");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), "ipa.example") << "FreeIPA's client configuration";
  fs::remove_all(root.path() / "etc/ipa");

  root.File("etc/samba/smb.conf", "[global]\nsecurity = ads\nrealm = CAMPUS.EXAMPLE\n");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), std::nullopt) << "configured, never joined";
  fs::create_directories(root.path() / "var/lib/samba/private");
  root.File("var/lib/samba/private/secrets.tdb", "TDB");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), "CAMPUS.EXAMPLE");

  root.File("etc/samba/smb.conf", "[global]\nsecurity = ads\nrealm = CAMPUS.EXAMPLE\nprivate dir = /elsewhere\n");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), std::nullopt) << "secrets looked for in the private dir";
  fs::create_directories(root.path() / "elsewhere");
  root.File("elsewhere/secrets.tdb", "TDB");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), "CAMPUS.EXAMPLE");

  // A domain controller holds the domain itself; it has no secrets.tdb.
  fs::remove_all(root.path() / "elsewhere");
  fs::remove_all(root.path() / "var/lib/samba");
  root.File("etc/samba/smb.conf", "[global]\nrealm = DC.EXAMPLE\nserver role = active directory domain controller\n");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), "DC.EXAMPLE");
}

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

  // pkexec runs only this program as the elevated copy, with a valid name:
  // nothing else is started as root.
  ShellExecuteInfo start;
  start.lpVerb = "runas";
  EXPECT_EQ(os.ShellExecuteExW(start), 0);
  start.lpFile = "/bin/sh";
  start.lpParameters = "/SetComputerName:ws-17";
  EXPECT_EQ(os.ShellExecuteExW(start), 0) << "another program";
  start.lpFile = std::filesystem::read_symlink("/proc/self/exe").string();
  start.lpParameters = "/SetComputerName:ws 17";
  EXPECT_EQ(os.ShellExecuteExW(start), 0) << "a name no computer may take";
  start.lpVerb = "open";
  start.lpParameters = "/SetComputerName:ws-17";
  EXPECT_EQ(os.ShellExecuteExW(start), 0) << "another verb";
  EXPECT_EQ(os.LastElevatedCopyEnd(), ElevatedCopyEnd::ShowsItsOwnMessage);

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

// Anyone but root renames from the windows through the copy that pkexec
// runs as root, so that only root's own writes ever rename; a script asks
// nobody for a password, and root needs no copy. Only root is an
// administrator, in the windows or not.
TEST(RenameRights, AnyoneButRootRenamesFromTheWindowsThroughTheCopy) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to compare both";
  struct Case { const char* who; bool root, windows; uint32_t elevation; bool administrator; };
  for (const Case& c : {Case{"root in the windows", true, true, kTokenElevationTypeDefault, true},
                        Case{"root's script", true, false, kTokenElevationTypeDefault, true},
                        Case{"nobody in the windows", false, true, kTokenElevationTypeLimited, false},
                        Case{"nobody's script", false, false, kTokenElevationTypeDefault, false}}) {
    SCOPED_TRACE(c.who);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      bool dropped = c.root || (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
      PosixOs os;
      if (c.windows) os.AllowInteractiveAuthorization();
      TokenHandle token;
      uint32_t kind = 0, returned = 0;
      bool read = os.OpenProcessToken(os.GetCurrentProcess(), kTokenRead, token) == 1 &&
                  os.GetTokenInformation(token, kTokenElevationType, kind, 4, returned) == 1;
      ::_exit(!dropped ? 2 : !read ? 3 : kind != c.elevation ? 4 : IsAdmin(os) != c.administrator ? 5 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not drop privileges; 3: no token; 4: elevation type; "
                                         "5: administrator";
  }
}

// Group 0 gives no right to rename the PC: only root.
TEST(IsAdmin, AGroupWithGidZeroAloneMakesNoMember) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to set the groups";
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    gid_t groups[] = {0};
    bool dropped = ::setgroups(1, groups) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
    PosixOs member;
    ::_exit(!dropped ? 2 : IsAdmin(member) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace hw::posix

namespace hw::posix {
namespace {

TEST(PolicyFile, MissingIsUnsetUnreadableIsSaidSo) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("hw-policy-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "a-directory");
  std::filesystem::permissions(dir, std::filesystem::perms(0755));
  const std::string file = (dir / "hostwarden.conf").string();
  std::ofstream(file) << "campusdomains = klinikum-falkenau.de\n";
  ::chmod(file.c_str(), 0644);
  auto setting = ReadPolicyFileSetting(file, "CampusDomains", ::geteuid());
  ASSERT_TRUE(setting) << "the key in any letter case";
  EXPECT_EQ(setting->source, "file");
  EXPECT_TRUE(setting->readable);
  EXPECT_EQ(setting->values, std::vector<std::string>{"klinikum-falkenau.de"});
  EXPECT_FALSE(ReadPolicyFileSetting(file, "DynamicPoolPrefixes", ::geteuid()));
  EXPECT_FALSE(ReadPolicyFileSetting((dir / "missing.conf").string(), "CampusDomains", ::geteuid()));
  auto unreadable = ReadPolicyFileSetting((dir / "a-directory").string(), "CampusDomains", ::geteuid());
  ASSERT_TRUE(unreadable);
  EXPECT_FALSE(unreadable->readable);
  EXPECT_EQ(unreadable->invalidReason, "");
  std::filesystem::remove_all(dir);
}

// The file is refused whole, for every setting, whether it names it or not.
TEST(PolicyFile, AFileAnotherCouldHaveWrittenOrOverTheLimitIsRefusedWhole) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("hw-trust-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "open");
  std::filesystem::permissions(dir, std::filesystem::perms(0755));
  std::filesystem::permissions(dir / "open", std::filesystem::perms(0777));
  const std::string line = "CampusDomains = klinikum-falkenau.de\n";
  // Exactly at the limit: read whole, the last line's value uncut.
  const std::string full = std::string(kLargestPolicyFile - line.size(), '#') + "\n" + line;
  struct Case {
    const char* name;
    std::string path, text;
    mode_t mode;
    const char* reason;  // nullptr: read as written
  };
  const std::vector<Case> cases = {
      {"group-writable", (dir / "a.conf").string(), line, 0664, kUntrustedPolicyFile},
      {"writable by anyone", (dir / "b.conf").string(), line, 0606, kUntrustedPolicyFile},
      {"in a directory anyone may write", (dir / "open" / "c.conf").string(), line, 0644, kUntrustedPolicyFile},
      {"one byte over the limit", (dir / "d.conf").string(), full + "\n", 0644, kPolicyFileTooLarge},
      {"at the limit", (dir / "e.conf").string(), full.substr(1), 0644, nullptr},
  };
  for (const auto& c : cases) {
    std::ofstream(c.path) << c.text;
    ::chmod(c.path.c_str(), c.mode);
    for (const char* name : {"CampusDomains", "DynamicPoolPrefixes"}) {
      auto setting = ReadPolicyFileSetting(c.path, name, ::geteuid());
      if (!c.reason) {
        if (std::string(name) == "CampusDomains") {
          ASSERT_TRUE(setting) << c.name;
          EXPECT_EQ(setting->values, std::vector<std::string>{"klinikum-falkenau.de"}) << c.name;
        }
        continue;
      }
      ASSERT_TRUE(setting) << c.name << " " << name;
      EXPECT_FALSE(setting->readable) << c.name;
      EXPECT_TRUE(setting->values.empty()) << c.name;
      EXPECT_EQ(setting->invalidReason, c.reason) << c.name;
    }
  }
  // Another user's file, however closed its mode (only root can give one away).
  if (::geteuid() == 0) {
    const std::string path = (dir / "f.conf").string();
    std::ofstream(path) << line;
    ::chmod(path.c_str(), 0644);
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    auto setting = ReadPolicyFileSetting(path, "CampusDomains", 0);
    ASSERT_TRUE(setting);
    EXPECT_EQ(setting->invalidReason, kUntrustedPolicyFile);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace hw::posix
