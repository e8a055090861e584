// The Linux layer's pure functions: what it makes of the texts it reads
// (routes, resolv.conf, os-release, hosts files), of c-ares' statuses and
// of the names it hands back the Windows way. Nothing here touches the
// system, so none of it needs a namespace.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <net/if_arp.h>

#include <ares.h>

#include <algorithm>
#include <cstdlib>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/posix/program/command_line.h"
#include "platform/posix/os/connection.h"
#include "platform/posix/os/directory_join.h"
#include "platform/posix/os/dns_status.h"
#include "platform/posix/os/hosts_file.h"
#include "platform/posix/program/journal_entry.h"
#include "platform/posix/os/name_buffer.h"
#include "platform/posix/os/os_release.h"
#include "platform/posix/os/host_rename.h"
#include "platform/posix/os/own_addresses.h"
#include "platform/posix/os/own_ipv6_addresses.h"
#include "platform/posix/os/policy.h"
#include "platform/posix/os/pkexec_copy.h"
#include "platform/posix/os/posix_os.h"
#include "platform/posix/program/program_state_abi.h"
#include "platform/posix/program/record_fields.h"
#include "platform/posix/os/resolv_conf.h"
#include "platform/posix/os/static_hostname.h"
#include "text/names.h"

using namespace std::string_literals;

namespace hw::posix {
namespace {

// The elevated copy runs as root: it takes a full name only when it is a
// host name whose first label is the name it sets.
TEST(PkexecCopy, TakesOnlyAFullNameOfTheHostItRenames) {
  struct Case { const char* argument; const char* shortName; std::optional<std::string> dnsName; };
  for (const Case& c : {Case{"/DnsName:labor-pc3.uni-falkenau.de", "labor-pc3", "labor-pc3.uni-falkenau.de"},
                        Case{"/DnsName:LABOR-PC3.Uni-Falkenau.de", "labor-pc3", "LABOR-PC3.Uni-Falkenau.de"},
                        Case{"/DnsName:other.uni-falkenau.de", "labor-pc3", std::nullopt},
                        Case{"/DnsName:labor-pc3", "labor-pc3", std::nullopt},
                        Case{"/DnsName:labor-pc3.", "labor-pc3", std::nullopt},
                        Case{"/DnsName:labor-pc3.uni falkenau.de", "labor-pc3", std::nullopt},
                        Case{"/DnsName:labor-pc3.uni-falkenau.de\n127.0.0.1 x", "labor-pc3", std::nullopt},
                        Case{"/DnsName:labor-pc3..de", "labor-pc3", std::nullopt},
                        Case{"/dnsname:labor-pc3.uni-falkenau.de", "labor-pc3", std::nullopt},
                        Case{"/DnsName:", "labor-pc3", std::nullopt},
                        Case{"--DnsName=labor-pc3.uni-falkenau.de", "labor-pc3", std::nullopt}}) {
    EXPECT_EQ(DnsNameFromArgument(c.argument, c.shortName), c.dnsName) << c.argument;
  }
  const std::string longDomain = "labor-pc3." + std::string(250, 'a') + ".de";
  EXPECT_EQ(DnsNameFromArgument(DnsNameArgument(longDomain), "labor-pc3"), std::nullopt) << "longer than a host name";
}

// pkexec gets the program and the copy's arguments, nothing else; a DNS name
// of another host, or none with a domain, adds no full name.
TEST(PkexecCopy, StartsTheProgramWithTheValidatedNamesOnly) {
  const std::string program = "/usr/bin/hostwarden";
  struct Case { const char* dnsName; std::vector<std::string> command; };
  for (const Case& c : {
           Case{"labor-pc3.uni-falkenau.de.", {kPkexec, program, "/SetComputerName:labor-pc3",
                                               "/DnsName:labor-pc3.uni-falkenau.de"}},
           Case{"labor-pc3.uni-falkenau.de", {kPkexec, program, "/SetComputerName:labor-pc3",
                                              "/DnsName:labor-pc3.uni-falkenau.de"}},
           Case{"labor-pc3", {kPkexec, program, "/SetComputerName:labor-pc3"}},
           Case{"", {kPkexec, program, "/SetComputerName:labor-pc3"}},
           Case{"ws-17.uni-falkenau.de", {kPkexec, program, "/SetComputerName:labor-pc3"}}}) {
    EXPECT_EQ(PkexecCommand(program, "labor-pc3", c.dnsName), c.command) << c.dnsName;
  }
}

// 126 and 127 are pkexec's own: the password was refused or dismissed, or
// polkit does not let the user; the copy itself exits 0 only once the name is set.
TEST(PkexecCopy, TellsARefusalFromTheCopysOutcome) {
  struct Case { int status; std::optional<ElevatedCopyEnd> end; };
  for (const Case& c : {Case{0, ElevatedCopyEnd::NameSet}, Case{1, ElevatedCopyEnd::NameNotSet},
                        Case{2, ElevatedCopyEnd::NameNotSet}, Case{126, std::nullopt}, Case{127, std::nullopt},
                        Case{-1, std::nullopt}}) {
    EXPECT_EQ(CopyEndOfPkexecStatus(c.status), c.end) << c.status;
  }
}

// The quiet mode's state crosses into the window module as bytes; the whole
// state must come back as it went, NULs of the service-pack buffer, the PTR
// names, the IPv6 side and the policy included.
TEST(ProgramStateRecord, CarriesTheWholeStateIntoTheModuleUnchanged) {
  hw::ProgramState full;
  full.form1 = {{"lbl_System", "Linux 6.1 build 0 (Debian GNU/Linux 12)"},
                {"cbo_IP", "198.51.100.9", {"192.0.2.7", "198.51.100.9"}, 1},
                {"img_Warn", "", {}, -1, true, true},
                {"cmd_Sync", "", {}, -1, false, false}};
  full.form1Visible = true;
  full.warningShown = true;
  full.members = {true, "Labor-PC3"};
  full.version = {148, 6, 1, 0, 3, "Debian\0"s + std::string(121, '\0')};
  hw::StartupValues& v = full.values;
  v = {0x12, true, true, "LABOR-PC3", "labor-pc3", "192.0.2.53", {"pc-1.uni-falkenau.de", "Pc-2.uni-falkenau.de"},
       "pc-1.uni-falkenau.de", "192.0.2.7", true, hw::LookupFailure::DnsServerFailure,
       hw::NameCheckExemption::DynamicPoolName, hw::CheckVerdict::Mismatch, true};
  v.ipv6 = {true, {"2001:db8::7", "2001:db8::8"}, "2001:db8::7", "2001:db8::53", true, {"pc-alt.uni-falkenau.de"},
            "pc-alt.uni-falkenau.de", true, hw::NameCheckExemption::NoLan, hw::CheckVerdict::Agree, true};
  full.policy.lists = hw::CampusLists({"uni-falkenau.de", "klinikum-falkenau.de"}, {"dhcp", "vpn-"});
  full.policy.domainsSource = "file";
  full.policy.invalid = {"untrusted-file"};
  for (const hw::ProgramState& state : {full, hw::ProgramState{}}) {
    hw::posix::ProgramStateRecord record(state);
    EXPECT_EQ(hw::posix::StateOf(*record.get()), state);
  }
  HostwardenProgramState empty{};  // no bytes at all: the empty state, no crash
  EXPECT_EQ(hw::posix::StateOf(empty), hw::ProgramState{});
}

// The walk that carries the state needs no list of fields: each field of a
// record it has never seen is visited once, in order, whatever its kind
// (texts and lists, which brace initialisation could count twice, included).
TEST(ForEachField, VisitsEveryFieldOfAPlainRecordOnceInOrder) {
  struct Inner {
    int n = 7;
  };
  struct Record {
    bool flag = true;
    std::string text = "pc-1";
    std::vector<std::string> names{"a", "b"};
    hw::CheckVerdict verdict = hw::CheckVerdict::Agree;
    Inner inner;
    uint32_t last = 9;
  } record;
  std::vector<std::string> seen;
  hw::posix::ForEachField(record, [&](auto& field) {
    using Field = std::remove_cvref_t<decltype(field)>;
    if constexpr (std::is_same_v<Field, std::string>)
      seen.push_back("text " + field);
    else if constexpr (std::is_same_v<Field, std::vector<std::string>>)
      seen.push_back("list of " + std::to_string(field.size()));
    else if constexpr (std::is_same_v<Field, Inner>)
      seen.push_back("record " + std::to_string(field.n));
    else
      seen.push_back("number " + std::to_string(static_cast<long long>(field)));
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"number 1", "text pc-1", "list of 2", "number 3", "record 7", "number 9"}));
}

// Bytes from another build are refused with a message, never misread.
TEST(ProgramStateRecord, BytesCutShortOrTooLongAreRefused) {
  hw::ProgramState state;
  state.values.ptrNames = {"pc-1.uni-falkenau.de"};
  const std::string bytes = hw::posix::SerialisedState(state);
  for (std::size_t cut : {std::size_t{1}, std::size_t{8}, bytes.size() / 2, bytes.size() - 1})
    EXPECT_THROW(hw::posix::DeserialisedState(std::string_view(bytes).substr(0, cut)),
                 hw::posix::StateRecordError) << cut;
  EXPECT_THROW(hw::posix::DeserialisedState(bytes + "x"), hw::posix::StateRecordError);
  std::string hugeCount(8, '\xff');  // a first list claiming more entries than there are bytes
  EXPECT_THROW(hw::posix::DeserialisedState(hugeCount + bytes), hw::posix::StateRecordError);
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

TEST(AdaptersOf, AnAddressNotYetOrNeverConfirmedUniqueIsNotThePcs) {
  struct Case { const char* flags; bool listed; };
  const std::vector<Case> cases = {
      {"80", true},   // permanent
      {"00", true},   // from router advertisements
      {"c0", false},  // tentative: duplicate detection still runs
      {"c4", false},  // optimistic: used before duplicate detection is through
      {"04", false},
      {"c8", false},  // duplicate detection failed: another host holds it
      {"88", false},
      {"82", true},   // no duplicate detection wanted (nodad)
  };
  for (const auto& c : cases) {
    auto found = KernelIpv6AddressesOf("20010db8000000000000000000000007 03 40 00 "s + c.flags + " lan0\n");
    ASSERT_EQ(found.size(), 1u) << c.flags;
    auto adapters = AdaptersOf(found, {{"lan0", {true}}}, {}, {});
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0].UnicastAddresses.size(), c.listed ? 1u : 0u) << c.flags;
  }
}

TEST(Ipv6DefaultRouteAmong, TheMainTablesLiveUnicastRouteToEverywhereOfLowestMetric) {
  const std::array<uint8_t, 16> everywhere{}, documentation{0x20, 0x01, 0x0d, 0xb8};
  const SocketAddress hop{kAfInet6, {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}};
  auto route = [&](uint32_t table, uint8_t type, uint8_t length, const std::array<uint8_t, 16>& destination,
                   const char* interface, uint32_t metric, bool dead = false) {
    return KernelIpv6Route{table, type, length, destination, dead, interface, hop, metric};
  };
  constexpr uint32_t kMain = 254, kLocal = 255, kVpn = 100;
  constexpr uint8_t kUnicast = 1, kUnreachable = 7;
  struct Case { const char* what; std::vector<KernelIpv6Route> routes; const char* interface; };
  const std::vector<Case> cases = {
      {"none", {}, ""},
      {"one", {route(kMain, kUnicast, 0, everywhere, "lan0", 1024)}, "lan0"},
      {"lowest metric wins", {route(kMain, kUnicast, 0, everywhere, "lan1", 1024),
                              route(kMain, kUnicast, 0, everywhere, "lan0", 512)}, "lan0"},
      {"first of equal metrics", {route(kMain, kUnicast, 0, everywhere, "lan1", 5),
                                  route(kMain, kUnicast, 0, everywhere, "lan0", 5)}, "lan1"},
      {"another table's route, even of lower metric", {route(kVpn, kUnicast, 0, everywhere, "vpn0", 1),
                                                       route(kMain, kUnicast, 0, everywhere, "lan0", 1024)}, "lan0"},
      {"only another table's", {route(kVpn, kUnicast, 0, everywhere, "lan0", 1)}, ""},
      {"the local table's", {route(kLocal, kUnicast, 0, everywhere, "lan0", 1)}, ""},
      {"a network route is no default", {route(kMain, kUnicast, 64, documentation, "lan0", 1)}, ""},
      {"length 0 to somewhere is no default", {route(kMain, kUnicast, 0, documentation, "lan0", 1)}, ""},
      {"the kernel's unreachable route on lo", {route(kMain, kUnreachable, 0, everywhere, "lo", 0xffffffff)}, ""},
      {"a route through lo", {route(kMain, kUnicast, 0, everywhere, "lo", 1)}, ""},
      {"a dead next hop", {route(kMain, kUnicast, 0, everywhere, "lan1", 1, true),
                           route(kMain, kUnicast, 0, everywhere, "lan0", 9)}, "lan0"},
      {"an interface that is gone", {route(kMain, kUnicast, 0, everywhere, "", 1)}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Ipv6DefaultRouteAmong(c.routes).interface, c.interface) << c.what;
  EXPECT_EQ(Ipv6DefaultRouteAmong({route(kMain, kUnicast, 0, everywhere, "lan0", 1)}).nextHop.bytes[0], 0xfe);
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
                        Case{ARES_ETIMEOUT, 1460}, Case{ARES_ECONNREFUSED, 10061}, Case{ARES_ECANCELLED, 1460},
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

TEST(StaticNameIn, TheFirstLineThatIsNeitherBlankNorAComment) {
  struct Case { const char* text; const char* name; };
  const std::vector<Case> cases = {
      {"ws-17\n", "ws-17"},
      {"ws-17", "ws-17"},                                           // no final newline
      {"# written by the installer\nws-17.uni-falkenau.de\n", "ws-17.uni-falkenau.de"},  // stays full
      {"\n\n  \t\nws-17\n", "ws-17"},
      {"#a\n  # indented comment\n\n ws-17 \r\n# after\nother\n", "ws-17"},
      {"ws-17\nws-18\n", "ws-17"},                                 // the first name only
      {"# only comments\n#\n", ""},
      {"\n \n", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StaticNameIn(c.text), c.name) << ::testing::PrintToString(c.text);
}

TEST(SssdDirectoryDomain, ADomainOfAdOrIpaOrOneRealmdJoined) {
  struct Case {
    const char* conf;
    std::optional<std::string> domain;
  } cases[] = {
      {"[sssd]\ndomains = campus.example\n[domain/campus.example]\nid_provider = ad\n", "campus.example"},
      {"[sssd]\ndomains=ipa.example\n[domain/ipa.example]\n  id_provider=IPA  \n", "ipa.example"},
      {"[sssd]\ndomains = LOCAL , corp.example\n[domain/LOCAL]\nid_provider = files\n[domain/corp.example]\n"
       "id_provider = ad\n", "corp.example"},
      {"[domain/joined.example]\nrealmd_tags = manages-system joined-with-adcli\n[sssd]\ndomains = joined.example\n",
       "joined.example"},
      {"[sssd]\ndomains = ldap.example\n[domain/ldap.example]\nid_provider = ldap\n", std::nullopt},
      // Sections the list does not name are left over from an old join.
      {"[domain/ipa.example]\nid_provider = ipa\n", std::nullopt},
      {"[sssd]\ndomains = LOCAL\n[domain/LOCAL]\nid_provider = files\n[domain/old.example]\nid_provider = ad\n",
       std::nullopt},
      {"[sssd]\ndomains =\n[domain/old.example]\nid_provider = ad\n", std::nullopt},
      {"[sssd]\ndomains = old\n[domain/old.example]\nid_provider = ad\n", std::nullopt},  // no such section
      // enabled overrides the list both ways.
      {"[domain/new.example]\nid_provider = ad\nenabled = True\n", "new.example"},
      {"[sssd]\ndomains = off.example\n[domain/off.example]\nid_provider = ad\nenabled = false\n", std::nullopt},
      {"[sssd]\nid_provider = ad\n", std::nullopt},  // not a domain section
      {"[domain/old.example]\n# id_provider = ad\n; id_provider = ipa\n", std::nullopt},
      {"id_provider = ad\n", std::nullopt},
      {"[domain/broken\nid_provider = ad\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(SssdDirectoryDomain(c.conf), c.domain) << c.conf;
}

TEST(SssdDirectoryDomain, SnippetsMergeWithTheMainFileLaterValuesWinning) {
  struct Case {
    std::vector<std::string> texts;
    std::optional<std::string> domain;
  } cases[] = {
      {{"[sssd]\ndomains = campus.example\n", "[domain/campus.example]\nid_provider = ad\n"}, "campus.example"},
      {{"[domain/campus.example]\nid_provider = ad\n", "[sssd]\ndomains = campus.example\n"}, "campus.example"},
      {{"[sssd]\ndomains = campus.example\n[domain/campus.example]\nid_provider = ad\n",
        "[domain/campus.example]\nid_provider = ldap\n"}, std::nullopt},       // the snippet's provider wins
      {{"[sssd]\ndomains = a.example\n[domain/b.example]\nid_provider = ad\n", "[sssd]\ndomains = b.example\n"},
       "b.example"},                                                             // so does its list
      {{"[sssd]\ndomains = a.example\n", "[domain/a.example]\nid_provider = ad\n", "[domain/a.example]\nenabled = 0\n"},
       "a.example"},                                       // only "false" or "no" disables
  };
  for (const auto& c : cases) EXPECT_EQ(SssdDirectoryDomain(c.texts), c.domain) << ::testing::PrintToString(c.texts);
}

TEST(IsSssdSnippetName, NamesEndingInConfNotHidden) {
  for (const char* name : {"50-ad.conf", "a.conf", "x.y.conf"}) EXPECT_TRUE(IsSssdSnippetName(name)) << name;
  for (const char* name : {".50-ad.conf", ".conf", "conf", "ad.conf.bak", "ad.conf~", "README", "", "ad.CONF"})
    EXPECT_FALSE(IsSssdSnippetName(name)) << name;
}

TEST(ReadSambaMembership, EveryDomainControllerRoleSambaTakes) {
  struct Case { const char* role; bool controller; };
  const std::vector<Case> cases = {
      {"active directory domain controller", true}, {"Active Directory Domain Controller", true},
      {"domain controller", true}, {"dc", true}, {"DC", true},
      {"classic primary domain controller", true}, {"classic backup domain controller", true},
      {"member server", false}, {"standalone server", false}, {"standalone", false}, {"member", false},
      {"auto", false}, {"", false}, {"dc2", false},
  };
  for (const auto& c : cases) {
    for (const char* key : {"server role", "ServerRole", "server  role"}) {
      std::string conf = "[global]\n"s + key + " = " + c.role + "\n";
      EXPECT_EQ(ReadSambaMembership(conf).domainController, c.controller) << conf;
    }
    EXPECT_FALSE(ReadSambaMembership("[share]\nserver role = "s + c.role + "\n").domainController) << c.role;
  }
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

TEST(PolicyFile, KeyEqualsValueListsWithComments) {
  using Settings = std::map<std::string, std::vector<std::string>>;
  struct Case { const char* text; Settings settings; };
  for (const auto& c : {
           Case{"CampusDomains = a.de, b.de\n", {{"campusdomains", {"a.de", "b.de"}}}},
           Case{"  # a comment\nCampusDomains=a.de b.de\tc.de # and one here\r\n",
                {{"campusdomains", {"a.de", "b.de", "c.de"}}}},
           Case{"CampusDomains =\n", {{"campusdomains", {}}}},                // set, but empty
           Case{"CampusDomains a.de\n= b.de\n", {}},                       // no "=", no key: nothing
           Case{"X = 1\nX = 2", {{"x", {"2"}}}},                             // the last one holds
           Case{"# CampusDomains = a.de\n", {}},
           // Keys ignore letter case, and the last line wins whichever spelling it has.
           Case{"campusdomains = evil.de\nCampusDomains = a.de\n", {{"campusdomains", {"a.de"}}}},
           Case{"CampusDomains = a.de\nCAMPUSDOMAINS = evil.de\n", {{"campusdomains", {"evil.de"}}}},
           // A byte-order mark (as Windows editors write) is no part of the first key.
           Case{"\xEF\xBB\xBF" "CampusDomains = a.de\n", {{"campusdomains", {"a.de"}}}},
       }) {
    EXPECT_EQ(ParsePolicyText(c.text), c.settings) << c.text;
  }
}

TEST(PolicyFile, TrustedOnlyWhenTheOwnerAloneMayWrite) {
  struct Case { uid_t owner; mode_t mode; bool trusted; };
  for (const auto& c : {Case{0, 0644, true}, Case{0, 0600, true}, Case{0, 0444, true},
                        Case{1000, 0644, false},   // another user's file
                        Case{0, 0664, false},      // group-writable
                        Case{0, 0646, false},      // anyone may write
                        Case{0, 0100644, true}}) {  // the file-type bits count for nothing
    EXPECT_EQ(IsTrustedPolicyMode(c.owner, c.mode, 0), c.trusted) << c.owner << " " << std::oct << c.mode;
  }
}

// The journal drops a datagram over its socket's limit (and the syslog
// socket one over its own): an answer of thousands of the longest names
// still fits, with their count.
TEST(JournalDatagram, AnAnswerOfThousandsOfNamesStillFitsTheSocket) {
  std::vector<std::string> answer;
  for (int i = 0; i < 5000; ++i) answer.push_back(std::to_string(i) + "." + std::string(250, 'x'));
  report::VerdictEntry entry;
  entry.verdict = CheckVerdict::NotApplicable;
  report::AddDetails(entry, NameCheckExemption::OutsideCampus, answer, CampusPolicy{});
  std::string datagram = JournalDatagram(JournalFieldsOf(entry, 6));
  EXPECT_LT(datagram.size(), 64u * 1024) << "the least a datagram socket takes without raising its buffers";
  EXPECT_NE(datagram.find("\nHOSTWARDEN_PTR_NAME_COUNT=5000\n"), std::string::npos);
  EXPECT_NE(datagram.find("\nHOSTWARDEN_PTR_NAME=9." + std::string(250, 'x') + "\n"), std::string::npos);
  EXPECT_EQ(datagram.find("HOSTWARDEN_PTR_NAME=10."), std::string::npos);
}

TEST(JournalDatagram, AValueWithALineBreakGoesWithItsLength) {
  std::string datagram = JournalDatagram({{"MESSAGE", "one line"}, {"HOSTWARDEN_DNS_NAME", "pc\nPRIORITY=0"}});
  std::string length("\x0d\0\0\0\0\0\0\0", 8);
  EXPECT_EQ(datagram, "MESSAGE=one line\nHOSTWARDEN_DNS_NAME\n" + length + "pc\nPRIORITY=0\n");
}

// The messages' language comes from the locale variables of the program's
// own environment, by name; the rule itself is the core's.
TEST(UserLanguage, ReadsTheLocaleVariablesOfTheEnvironment) {
  const char* names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  std::map<std::string, std::optional<std::string>> saved;
  for (const char* name : names) {
    const char* value = std::getenv(name);
    saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
    ::unsetenv(name);
  }
  PosixOs os;
  EXPECT_EQ(os.GetUserDefaultUILanguage(), 0);  // nothing set: C
  ::setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_EQ(os.GetUserDefaultUILanguage(), 0x0409);
  ::setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
  EXPECT_EQ(os.GetUserDefaultUILanguage(), 0x0407);
  ::setenv("LANGUAGE", "en", 1);
  EXPECT_EQ(os.GetUserDefaultUILanguage(), 0x0409);
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(os.GetUserDefaultUILanguage(), 0);
  for (const auto& [name, value] : saved) {
    if (value) ::setenv(name.c_str(), value->c_str(), 1);
    else ::unsetenv(name.c_str());
  }
}

}  // namespace
}  // namespace hw::posix
