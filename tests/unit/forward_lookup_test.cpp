// The forward half of the reverse lookup: the A records of a name, asked of
// one server past the cache, or the resolver's addresses on older systems.
#include <gtest/gtest.h>

#include <functional>

#include "interfaces/headless/headless_forms.h"
#include "resolve/forward_lookup.h"
#include "support/fake_os.h"

namespace hw {
namespace {

// The forward query's options: only the server may answer.
constexpr uint32_t kServerOnly = kDnsQueryBypassCache | kDnsQueryNoLocalName | kDnsQueryNoHostsFile | kDnsQueryNoNetbt;

using test::FakeOs;
using test::Ipv4;

DnsRecord A(uint32_t address, uint8_t section = kDnsSectionAnswer) {
  DnsRecord record{kDnsTypeA, "ws-17.uni-falkenau.de", "", address};
  record.Section = section;
  return record;
}

TEST(DnsNameHasAddress, OnlyAnAnswerRecordWithTheAddressConfirms) {
  const DnsRecord cname{kDnsTypeCname, "ws-17.uni-falkenau.de", "host-17.uni-falkenau.de"};
  struct Case { const char* what; std::function<void(FakeOs&)> script; bool confirmed; };
  for (const Case& c : {
           Case{"the address", [](FakeOs&) {}, true},
           Case{"among others", [](FakeOs& os) { os.aAnswer = {{A(Ipv4(192, 0, 2, 9)), A(Ipv4(192, 0, 2, 7))}}; }, true},
           Case{"after a CNAME", [&](FakeOs& os) { os.aAnswer = {{cname, A(Ipv4(192, 0, 2, 7))}}; }, true},
           Case{"another address", [](FakeOs& os) { os.aRecords["ws-17.uni-falkenau.de"] = {Ipv4(192, 0, 2, 8)}; },
                false},
           Case{"no A record", [](FakeOs& os) { os.aRecords.clear(); }, false},
           Case{"an empty answer", [](FakeOs& os) { os.aAnswer = std::vector<DnsRecord>{}; }, false},
           Case{"only a CNAME", [&](FakeOs& os) { os.aAnswer = {{cname}}; }, false},
           Case{"the address in the additional section",
                [](FakeOs& os) { os.aAnswer = {{A(Ipv4(192, 0, 2, 7), kDnsSectionAdditional)}}; }, false},
           Case{"the address in the authority section",
                [](FakeOs& os) { os.aAnswer = {{A(Ipv4(192, 0, 2, 7), kDnsSectionAuthority)}}; }, false},
           Case{"a PTR record's data", [](FakeOs& os) {
              os.aAnswer = {{DnsRecord{kDnsTypePtr, "ws-17.uni-falkenau.de", "", Ipv4(192, 0, 2, 7)}}};
            }, false},
           Case{"a server failure", [](FakeOs& os) { os.aStatus = 9002; }, false},
       }) {
    FakeOs os;
    c.script(os);
    EXPECT_EQ(DnsNameHasAddress(os, "ws-17.uni-falkenau.de", "192.0.2.7", "192.0.2.53"), c.confirmed) << c.what;
    EXPECT_TRUE(os.dnsLists.Balanced()) << c.what;
    ASSERT_EQ(os.queries.size(), 1u) << c.what;
    EXPECT_EQ(os.queries[0].name, "ws-17.uni-falkenau.de");
    EXPECT_EQ(os.queries[0].type, kDnsTypeA);
    EXPECT_EQ(os.queries[0].options, kServerOnly);
    EXPECT_EQ(os.queries[0].servers, std::vector<uint32_t>{Ipv4(192, 0, 2, 53)}) << "only the PTR query's server";
  }
}

TEST(DnsNameHasAddress, NothingUsableToAskOrCompareMeansNoQuery) {
  struct Case { const char* name; const char* address; const char* server; };
  for (const Case& c : {Case{"", "192.0.2.7", "192.0.2.53"}, Case{"ws-17.uni-falkenau.de", "", "192.0.2.53"},
                        Case{"ws-17.uni-falkenau.de", "255.255.255.255", "192.0.2.53"},
                        Case{"ws-17.uni-falkenau.de", "192.0.2.7", ""},
                        Case{"ws-17.uni-falkenau.de", "192.0.2.7", "dns.example"}}) {
    FakeOs os;
    EXPECT_FALSE(DnsNameHasAddress(os, c.name, c.address, c.server)) << c.name << " " << c.address << " " << c.server;
    EXPECT_TRUE(os.queries.empty()) << c.name << " " << c.address << " " << c.server;
  }
}

TEST(ResolverNameHasAddress, AsksTheResolverWhileSocketsAreHeld) {
  struct Case { const char* what; std::function<void(FakeOs&)> script; bool confirmed; int messages; };
  for (const Case& c : {
           Case{"the address", [](FakeOs&) {}, true, 0},
           Case{"among others", [](FakeOs& os) { os.hostByName->h_addr_list = {{192, 0, 2, 9}, {192, 0, 2, 7}}; },
                true, 0},
           Case{"another address", [](FakeOs& os) { os.hostByName->h_addr_list = {{192, 0, 2, 8}}; }, false, 0},
           Case{"an address of six bytes", [](FakeOs& os) { os.hostByName->h_addr_list = {{192, 0, 2, 7, 0, 0}}; },
                false, 0},
           Case{"no answer", [](FakeOs& os) { os.hostByName.reset(); }, false, 0},
           Case{"Windows Sockets refuses", [](FakeOs& os) { os.wsaStartupResult = 10091; }, false, 1},
       }) {
    FakeOs os;
    HeadlessForms forms;
    c.script(os);
    EXPECT_EQ(ResolverNameHasAddress(os, forms, "pc-9.uni-falkenau.de", "192.0.2.7"), c.confirmed) << c.what;
    EXPECT_EQ(forms.Messages().size(), static_cast<std::size_t>(c.messages)) << c.what;
    EXPECT_TRUE(os.winsock.Balanced()) << c.what;
    EXPECT_EQ(os.CallCount("DnsQuery_A"), 0) << c.what;
    if (c.messages == 0) {
      EXPECT_EQ(os.gethostbynameArgs, std::vector<std::string>{"pc-9.uni-falkenau.de"}) << c.what;
    }
  }
}

}  // namespace
}  // namespace hw
