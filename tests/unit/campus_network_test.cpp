// The check on networks as campus PCs have them: long names, VPN tunnels,
// DNS failures told apart, names no computer can carry.
#include <gtest/gtest.h>

#include "check/name_rules.h"
#include "interfaces/headless/headless_forms.h"
#include "report/report.h"
#include "report/vocabulary.h"
#include "report/verdict_log.h"
#include "resolve/dns_reverse_query.h"
#include "resolve/forward_lookup.h"
#include "resolve/ip_address_text.h"
#include "resolve/host_by_address.h"
#include "resolve/tunnel_addresses.h"
#include "support/fake_os.h"
#include "support/startup_stage.h"
#include "sync/sync_command.h"
#include "text/catalogue.h"

namespace hw {
namespace {

using test::StartupStage;

TEST(LongNames, TheNetbiosNameIsComparedWithTheShortNamesFirst15Characters) {
  const std::string name63 = "hoersaal-" + std::string(49, 'x') + "-0123";
  struct Case { std::string hostName, netbiosName, shortName; bool differ; };
  for (const auto& c : {
           Case{"hoersaal-pc-0123", "HOERSAAL-PC-012", "hoersaal-pc-0123", false},  // 16 characters agree
           Case{name63, "HOERSAAL-XXXXXX", name63, false},                          // 63 characters agree
           Case{"hoersaal-pc-0123", "HOERSAAL-PC-012", "hoersaal-pc-0124", true},   // the host name differs
           Case{"hoersaal-pc-0123", "HOERSAAL-PC-013", "hoersaal-pc-0123", true},   // the NetBIOS name differs
           Case{"hoersaal-pc-012", "HOERSAAL-PC-012", "hoersaal-pc-0123", true},    // the host name is cut too
           Case{"ws-17", "WS-17", "ws-17", false},
           Case{"müllerstraße-pc-1", "MÜLLERSTRAßE-PC", "Müllerstraße-PC-1", false},  // characters, not bytes
       }) {
    EXPECT_EQ(NamesDiffer(c.hostName, c.netbiosName, c.shortName), c.differ) << c.shortName << " / " << c.netbiosName;
  }
}

TEST(LongNames, APcNamedWith16CharactersAgreesButItsSyncStillRefusesTheName) {
  StartupStage s;
  s.op.QueryComputerName = [] { return std::string("HOERSAAL-PC-012"); };
  s.op.QueryDnsHostName = [] { return std::string("hoersaal-pc-0123"); };
  s.op.DnsReverseLookup = test::PtrAnswer({"hoersaal-pc-0123.uni-falkenau.de"});
  s.Run();
  EXPECT_EQ(s.values.verdict, CheckVerdict::Agree);
  EXPECT_FALSE(s.WarningRaised());
}

// Whoever asks, an unusable name is refused before the domain, the rights or
// the system are asked anything.
TEST(UsableNames, RefusedForEveryCallerBeforeAnyRightsCheckOrSystemCall) {
  for (auto caller : {SyncCaller::User, SyncCaller::Script, SyncCaller::ElevatedCopy}) {
    for (const std::string name : {"a b", "lab\"pc", "lab\npc", "ws_17", "-ws17", "ws17-"}) {
      SCOPED_TRACE(name);
      test::FakeOs os;
      HeadlessForms forms;
      os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
      ChkVer chkVer(os);
      chkVer.OsVersionText();
      std::size_t callsBefore = os.calls.size();
      EXPECT_EQ(SynchroniseName(os, forms, chkVer, name, {"x.uni-falkenau.de", "192.0.2.7", "192.0.2.53"}, caller),
                SyncOutcome::NameUnusable);
      EXPECT_FALSE(forms.Ended());
      ASSERT_EQ(forms.Messages().size(), 1u);
      EXPECT_EQ(forms.Messages()[0].text, "Der DNS-Name " + name +
                                               " kann nicht als Computername verwendet werden\r\n"
                                               "Bitte wenden Sie sich an den Netzwerkadministrator");
      EXPECT_EQ(os.calls.size(), callsBefore);
      EXPECT_TRUE(os.namesSet.empty());
    }
  }
}

TEST(Tunnels, TheFirstAddressNotOnATunnelIsCheckedAndOnlyTunnelsMeanVpn) {
  struct Case { std::vector<std::string> tunnels; std::string checked; NameCheckExemption exemption; int lookups; };
  for (const auto& c : {
           Case{{}, "192.0.2.7", NameCheckExemption::None, 1},
           Case{{"192.0.2.7"}, "198.51.100.9", NameCheckExemption::None, 1},  // the tunnel's is passed over
           Case{{"198.51.100.9"}, "192.0.2.7", NameCheckExemption::None, 1},
           Case{{"198.51.100.9", "192.0.2.7"}, "192.0.2.7", NameCheckExemption::Vpn, 0},  // nothing else to check
       }) {
    StartupStage s;
    std::string asked;
    int lookups = 0;
    s.op.TunnelAddresses = [&] { return c.tunnels; };
    s.op.DnsReverseLookup = [&](const std::string& address, const std::string&, LookupFailure&) {
      asked = address;
      ++lookups;
      return std::vector<std::string>{"ws-17.uni-falkenau.de"};
    };
    s.Run();
    EXPECT_EQ(s.values.selectedAddress, c.checked);
    EXPECT_EQ(s.Text("cbo_IP"), c.checked);  // the window shows the address that was checked
    EXPECT_EQ(s.values.exemption, c.exemption);
    EXPECT_EQ(lookups, c.lookups);
    if (lookups) {
      EXPECT_EQ(asked, c.checked);
    }
  }
}

TEST(Tunnels, PppAndTunnelAdaptersAreVpnsAndAMissingAdapterListIsNone) {
  test::FakeOs os;
  EXPECT_TRUE(TunnelAddresses(os).empty());  // the fake has no GetAdaptersInfo: an older system
  for (uint32_t type : {kIfTypePpp, kIfTypeTunnel}) EXPECT_TRUE(IsTunnelAdapterType(type)) << type;
  for (uint32_t type : {kIfTypeEthernetCsmacd, kIfTypeSoftwareLoopback, 71u /* wireless */})
    EXPECT_FALSE(IsTunnelAdapterType(type)) << type;
}

TEST(DnsFailures, EachStatusGivesTheReasonAnAdministratorActsOn) {
  using F = LookupFailure;
  using E = NameCheckExemption;
  struct Case { int32_t status; std::vector<DnsRecord> answer; F failure; E exemption; const char* key; };
  const std::vector<DnsRecord> cnameOnly = {{kDnsTypeCname, "7.2.0.192.IN-ADDR.ARPA", "7.0-25.2.0.192.IN-ADDR.ARPA"}};
  for (const auto& c : {
           Case{9003, {}, F::NoPtrRecord, E::NoPtrRecord, "no-ptr-record"},         // NXDOMAIN
           Case{9501, {}, F::NoPtrRecord, E::NoPtrRecord, "no-ptr-record"},         // empty answer
           Case{0, cnameOnly, F::NoPtrRecord, E::NoPtrRecord, "no-ptr-record"},     // a CNAME leading nowhere
           Case{9002, {}, F::DnsServerFailure, E::DnsServerFailure, "dns-server-failure"},  // SERVFAIL
           Case{9005, {}, F::DnsServerFailure, E::DnsServerFailure, "dns-server-failure"},  // REFUSED
           Case{9502, {}, F::DnsServerFailure, E::DnsServerFailure, "dns-server-failure"},  // malformed
           Case{1460, {}, F::DnsTimeout, E::DnsTimeout, "dns-timeout"},
           Case{10061, {}, F::DnsServerUnreachable, E::DnsServerUnreachable, "dns-server-unreachable"},  // WSAECONNREFUSED
           Case{1225, {}, F::DnsServerUnreachable, E::DnsServerUnreachable, "dns-server-unreachable"},   // ERROR_CONNECTION_REFUSED
           Case{9852, {}, F::NoDnsServer, E::NoDnsServer, "no-dns-server"},
           Case{123, {}, F::None, E::NoDnsName, "no-dns-name"},  // the program's own trouble
       }) {
    SCOPED_TRACE(c.status);
    test::FakeOs os;
    os.dnsStatus = c.status;
    os.dnsAnswer = c.answer;
    LookupFailure failure = LookupFailure::None;
    EXPECT_TRUE(DnsReverseLookup(os, "192.0.2.7", "192.0.2.53", &failure).empty());
    EXPECT_EQ(failure, c.failure);
    EXPECT_TRUE(os.AllReleased());

    StartupStage s;
    s.op.DnsReverseLookup = test::PtrFailure(c.failure);
    s.Run();
    EXPECT_EQ(s.values.exemption, c.exemption);
    EXPECT_EQ(s.Text("txt_DNS"), "");  // the window shows an empty DNS name, whatever the reason
    EXPECT_EQ(report::ExemptionName(c.exemption), c.key);
    EXPECT_NE(report::ExemptionText(c.exemption), "");
  }
}

// A PC whose configuration names only IPv6 servers (a DHCPv6 client wrote
// it) asks the first of them about its IPv4 address; only a PC with no
// server at all asks nothing.
TEST(DnsFailures, OnlyIpv6ServersStillCheckTheIpv4AddressAndNoServerIsItsOwnReason) {
  auto adapter = [](std::vector<SocketAddress> servers) {
    AdapterAddresses a;
    a.DnsServerAddresses = std::move(servers);
    return a;
  };
  const SocketAddress v6 = *ParseAddress("2001:db8::53"), v6b = *ParseAddress("2001:db8::54");
  struct Case { const char* what; std::string field; std::vector<AdapterAddresses> adapters; std::string server; };
  for (const auto& c : {
           Case{"an IPv4 server comes first, as the configuration names it", "192.0.2.53", {adapter({v6})}, "192.0.2.53"},
           Case{"only IPv6 servers: the first of them", "", {adapter({}), adapter({v6, v6b})}, "2001:db8::53"},
           Case{"no server at all", "", {adapter({})}, ""},
           Case{"no adapter list either", "", {}, ""},
       }) {
    SCOPED_TRACE(c.what);
    test::FakeOs os;
    os.dnsServerField = c.field;
    os.adapters = c.adapters;
    ASSERT_EQ(QueryDnsServer(os), c.server);
    LookupFailure failure = LookupFailure::None;
    auto names = DnsReverseLookup(os, "192.0.2.7", c.server, &failure);
    if (c.server.empty()) {
      EXPECT_TRUE(os.queries.empty());
      EXPECT_EQ(failure, LookupFailure::NoDnsServer);
      StartupStage s;
      s.op.DnsReverseLookup = test::PtrFailure(failure);
      s.Run();
      EXPECT_EQ(report::ExemptionName(s.values.exemption), "no-dns-server");
      continue;
    }
    EXPECT_EQ(names, std::vector<std::string>{"ws-17.uni-falkenau.de"});
    ASSERT_EQ(os.queries.size(), 1u);
    EXPECT_EQ(os.queries[0].name, "7.2.0.192.IN-ADDR.ARPA");
    EXPECT_EQ(os.queries[0].type, kDnsTypePtr);
    if (c.field.empty()) EXPECT_EQ(os.queries[0].server, c.server) << "asked of that server alone";
    // The forward confirmation asks the same server.
    EXPECT_TRUE(DnsNameHasAddress(os, "ws-17.uni-falkenau.de", "192.0.2.7", c.server));
    EXPECT_EQ(os.queries.back().type, kDnsTypeA);
    if (c.field.empty()) EXPECT_EQ(os.queries.back().server, c.server);
    EXPECT_TRUE(os.AllReleased());
  }
  // Nothing usable is no server: no query goes to a multicast or unspecified address.
  for (const std::string server : {"ff02::1", "::"}) {
    test::FakeOs os;
    LookupFailure failure = LookupFailure::None;
    EXPECT_TRUE(DnsReverseLookup(os, "192.0.2.7", server, &failure).empty());
    EXPECT_TRUE(os.queries.empty()) << server;
  }
}

TEST(DnsFailures, OlderSystemsTakeTheReasonFromTheResolversError) {
  using F = LookupFailure;
  struct Case { int error; F failure; };
  for (const auto& c : {Case{11001, F::NoPtrRecord}, Case{11004, F::NoPtrRecord}, Case{11002, F::DnsTimeout},
                        Case{11003, F::DnsServerFailure}, Case{10093, F::None}}) {
    test::FakeOs os;
    HeadlessForms forms;
    os.hostByAddr.reset();
    os.lastError = c.error;
    LookupFailure failure = LookupFailure::None;
    EXPECT_EQ(HostNameByAddress(os, forms, "192.0.2.7", &failure), "");
    EXPECT_EQ(failure, c.failure) << c.error;
    EXPECT_TRUE(os.winsock.Balanced());
  }
}

TEST(DnsFailures, TheReasonStandsInTheLogEntryAndTheTextReport) {
  report::Report r;
  r.verdict = CheckVerdict::NotApplicable;
  r.exemption = NameCheckExemption::DnsTimeout;
  r.computerName = "ws-17";
  EXPECT_EQ(report::VerdictLogText(report::EntryOf(r, false)),
            R"(verdict=not-applicable computerName="ws-17" dnsName="" address="" dnsServer="" nameSet=no )"
            R"(reason=dns-timeout forwardConfirmed=- ptrNames=[] version=)" +
                std::string(ProgramVersion()));
  const std::string result = std::string(Text(Msg::ReportResult)) + "       " +
                             std::string(Text(Msg::VerdictNotApplicable)) + " (" +
                             std::string(Text(Msg::ReasonDnsTimeout)) + ")\n";
  EXPECT_NE(report::ReportAsText(r).find(result), std::string::npos);
  EXPECT_NE(report::ReportAsJson(r).find(R"("notApplicableBecause":"dns-timeout")"), std::string::npos);
  r.verdict = CheckVerdict::Agree;  // a reason only where the check did not apply
  EXPECT_NE(report::VerdictLogText(report::EntryOf(r, false)).find(" reason=- "), std::string::npos);
}

}  // namespace
}  // namespace hw
