#include <gtest/gtest.h>

#include "report/report.h"
#include "report/report_mode.h"
#include "report/verdict_log.h"
#include "resolve/ip_address_text.h"
#include "resolve/ipv6_configuration.h"
#include "resolve/ipv6_reverse_query.h"
#include "support/fake_os.h"
#include "interfaces/headless/headless_forms.h"
#include "ui/program.h"

namespace hw {
namespace {

using report::Report;
using report::RunStartupCheck;

SocketAddress V6(const char* text) { return *ParseAddress(text); }

TEST(AddressText, WritesTheShortestFormAndReadsEveryForm) {
  struct Case { const char* in; const char* out; };
  const Case cases[] = {
      {"2001:0db8:0000:0000:0000:0000:0000:0007", "2001:db8::7"},
      {"2001:DB8::7", "2001:db8::7"},
      {"::", "::"},
      {"::1", "::1"},
      {"2001:db8::", "2001:db8::"},
      {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},  // one zero group stays
      {"2001:0:0:1:0:0:0:1", "2001:0:0:1::1"},           // the longer run is shortened
      {"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},     // the first of equal runs
      {"::ffff:192.0.2.7", "::ffff:192.0.2.7"},
      {"192.0.2.7", "192.0.2.7"},
  };
  for (const auto& c : cases) {
    auto parsed = ParseAddress(c.in);
    ASSERT_TRUE(parsed) << c.in;
    EXPECT_EQ(AddressText(*parsed), c.out) << c.in;
  }
}

TEST(AddressText, RefusesWhatIsNoAddress) {
  for (const char* text : {"", ":", ":::", "1::2::3", "12345::1", "2001:db8::g", "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7",
                           "1:2:3:4:5:6:7::8", "192.0.2", "192.0.2.256", "192.0.2.7.", "::192.0.2", "fe80::1%eth0"}) {
    EXPECT_FALSE(ParseAddress(text)) << text;
  }
  EXPECT_FALSE(ParseAddress(std::string("2001:db8::7\0", 12)));
  EXPECT_TRUE(IsIpv6Text("2001:db8::7"));
  EXPECT_FALSE(IsIpv6Text("192.0.2.7"));
}

TEST(Ipv6ReverseName, NibblesInReverseOrderUnderIp6Arpa) {
  EXPECT_EQ(Ipv6ReverseName(V6("2001:db8::7")),
            "7.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa");
  EXPECT_EQ(Ipv6ReverseName(V6("2001:db8:1:2:3:4:5:abcd")),
            "d.c.b.a.5.0.0.0.4.0.0.0.3.0.0.0.2.0.0.0.1.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa");
}

AdapterUnicastAddress Stable(const char* address) { return {V6(address), 0, kIpDadStatePreferred}; }

AdapterAddresses Lan(std::vector<AdapterUnicastAddress> addresses, bool defaultRoute = true,
                     std::vector<SocketAddress> servers = {V6("2001:db8::53")}) {
  AdapterAddresses adapter;
  adapter.AdapterName = "lan0";
  adapter.UnicastAddresses = std::move(addresses);
  adapter.DnsServerAddresses = std::move(servers);
  if (defaultRoute) adapter.GatewayAddresses = {V6("fe80::1")};
  return adapter;
}

TEST(Ipv6ConfigurationOf, TakesStableGlobalAddressesOfTheDefaultRouteAdapter) {
  AdapterAddresses vpn = Lan({Stable("2001:db8:ff::1")}, true, {V6("2001:db8:ff::53")});
  vpn.IfType = kIfTypePropVirtual;
  AdapterAddresses down = Lan({Stable("2001:db8:dd::1")}, false);
  down.OperStatus = 2;
  AdapterAddresses other = Lan({Stable("2001:db8:2::7")}, false, {});
  struct Case {
    const char* name;
    std::vector<AdapterAddresses> adapters;
    std::vector<std::string> addresses;
    std::string selected, server;
  };
  const std::vector<Case> cases = {
      {"one stable address", {Lan({Stable("2001:db8::7")})}, {"2001:db8::7"}, "2001:db8::7", "2001:db8::53"},
      {"temporary, deprecated, link-local and loop-back skipped",
       {Lan({{V6("2001:db8::1234"), kIpSuffixOriginRandom, kIpDadStatePreferred},
             {V6("2001:db8::8"), 0, kIpDadStateDeprecated}, Stable("fe80::7"), Stable("::1"), Stable("2001:db8::7")})},
       {"2001:db8::7"}, "2001:db8::7", "2001:db8::53"},
      {"tentative and duplicate addresses are not the PC's",
       {Lan({{V6("2001:db8::5"), 0, kIpDadStateTentative}, {V6("2001:db8::6"), 0, kIpDadStateDuplicate},
             Stable("2001:db8::7")})},
       {"2001:db8::7"}, "2001:db8::7", "2001:db8::53"},
      {"only a temporary address: nothing to look up",
       {Lan({{V6("2001:db8::1234"), kIpSuffixOriginRandom, kIpDadStatePreferred}})}, {}, "", "2001:db8::53"},
      {"a tunnel with a default route is not the way", {vpn, Lan({Stable("2001:db8::7")})}, {"2001:db8::7"},
       "2001:db8::7", "2001:db8::53"},
      {"the default-route adapter comes first", {other, Lan({Stable("2001:db8::7")})},
       {"2001:db8::7", "2001:db8:2::7"}, "2001:db8::7", "2001:db8::53"},
      {"no default route: listed, nothing selected", {Lan({Stable("2001:db8::7")}, false)}, {"2001:db8::7"}, "",
       "2001:db8::53"},
      {"an adapter that is down", {down}, {}, "", ""},
      {"an IPv4 server first is the server", {Lan({Stable("2001:db8::7")}, true, {*ParseAddress("192.0.2.53"),
                                                                                   V6("2001:db8::53")})},
       {"2001:db8::7"}, "2001:db8::7", "192.0.2.53"},
  };
  for (const auto& c : cases) {
    Ipv6Configuration configuration = Ipv6ConfigurationOf(c.adapters);
    EXPECT_EQ(configuration.addresses, c.addresses) << c.name;
    EXPECT_EQ(configuration.selectedAddress, c.selected) << c.name;
    EXPECT_EQ(configuration.dnsServer, c.server) << c.name;
  }
}

TEST(IsTunnelAdapter, TunnelsPppAndUserSpaceTunnels) {
  for (uint32_t type : {kIfTypeTunnel, kIfTypePpp, kIfTypePropVirtual}) {
    AdapterAddresses adapter;
    adapter.IfType = type;
    EXPECT_TRUE(IsTunnelAdapter(adapter)) << type;
  }
  EXPECT_FALSE(IsTunnelAdapter(AdapterAddresses{}));
}

const char* const kPtr6 = "7.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa";

// A dual-stack Windows XP PC: 192.0.2.7 and 2001:db8::7 on the campus LAN.
test::FakeOs DualStack() {
  test::FakeOs os;
  os.adapters = {Lan({Stable("2001:db8::7")})};
  return os;
}

// Only the loop-back address for IPv4, as an IPv6-only Windows answers.
test::FakeOs Ipv6Only() {
  test::FakeOs os = DualStack();
  os.hostByName = HostEnt{"ws-17", 4, {{127, 0, 0, 1}}};
  return os;
}

TEST(Ipv6Check, DualStackIsReportedBesideTheIpv4Verdict) {
  struct Case {
    const char* name;
    std::function<void(test::FakeOs&)> setup;
    CheckVerdict verdict, ipv6Verdict;
    std::string ipv6Reason;
  };
  const std::vector<Case> cases = {
      {"both agree", [](test::FakeOs&) {}, CheckVerdict::Agree, CheckVerdict::Agree, ""},
      {"the IPv6 name differs",
       [](test::FakeOs& os) { os.ipv6PtrAnswer[0].pNameHost = "pc-alt.uni-falkenau.de"; }, CheckVerdict::Agree,
       CheckVerdict::Mismatch, ""},
      {"the IPv4 name differs",
       [](test::FakeOs& os) { os.dnsAnswer[0].pNameHost = "pc-alt.uni-falkenau.de"; }, CheckVerdict::Mismatch,
       CheckVerdict::Agree, ""},
      {"no IPv6 PTR record", [](test::FakeOs& os) { os.ipv6PtrStatus = 9003; }, CheckVerdict::Agree,
       CheckVerdict::NotApplicable, "no-dns-name"},
      {"a dhcp name for IPv6",
       [](test::FakeOs& os) { os.ipv6PtrAnswer[0].pNameHost = "dhcp6-1.uni-falkenau.de"; }, CheckVerdict::Agree,
       CheckVerdict::NotApplicable, "dynamic-pool"},
      {"a second PTR record agrees",
       [](test::FakeOs& os) {
         os.ipv6PtrAnswer = {{kDnsTypePtr, kPtr6, "alias.uni-falkenau.de"}, {kDnsTypePtr, kPtr6, "WS-17.uni-falkenau.de"}};
       },
       CheckVerdict::Agree, CheckVerdict::Agree, ""},
      {"no global IPv6 address", [](test::FakeOs& os) { os.adapters = {Lan({Stable("fe80::7")})}; },
       CheckVerdict::Agree, CheckVerdict::NotApplicable, "no-ipv6-address"},
      {"no IPv6 default route", [](test::FakeOs& os) { os.adapters = {Lan({Stable("2001:db8::7")}, false)}; },
       CheckVerdict::Agree, CheckVerdict::NotApplicable, "no-ipv6-default-route"},
  };
  for (const auto& c : cases) {
    test::FakeOs os = DualStack();
    c.setup(os);
    Report report = RunStartupCheck(os);
    EXPECT_EQ(report.verdict, c.verdict) << c.name;
    EXPECT_EQ(report.ipv6Verdict, c.ipv6Verdict) << c.name;
    EXPECT_EQ(report::Ipv6ExemptionName(report), c.ipv6Reason) << c.name;
    EXPECT_EQ(report.selectedAddress, "192.0.2.7") << c.name << ": the IPv4 address stays selected";
    EXPECT_TRUE(os.AllReleased()) << c.name;
  }
}

TEST(Ipv6Check, OneQueryEachAndNoneMoreWithoutAGlobalAddress) {
  test::FakeOs os = DualStack();
  RunStartupCheck(os);
  ASSERT_EQ(os.queries.size(), 2u);
  EXPECT_EQ(os.queries[1].name, kPtr6);
  EXPECT_EQ(os.queries[1].type, kDnsTypePtr);
  EXPECT_EQ(os.queries[1].options, kDnsQueryBypassCache);
  EXPECT_EQ(os.queries[1].server, "2001:db8::53");
  EXPECT_EQ(os.adaptersFlags & (kGaaFlagSkipAnycast | kGaaFlagSkipMulticast),
            kGaaFlagSkipAnycast | kGaaFlagSkipMulticast);

  for (auto setup : std::vector<std::function<void(test::FakeOs&)>>{
           [](test::FakeOs&) {},                                           // no adapters
           [](test::FakeOs& os) { os.missing.insert("GetAdaptersAddresses"); },  // no IP Helper for it
           [](test::FakeOs& os) {                                          // the older systems' path
             os.adapters = DualStack().adapters;
             os.version = test::Version(kPlatformWin32Windows, 4, 10, 2222, "");
           }}) {
    test::FakeOs ipv4Only;
    setup(ipv4Only);
    Report report = RunStartupCheck(ipv4Only);
    EXPECT_LE(ipv4Only.queries.size(), 1u);
    EXPECT_EQ(report.verdict, CheckVerdict::Agree);
    EXPECT_EQ(ReportAsJson(report).find("\"ipv6Verdict\":\"agree\""), std::string::npos);
  }
}

TEST(Ipv6Check, AnIpv6OnlyPcIsCheckedByItsIpv6Name) {
  test::FakeOs os = Ipv6Only();
  os.ipv6PtrAnswer[0].pNameHost = "pc-neu.uni-falkenau.de";
  os.aaaaRecords["pc-neu.uni-falkenau.de"] = {V6("2001:db8::7").bytes};
  Report report = RunStartupCheck(os);
  EXPECT_EQ(report.verdict, CheckVerdict::Mismatch);
  EXPECT_EQ(report.dnsShortName, "pc-neu");
  EXPECT_EQ(report.addresses, (std::vector<std::string>{"127.0.0.1", "2001:db8::7"}));
  EXPECT_EQ(report.selectedAddress, "2001:db8::7");
  EXPECT_EQ(report.dnsServer, "2001:db8::53");
  // The rename would be confirmed by the name's AAAA record, asked of the same server.
  EXPECT_EQ(report.forwardConfirmed, std::optional<bool>(true));
  EXPECT_EQ(os.queries.back().type, kDnsTypeAaaa);
  EXPECT_EQ(os.queries.back().server, "2001:db8::53");
  EXPECT_TRUE(os.AllReleased());

  os.aaaaRecords["pc-neu.uni-falkenau.de"] = {V6("2001:db8::99").bytes};
  EXPECT_EQ(RunStartupCheck(os).forwardConfirmed, std::optional<bool>(false));
}

TEST(Ipv6Check, AnIpv6OnlyPcWithoutARouteOrAnAddressIsNotChecked) {
  for (auto setup : std::vector<std::function<void(test::FakeOs&)>>{
           [](test::FakeOs& os) { os.adapters = {Lan({Stable("2001:db8::7")}, false)}; },
           [](test::FakeOs& os) { os.adapters = {}; }}) {
    test::FakeOs os = Ipv6Only();
    setup(os);
    Report report = RunStartupCheck(os);
    EXPECT_EQ(report.verdict, CheckVerdict::NotApplicable);
    EXPECT_EQ(report.selectedAddress, "127.0.0.1");
  }
}

TEST(Ipv6ReverseLookup, OnlyPtrRecordsOfTheAnswerAndNothingForUnusableInput) {
  test::FakeOs os;
  os.ipv6PtrAnswer = {{kDnsTypeCname, kPtr6, "7.sub.ip6.arpa"},
                      {kDnsTypePtr, kPtr6, "ws-17.uni-falkenau.de"},
                      {kDnsTypePtr, kPtr6, "extra.example", 0, {}, kDnsSectionAdditional}};
  EXPECT_EQ(Ipv6ReverseLookup(os, "2001:db8::7", "2001:db8::53"), std::vector<std::string>{"ws-17.uni-falkenau.de"});
  for (auto [address, server] : std::vector<std::pair<const char*, const char*>>{
           {"192.0.2.7", "2001:db8::53"}, {"2001:db8::7", ""}, {"2001:db8::7", "ff02::1"}, {"2001:db8::7", "::"},
           {"2001:db8::7", "255.255.255.255"}, {"nonsense", "2001:db8::53"}}) {
    os.queries.clear();
    EXPECT_TRUE(Ipv6ReverseLookup(os, address, server).empty()) << address << " " << server;
    EXPECT_TRUE(os.queries.empty()) << address << " " << server << ": nobody to ask";
  }
}

TEST(Ipv6Report, KeysTextRowsAndLogFieldsOnlyWhereThereIsAnAddress) {
  test::FakeOs os = DualStack();
  os.ipv6PtrAnswer[0].pNameHost = "pc-\"alt\".uni-falkenau.de";
  Report report = RunStartupCheck(os);
  std::string json = ReportAsJson(report);
  for (const char* key : {R"("ipv6Addresses":["2001:db8::7"])", R"("selectedIpv6Address":"2001:db8::7")",
                          R"("ipv6PtrNames":["pc-\"alt\".uni-falkenau.de"])", R"("ipv6Verdict":"mismatch")",
                          R"("ipv6NotApplicableBecause":null)"}) {
    EXPECT_NE(json.find(key), std::string::npos) << key << "\n" << json;
  }
  EXPECT_NE(ReportAsText(report).find("IPv6-Ergebnis:  Namen weichen ab\n"), std::string::npos);
  EXPECT_TRUE(report::VerdictLogText(report::EntryOf(report, false))
                  .ends_with(" version=" + std::string(ProgramVersion()) +
                             R"( ipv6Verdict=mismatch ipv6Address="2001:db8::7" ipv6DnsName="pc-\"alt\".uni-falkenau.de")"));

  test::FakeOs ipv4Only;  // the log line of a PC without IPv6 stays as it was
  EXPECT_TRUE(
      report::VerdictLogText(report::EntryOf(RunStartupCheck(ipv4Only), false)).ends_with(" version=" + std::string(ProgramVersion())));
}

// The rename writes the name that was checked: on a dual-stack PC the IPv4
// side's, whatever domain the IPv6 answer (asked last) names; on an
// IPv6-only PC the IPv6 side's.
TEST(Ipv6Check, TheRenameTakesTheFullNameOfTheSideThatDecided) {
  struct Case { const char* what; test::FakeOs os; const char* nameSet; const char* dnsName; };
  Case dualStack{"dual stack", DualStack(), "lab-pc-3", "lab-pc-3.uni-falkenau.de"};
  dualStack.os.dnsAnswer[0].pNameHost = "lab-pc-3.uni-falkenau.de";
  dualStack.os.aRecords = {{"lab-pc-3.uni-falkenau.de", {test::Ipv4(192, 0, 2, 7)}}};
  dualStack.os.ipv6PtrAnswer[0].pNameHost = "host-7.v6.auto.uni-falkenau.de";
  Case ipv6Only{"IPv6 only", Ipv6Only(), "pc-neu", "pc-neu.ipv6.uni-falkenau.de"};
  ipv6Only.os.ipv6PtrAnswer[0].pNameHost = "pc-neu.ipv6.uni-falkenau.de";
  ipv6Only.os.aaaaRecords = {{"pc-neu.ipv6.uni-falkenau.de", {V6("2001:db8::7").bytes}}};
  for (Case* c : {&dualStack, &ipv6Only}) {
    SCOPED_TRACE(c->what);
    c->os.computerName = "PC-OLD";
    c->os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
    HeadlessForms forms("");
    Program program(c->os, forms);
    try {
      program.Start();
      program.cmd_Sync_Click();
    } catch (const EndProgram&) {
    }
    ASSERT_EQ(program.Values().verdict, CheckVerdict::Mismatch);
    ASSERT_EQ(c->os.namesSet.size(), 1u);
    EXPECT_EQ(c->os.namesSet[0].second, c->nameSet);
    EXPECT_EQ(c->os.renameDnsNames, std::vector<std::string>{c->dnsName});
  }
}

}  // namespace
}  // namespace hw
