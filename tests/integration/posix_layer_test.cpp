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

#include "platform/posix/command_line.h"
#include "platform/posix/connection.h"
#include "platform/posix/directory_join.h"
#include "platform/posix/dns_status.h"
#include "platform/posix/files.h"
#include "platform/posix/host_rename.h"
#include "platform/posix/hosts_file.h"
#include "platform/posix/name_buffer.h"
#include "platform/posix/os_release.h"
#include "platform/posix/own_addresses.h"
#include "platform/posix/journal_verdict_log.h"
#include "platform/posix/policy_file.h"
#include "platform/posix/own_ipv6_addresses.h"
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

// The quiet mode's state crosses into the window module as a C record; every
// field must come back as it went, NULs of the service-pack buffer included.
TEST(ProgramStateRecord, CarriesTheStateIntoTheModuleUnchanged) {
  hw::ProgramState state;
  state.form1 = {{"lbl_System", "Linux 6.1 build 0 (Debian GNU/Linux 12)"},
                 {"cbo_IP", "198.51.100.9", {"192.0.2.7", "198.51.100.9"}, 1},
                 {"img_Warn", "", {}, -1, true, true},
                 {"cmd_Sync", "", {}, -1, false, false}};
  state.warningShown = true;
  state.members = {true, "Labor-PC3"};
  state.version = {148, 6, 1, 0, 3, "Debian\0"s + std::string(121, '\0')};
  state.values.ipv6.verdict = hw::CheckVerdict::Mismatch;
  state.values.ipv6.selectedAddress = "2001:db8::7";
  state.values.ipv6.dnsName = "pc-alt.uni-falkenau.de";
  hw::posix::ProgramStateRecord record(state);
  hw::ProgramState back = hw::posix::StateOf(*record.get());
  EXPECT_EQ(back.form1, state.form1);
  EXPECT_EQ(back.form1Visible, state.form1Visible);
  EXPECT_EQ(back.warningShown, state.warningShown);
  EXPECT_EQ(back.members.QuietMode, state.members.QuietMode);
  EXPECT_EQ(back.members.DnsShortName, state.members.DnsShortName);
  EXPECT_EQ(back.version.dwMajorVersion, 6u);
  EXPECT_EQ(back.version.dwMinorVersion, 1u);
  EXPECT_EQ(back.version.dwPlatformId, 3u);
  EXPECT_EQ(back.version.dwOSVersionInfoSize, 148u);
  EXPECT_EQ(back.version.szCSDVersion, state.version.szCSDVersion);
  // The IPv6 side, for the window run's log entry.
  EXPECT_EQ(back.values.ipv6.verdict, hw::CheckVerdict::Mismatch);
  EXPECT_EQ(back.values.ipv6.selectedAddress, "2001:db8::7");
  EXPECT_EQ(back.values.ipv6.dnsName, "pc-alt.uni-falkenau.de");

  HostwardenProgramState empty{};  // null pointers everywhere: an empty state, no crash
  EXPECT_TRUE(hw::posix::StateOf(empty).form1.empty());
  EXPECT_EQ(hw::posix::StateOf(empty).members.DnsShortName, "");
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

TEST(ConnectionFlagsOf, LanForTheDefaultRoutesInterfaceModemForPpp) {
  constexpr int kEther = 1, kLoopback = 772, kPpp = 512;
  constexpr bool kRoute = true;
  struct Case { const char* what; std::vector<InterfaceState> interfaces; uint32_t flags; };
  const std::vector<Case> cases = {
      {"nothing", {}, 0},
      {"loopback only", {{"lo", kLoopback, true, true, true}}, 0},
      {"loopback with the default route", {{"lo", kLoopback, true, true, true, kRoute}}, 0},
      {"ethernet with the default route",
       {{"lo", kLoopback, true, true, true}, {"eth0", kEther, true, false, true, kRoute}}, kConnectionLan},
      {"ethernet without a default route", {{"lo", kLoopback, true, true, true}, {"eth0", kEther, true, false, true}}, 0},
      {"the route on another interface",
       {{"eth0", kEther, true, false, true}, {"eth1", kEther, true, false, true, kRoute}}, kConnectionLan},
      {"ethernet down", {{"eth0", kEther, false, false, true, kRoute}}, 0},
      {"ethernet without IPv4", {{"eth0", kEther, true, false, false, kRoute}}, 0},
      {"ppp up", {{"ppp0", kPpp, true, false, true}}, kConnectionModem},
      {"ppp with the default route is no LAN", {{"ppp0", kPpp, true, false, true, kRoute}}, kConnectionModem},
      {"ppp type under another name", {{"wwan0", kPpp, true, false, false}}, kConnectionModem},
      {"ppp by name when sysfs is silent", {{"ppp1", -1, true, false, false}}, kConnectionModem},
      {"ppp and ethernet", {{"ppp0", kPpp, true, false, true}, {"eth0", kEther, true, false, true, kRoute}},
       kConnectionModem | kConnectionLan},
      {"loopback flag with unknown type", {{"lo2", -1, true, true, true, kRoute}}, 0},
      {"IPv6 only, with its default route", {{"eth0", kEther, true, false, false, false, true, kRoute}},
       kConnectionLan},
      {"IPv6 only, the IPv6 route elsewhere", {{"eth0", kEther, true, false, false, false, true, false}}, 0},
      {"the IPv6 route without an IPv6 address", {{"eth0", kEther, true, false, false, false, false, kRoute}}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ConnectionFlagsOf(c.interfaces), c.flags) << c.what;
}

TEST(DefaultRouteInterfaceOf, TheUpRouteToEverywhereOfLowestMetric) {
  const std::string head = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
  auto row = [](const char* name, const char* destination, const char* flags, const char* metric, const char* mask) {
    return std::string(name) + "\t" + destination + "\t010200C0\t" + flags + "\t0\t0\t" + metric + "\t" + mask +
           "\t0\t0\t0\n";
  };
  struct Case { const char* what; std::string table; std::string wanted; };
  const std::vector<Case> cases = {
      {"empty", "", ""},
      {"titles only", head, ""},
      {"no default route", head + row("eth0", "0002000C", "0001", "0", "00FFFFFF"), ""},
      {"one default route", head + row("eth0", "0002000C", "0001", "0", "00FFFFFF") + row("eth1", "00000000", "0003", "0", "00000000"), "eth1"},
      {"lowest metric wins", head + row("eth0", "00000000", "0003", "600", "00000000") + row("wlan0", "00000000", "0003", "100", "00000000"), "wlan0"},
      {"first of equal metrics", head + row("eth0", "00000000", "0003", "5", "00000000") + row("eth1", "00000000", "0003", "5", "00000000"), "eth0"},
      {"a route that is not up", head + row("eth0", "00000000", "0002", "0", "00000000"), ""},
      {"destination 0 with a mask is no default", head + row("eth0", "00000000", "0001", "0", "000000FF"), ""},
      {"garbage lines are skipped", head + "eth0 zz\n" + row("eth0", "0000000G", "0001", "0", "00000000") + row("eth2", "00000000", "0001", "x", "00000000") + row("eth3", "00000000", "0001", "1", "00000000"), "eth3"},
  };
  for (const auto& c : cases) EXPECT_EQ(DefaultRouteInterfaceOf(c.table), c.wanted) << c.what;
}

TEST(KernelIpv6AddressesOf, EachWellFormedLineWithItsFlags) {
  const char* table =
      "20010db8000000000000000000000007 03 40 00 80     lan0\n"
      "20010db800010000935df53c169bbd6e 03 40 00 01     lan0\n"
      "20010db8000000000000000000000008 03 40 00 a2     lan0\n"
      "2001 03 40 00 80 short\n"
      "20010db800000000000000000000000z 03 40 00 80 badhex\n"
      "\n";
  auto found = KernelIpv6AddressesOf(table);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].interface, "lan0");
  EXPECT_EQ(found[0].address.bytes[15], 7);
  EXPECT_EQ(found[1].flags, 0x01u);  // temporary
  EXPECT_EQ(found[2].flags, 0xa2u);  // deprecated among others
  // The flags become what Windows reports: a random suffix, a deprecated state.
  auto adapters = AdaptersOf(found, {{"lan0", {true}}}, {}, {});
  ASSERT_EQ(adapters.size(), 1u);
  EXPECT_EQ(adapters[0].UnicastAddresses[0].DadState, kIpDadStatePreferred);
  EXPECT_EQ(adapters[0].UnicastAddresses[1].SuffixOrigin, kIpSuffixOriginRandom);
  EXPECT_EQ(adapters[0].UnicastAddresses[2].DadState, kIpDadStateDeprecated);
}

TEST(Ipv6DefaultRouteOf, TheUpRouteToEverywhereOfLowestMetricNotTheRejectOnLo) {
  const std::string zero(32, '0'), hop = "fe800000000000000000000000000001";
  auto line = [&](const std::string& dest, const char* length, const std::string& next, const char* metric,
                  const char* flags, const char* dev) {
    return dest + " " + length + " " + zero + " 00 " + next + " " + metric + " 00000001 00000000 " + flags + " " + dev +
           "\n";
  };
  std::string table = line(zero, "00", zero, "ffffffff", "00200200", "lo") +                         // reject
                      line("20010db8000000000000000000000000", "40", zero, "00000100", "00000001", "lan0") +
                      line(zero, "00", hop, "00000400", "00000003", "lan1") +
                      line(zero, "00", hop, "00000200", "00000003", "lan0") +
                      line(zero, "00", hop, "00000100", "00000002", "down0");                          // not up
  auto route = Ipv6DefaultRouteOf(table);
  EXPECT_EQ(route.interface, "lan0");
  EXPECT_EQ(route.nextHop.bytes[0], 0xfe);
  EXPECT_EQ(Ipv6DefaultRouteOf("").interface, "");
}

TEST(AdapterTypeOf, TunnelsAreToldFromTheLan) {
  struct Case { const char* what; InterfaceKind kind; uint32_t type; };
  const std::vector<Case> cases = {
      {"ethernet", {true, false, false, 1}, kIfTypeEthernetCsmacd},
      {"loop-back", {true, true, false, 772}, kIfTypeSoftwareLoopback},
      {"ppp", {true, false, true, 512}, kIfTypePpp},
      {"WireGuard (no link layer)", {true, false, true, 0xFFFE}, kIfTypePropVirtual},
      {"tun device", {true, false, true, 0xFFFE, true}, kIfTypePropVirtual},
      {"tap device, looks like ethernet", {true, false, false, 1, true}, kIfTypePropVirtual},
      {"sit 6in4 tunnel", {true, false, false, 776}, kIfTypeTunnel},
      {"ip6tnl", {true, false, false, 769}, kIfTypeTunnel},
      {"some point-to-point link", {true, false, true, 1}, kIfTypeTunnel},
  };
  for (const auto& c : cases) EXPECT_EQ(AdapterTypeOf(c.kind), c.type) << c.what;
}

TEST(NameserversOf, EveryServerOfEitherFamilyInOrder) {
  auto servers = NameserversOf("# comment\nnameserver 2001:db8::53\nnameserver 192.0.2.53\n"
                               "nameserver fe80::1%lan0\nnameserver nonsense\nsearch example\n");
  ASSERT_EQ(servers.size(), 2u);
  EXPECT_EQ(servers[0].family, kAfInet6);
  EXPECT_EQ(servers[1].family, kAfInet);
}

TEST(OwnAddressesOf, InterfaceAddressesWithTheDefaultRoutesFirstLoopbackOnlyWhenNothingElse) {
  const InterfaceAddress lo{"lo", {127, 0, 0, 1}, true, true};
  const InterfaceAddress loServer{"lo", {192, 0, 2, 53}, true, true};
  const InterfaceAddress eth0{"eth0", {198, 51, 100, 2}, true, false};
  const InterfaceAddress eth1{"eth1", {192, 0, 2, 7}, true, false};
  const InterfaceAddress eth1Second{"eth1", {192, 0, 2, 8}, true, false};
  const InterfaceAddress down{"eth2", {203, 0, 113, 9}, false, false};
  const InterfaceAddress loopbackRange{"eth3", {127, 0, 1, 1}, true, false};
  using List = std::vector<Ipv4Address>;
  struct Case { const char* what; std::vector<InterfaceAddress> addresses; std::string route; List wanted; };
  const std::vector<Case> cases = {
      {"nothing at all", {}, "", {{127, 0, 0, 1}}},
      {"loopback only", {lo, loServer}, "", {{127, 0, 0, 1}}},
      {"one interface", {lo, eth1}, "eth1", {{192, 0, 2, 7}}},
      {"the default route's interface first", {lo, eth0, eth1}, "eth1", {{192, 0, 2, 7}, {198, 51, 100, 2}}},
      {"its addresses in their order", {eth0, eth1, eth1Second}, "eth1", {{192, 0, 2, 7}, {192, 0, 2, 8}, {198, 51, 100, 2}}},
      {"no default route: the system's order", {eth0, eth1}, "", {{198, 51, 100, 2}, {192, 0, 2, 7}}},
      {"a route through loopback changes nothing", {lo, eth0}, "lo", {{198, 51, 100, 2}}},
      {"down and 127/8 addresses do not count", {down, loopbackRange, eth0}, "eth2", {{198, 51, 100, 2}}},
      {"the same address twice is listed once", {eth0, eth0}, "eth0", {{198, 51, 100, 2}}},
  };
  for (const auto& c : cases) EXPECT_EQ(OwnAddressesOf(c.addresses, c.route), c.wanted) << c.what;
}

TEST(IsTunnelInterface, PointToPointTunAndPppButNeverANetworkCard) {
  struct Case { const char* what; bool pointToPoint; int type; bool tunnel; };
  for (const auto& c : {Case{"Ethernet", false, ARPHRD_ETHER, false},
                        Case{"tap (a VPN looking like Ethernet)", false, ARPHRD_ETHER, false},
                        Case{"loopback", false, ARPHRD_LOOPBACK, false},
                        Case{"type unknown", false, -1, false},
                        Case{"tun", true, ARPHRD_NONE, true},
                        Case{"WireGuard", true, ARPHRD_NONE, true},
                        Case{"tun without IFF_POINTOPOINT", false, ARPHRD_NONE, true},
                        Case{"PPP", true, ARPHRD_PPP, true},
                        Case{"ipip", false, ARPHRD_TUNNEL, true},
                        Case{"gre", false, ARPHRD_IPGRE, true},
                        Case{"sit", false, ARPHRD_SIT, true},
                        Case{"point-to-point of any other type", true, ARPHRD_ETHER, true}}) {
    EXPECT_EQ(IsTunnelInterface(c.pointToPoint, c.type), c.tunnel) << c.what;
  }
}

TEST(OwnAddressesOf, TunnelAddressesComeLastAndTheirDefaultRouteIsPassedOver) {
  InterfaceAddress eth0{"eth0", {192, 0, 2, 7}, true, false, false, ARPHRD_ETHER};
  InterfaceAddress eth1{"eth1", {198, 51, 100, 2}, true, false, false, ARPHRD_ETHER};
  InterfaceAddress tun0{"tun0", {203, 0, 113, 2}, true, false, true, ARPHRD_NONE};
  using List = std::vector<Ipv4Address>;
  EXPECT_EQ(OwnAddressesOf({tun0, eth1, eth0}, "eth0"), (List{{192, 0, 2, 7}, {198, 51, 100, 2}, {203, 0, 113, 2}}));
  EXPECT_EQ(OwnAddressesOf({tun0, eth1}, "tun0"), (List{{198, 51, 100, 2}, {203, 0, 113, 2}}));
  EXPECT_EQ(OwnAddressesOf({tun0}, "tun0"), (List{{203, 0, 113, 2}}));  // the check then finds only a VPN's
  EXPECT_EQ(TunnelInterfacesOf({eth0, tun0, tun0}), std::vector<std::string>{"tun0"});

  const std::string table =
      "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
      "tun0\t00000000\t00000000\t0001\t0\t0\t50\t00000000\t0\t0\t0\n"
      "eth1\t00000000\t010264C6\t0003\t0\t0\t200\t00000000\t0\t0\t0\n"
      "eth0\t00000000\t010200C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n";
  EXPECT_EQ(DefaultRouteInterfaceOf(table), "tun0");
  EXPECT_EQ(DefaultRouteInterfaceOf(table, {"tun0"}), "eth0");
  EXPECT_EQ(DefaultRouteInterfaceOf(table, {"tun0", "eth0", "eth1"}), "");
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

// A rename on files of a temporary directory, hostnamed out of the way.
struct RenameFiles {
  TempDir dir;
  SystemPaths paths;
  RenameFiles(const std::string& hostname, const std::string& hosts) {
    paths.hostnameFile = dir.File("hostname", hostname);
    paths.hostsFile = dir.File("hosts", hosts);
    paths.systemdRunning = (dir.path() / "no-systemd").string();
  }
};

TEST(SetComputerNameExA, WritesTheFileWhereHostnamedDoesNotRunAndRefusesBadNames) {
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
    os.NoteDnsName(c.dnsName);
    EXPECT_EQ(os.SetComputerNameExA(kComputerNamePhysicalDnsHostname, "lab-pc-3"), 1);
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

TEST(NewNamesAndStaticName, AFullNameStaysFullAShortOneShort) {
  struct Case { std::string dnsName, oldStatic, full, stored; };
  for (const auto& c : {Case{"lab-pc-3.uni-falkenau.de", "ws-17", "lab-pc-3.uni-falkenau.de", "lab-pc-3"},
                        Case{"lab-pc-3.uni-falkenau.de.", "ws-17.example", "lab-pc-3.uni-falkenau.de",
                             "lab-pc-3.uni-falkenau.de"},
                        Case{"lab-pc-3", "ws-17.example", "", "lab-pc-3.example"},
                        Case{"lab-pc-3.", "ws-17", "", "lab-pc-3"}, Case{"", "", "", "lab-pc-3"}}) {
    NewHostNames names = NewNamesFrom("lab-pc-3", c.dnsName);
    EXPECT_EQ(names.fullName, c.full) << c.dnsName;
    EXPECT_EQ(NewStaticName(c.oldStatic, names), c.stored) << c.dnsName << " " << c.oldStatic;
  }
  EXPECT_EQ(StaticNameIn(" ws-17.example \t\n# comment\n"), "ws-17.example");
  EXPECT_EQ(StaticNameIn("# only a comment\n"), "");
}

TEST(HostsTextRenamed, OnlyTheOldHostOnThe127011LineEverythingElseByteForByte) {
  const std::vector<std::string> old = {"ws-17"};
  const NewHostNames names{"ws-18", "ws-18.uni-falkenau.de"};
  struct Case { const char* what; std::string hosts; std::optional<std::string> renamed; };
  const std::vector<Case> cases = {
      {"Debian's two lines", "127.0.0.1\tlocalhost\n127.0.1.1\tws-17\n", "127.0.0.1\tlocalhost\n127.0.1.1\tws-18\n"},
      {"no 127.0.1.1 line: nothing added", "127.0.0.1 localhost\n192.0.2.7 ws-17\n", std::nullopt},
      {"the full name follows, aliases of other hosts stay",
       "127.0.1.1  ws-17.uni-falkenau.de\tws-17 alias loghost.example # ws-17\n",
       "127.0.1.1  ws-18.uni-falkenau.de\tws-18 alias loghost.example # ws-17\n"},
      {"the old host in another domain", "127.0.1.1 WS-17.Physik.example\n", "127.0.1.1 ws-18.uni-falkenau.de\n"},
      {"a name that only begins with the old one", "127.0.1.1 ws-170 ws-17x ws-170.example\n", std::nullopt},
      {"letter case of the old name ignored", "127.0.1.1 WS-17\n", "127.0.1.1 ws-18\n"},
      {"another address keeps the old name", "127.0.1.10 ws-17\n127.0.1.1 ws-17\n", "127.0.1.10 ws-17\n127.0.1.1 ws-18\n"},
      {"commented-out line", "#127.0.1.1 ws-17\n", std::nullopt},
      {"the name as address", "ws-17 127.0.1.1\n", std::nullopt},
      {"no newline at the end, CR LF kept", "::1 localhost\r\n127.0.1.1 ws-17", "::1 localhost\r\n127.0.1.1 ws-18"},
      {"CR after the name", "127.0.1.1 ws-17\r\n", "127.0.1.1 ws-18\r\n"},
      {"two 127.0.1.1 lines", "127.0.1.1 ws-17\n\n 127.0.1.1\tws-17\n", "127.0.1.1 ws-18\n\n 127.0.1.1\tws-18\n"},
      {"empty", "", std::nullopt},
      {"a NUL byte is kept", std::string("# \0\n127.0.1.1 ws-17\n", 20), std::string("# \0\n127.0.1.1 ws-18\n", 20)},
  };
  for (const auto& c : cases) EXPECT_EQ(HostsTextRenamed(c.hosts, old, names), c.renamed) << c.what;
  EXPECT_EQ(HostsTextRenamed("127.0.1.1 ws-18 ws-17\n", {"ws-18", "ws-17"}, {"ws-19", ""}), "127.0.1.1 ws-19 ws-19\n")
      << "the static name and the running one";
  EXPECT_EQ(HostsTextRenamed("127.0.1.1 ws-17\n", {"", "ws-17"}, {"ws-19", ""}), "127.0.1.1 ws-19\n");
  EXPECT_EQ(HostsTextRenamed("127.0.1.1 localhost.localdomain ws-17\n", {"ws-17", "localhost"}, {"ws-19", ""}),
            "127.0.1.1 localhost.localdomain ws-19\n")
      << "a running name of localhost renames no localhost alias";
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

TEST(ShortDistributionNameOf, NameWithoutTheWordLinuxAndTheVersionNumber) {
  struct Case { const char* text; const char* name; };
  for (const auto& c : {
           Case{"PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n", "Debian 12"},
           Case{"NAME=\"Ubuntu\"\nVERSION_ID=\"24.04\"\nPRETTY_NAME=\"Ubuntu 24.04.1 LTS\"\n", "Ubuntu 24.04"},
           Case{"NAME=\"Fedora Linux\"\nVERSION_ID=40\n", "Fedora 40"},
           Case{"NAME=\"Arch Linux\"\nPRETTY_NAME=\"Arch Linux\"\n", "Arch"},  // rolling: no version
           Case{"NAME=Linux\nVERSION_ID=1\n", "Linux 1"},                    // nothing left to cut to
           Case{"NAME=\"openSUSE Leap\"\nVERSION_ID=\"15.6\"\n", "openSUSE Leap 15.6"},
           Case{"PRETTY_NAME=\"Only Pretty 3\"\n", "Only Pretty 3"},         // no NAME: the pretty one
           Case{"NAMES=wrong\nNAME_X=wrong\nVERSION_IDS=9\nNAME=Right\n", "Right"},
           Case{"", ""},
       }) {
    EXPECT_EQ(ShortDistributionNameOf(c.text), c.name) << c.text;
  }
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
TEST(SssdDirectoryDomain, ADomainOfAdOrIpaOrOneRealmdJoined) {
  struct Case {
    const char* conf;
    std::optional<std::string> domain;
  } cases[] = {
      {"[sssd]\ndomains = campus.example\n[domain/campus.example]\nid_provider = ad\n", "campus.example"},
      {"[domain/ipa.example]\n  id_provider=IPA  \n", "ipa.example"},
      {"[domain/LOCAL]\nid_provider = files\n[domain/corp.example]\nid_provider = ad\n", "corp.example"},
      {"[domain/joined.example]\nrealmd_tags = manages-system joined-with-adcli\n", "joined.example"},
      {"[domain/ldap.example]\nid_provider = ldap\n", std::nullopt},
      {"[sssd]\nid_provider = ad\n", std::nullopt},  // not a domain section
      {"[domain/old.example]\n# id_provider = ad\n; id_provider = ipa\n", std::nullopt},
      {"id_provider = ad\n", std::nullopt},
      {"[domain/broken\nid_provider = ad\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(SssdDirectoryDomain(c.conf), c.domain) << c.conf;
}

TEST(ReadSambaMembership, SecurityRealmAndPrivateDirOfTheGlobalSectionOnly) {
  SambaMembership member = ReadSambaMembership(
      "[Global]\n   Security = ADS\n realm = CAMPUS.EXAMPLE\n  private dir = /srv/samba/private\n"
      "[homes]\nsecurity = user\n");
  EXPECT_TRUE(member.ads);
  EXPECT_EQ(member.realm, "CAMPUS.EXAMPLE");
  EXPECT_EQ(member.privateDir, "/srv/samba/private");
  EXPECT_FALSE(ReadSambaMembership("[global]\nsecurity = user\n").ads);
  EXPECT_FALSE(ReadSambaMembership("[global]\n;security = ads\n").ads);
  EXPECT_FALSE(ReadSambaMembership("[printers]\nsecurity = ads\n").ads);
  EXPECT_EQ(ReadSambaMembership("[global]\nprivatedir = /p\n").privateDir, "/p");
}

// The files of a whole system, under a root of the test's own.
TEST(DirectoryDomainUnder, SssdFirstThenASambaJoinWhoseSecretsExist) {
  TempDir root;
  fs::create_directories(root.path() / "etc/sssd/conf.d");
  fs::create_directories(root.path() / "etc/samba");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), std::nullopt) << "empty directories";

  root.File("etc/sssd/sssd.conf", "[domain/local]\nid_provider = files\n");
  root.File("etc/sssd/conf.d/README", "[domain/ignored.example]\nid_provider = ad\n");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), std::nullopt) << "only *.conf counts in conf.d";
  root.File("etc/sssd/conf.d/50-ipa.conf", "[domain/ipa.example]\nid_provider = ipa\n");
  EXPECT_EQ(DirectoryDomainUnder(root.path().string()), "ipa.example");
  fs::remove(root.path() / "etc/sssd/conf.d/50-ipa.conf");

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

// Group 0 gives no right to rename the PC: only root, or whom polkit lets.
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

TEST(AnswerInformationOption, HelpAndVersionAnswerFirstEverythingElseRunsAsUsual) {
  const struct {
    std::vector<std::string> arguments;
    std::optional<int> status;
    std::string output;
  } table[] = {
      {{"--version"}, 0, "hostwarden 1.2.0.0\n"},
      {{"--help"}, 0, UsageText()},
      {{"-Q", "--version", "--help"}, 0, "hostwarden 1.2.0.0\n"},  // the first one wins
      {{}, std::nullopt, ""},
      {{"-Q"}, std::nullopt, ""},
      {{"--report", "--json"}, std::nullopt, ""},
      {{"-version"}, std::nullopt, ""},
      {{"--Help"}, std::nullopt, ""},
  };
  for (const auto& row : table) {
    std::ostringstream out;
    EXPECT_EQ(AnswerInformationOption(row.arguments, out), row.status) << ::testing::PrintToString(row.arguments);
    EXPECT_EQ(out.str(), row.output) << ::testing::PrintToString(row.arguments);
  }
  EXPECT_NE(UsageText().find("--report [--json]"), std::string::npos);
}

TEST(PolicyFile, KeyEqualsValueListsWithComments) {
  using Settings = std::map<std::string, std::vector<std::string>>;
  struct Case { const char* text; Settings settings; };
  for (const auto& c : {
           Case{"CampusDomains = a.de, b.de\n", {{"CampusDomains", {"a.de", "b.de"}}}},
           Case{"  # a comment\nCampusDomains=a.de b.de\tc.de # and one here\r\n",
                {{"CampusDomains", {"a.de", "b.de", "c.de"}}}},
           Case{"CampusDomains =\n", {{"CampusDomains", {}}}},                // set, but empty
           Case{"CampusDomains a.de\n= b.de\n", {}},                       // no "=", no key: nothing
           Case{"X = 1\nX = 2", {{"X", {"2"}}}},                             // the last one holds
           Case{"# CampusDomains = a.de\n", {}},
       }) {
    EXPECT_EQ(ParsePolicyText(c.text), c.settings) << c.text;
  }
}

TEST(PolicyFile, MissingIsUnsetUnreadableIsSaidSo) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("hw-policy-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "a-directory");
  std::ofstream(dir / "hostwarden.conf") << "campusdomains = klinikum-falkenau.de\n";
  auto setting = ReadPolicyFileSetting((dir / "hostwarden.conf").string(), "CampusDomains");
  ASSERT_TRUE(setting) << "the key in any letter case";
  EXPECT_EQ(setting->source, "file");
  EXPECT_TRUE(setting->readable);
  EXPECT_EQ(setting->values, std::vector<std::string>{"klinikum-falkenau.de"});
  EXPECT_FALSE(ReadPolicyFileSetting((dir / "hostwarden.conf").string(), "DynamicPoolPrefixes"));
  EXPECT_FALSE(ReadPolicyFileSetting((dir / "missing.conf").string(), "CampusDomains"));
  auto unreadable = ReadPolicyFileSetting((dir / "a-directory").string(), "CampusDomains");
  ASSERT_TRUE(unreadable);
  EXPECT_FALSE(unreadable->readable);
  std::filesystem::remove_all(dir);
}

TEST(JournalDatagram, AValueWithALineBreakGoesWithItsLength) {
  std::string datagram = JournalDatagram({{"MESSAGE", "one line"}, {"HOSTWARDEN_DNS_NAME", "pc\nPRIORITY=0"}});
  std::string length("\x0d\0\0\0\0\0\0\0", 8);
  EXPECT_EQ(datagram, "MESSAGE=one line\nHOSTWARDEN_DNS_NAME\n" + length + "pc\nPRIORITY=0\n");
}

}  // namespace
}  // namespace hw::posix
