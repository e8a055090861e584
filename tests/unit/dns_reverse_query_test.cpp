#include <gtest/gtest.h>

#include <functional>

#include "resolve/dns_reverse_query.h"
#include "support/fake_os.h"

using namespace hw;
using namespace std::string_literals;

TEST(QueryDnsServer, TakesTheFirstServerFieldUpToItsNul) {
  struct Case { std::function<void(test::FakeOs&)> script; std::string server; };
  for (const Case& c : {Case{[](auto&) {}, "192.0.2.53"},
                        Case{[](auto& os) { os.dnsServerField = "203.0.113.153\0xy"s; }, "203.0.113.153"},
                        Case{[](auto& os) { os.dnsServerField = ""; }, ""},
                        Case{[](auto& os) { os.networkParamsSize = 0; }, ""},
                        Case{[](auto& os) { os.networkParamsSize = 0x80000000u; }, ""},  // negative
                        Case{[](auto& os) { os.networkParamsResult = 87; }, ""}}) {
    test::FakeOs os;
    c.script(os);
    EXPECT_EQ(QueryDnsServer(os), c.server);
  }
}

TEST(DnsReverseLookup, SendsOneUncachedPtrQueryForTheReversedNameToTheGivenServerOnly) {
  struct Case { std::string address, query; };
  for (const Case& c : {Case{"192.168.10.7", "7.10.168.192.IN-ADDR.ARPA"}, Case{"", ".IN-ADDR.ARPA"},
                        Case{"10.0.0.1.", ".1.0.0.10.IN-ADDR.ARPA"}}) {
    test::FakeOs os;
    EXPECT_EQ(DnsReverseLookup(os, c.address, "192.0.2.53"), std::vector<std::string>{"ws-17.uni-falkenau.de"});
    ASSERT_EQ(os.queries.size(), 1u);
    EXPECT_EQ(os.queries[0].name, c.query);
    EXPECT_EQ(os.queries[0].type, kDnsTypePtr);
    EXPECT_EQ(os.queries[0].options, kDnsQueryBypassCache);
    EXPECT_EQ(os.queries[0].servers, std::vector<uint32_t>{test::Ipv4(192, 0, 2, 53)});
  }
}

TEST(DnsReverseLookup, TakesEveryPtrRecordOfTheAnswerInOrderAndAlwaysFreesTheAnswer) {
  const DnsRecord cname{kDnsTypeCname, "7.2.0.192.in-addr.arpa", "7.0/24.2.0.192.in-addr.arpa"};
  auto ptr = [](std::string name) { return DnsRecord{kDnsTypePtr, "", name}; };
  DnsRecord additional = ptr("glue.example");
  additional.Section = kDnsSectionAdditional;
  DnsRecord a{kDnsTypeA, "ws-17.example", "", test::Ipv4(192, 0, 2, 7)};
  using Names = std::vector<std::string>;
  struct Case { std::vector<DnsRecord> answer; int32_t status; Names names; };
  for (const Case& c : {Case{{ptr("First.Example"), ptr("second.example")}, 0, {"First.Example", "second.example"}},
                        Case{{ptr("b.example"), ptr("a.example")}, 0, {"b.example", "a.example"}},
                        Case{{cname, ptr("ws-17.example")}, 0, {"ws-17.example"}}, Case{{cname}, 0, {}},
                        Case{{ptr("ws-17.example"), additional, a}, 0, {"ws-17.example"}},  // answer PTRs only
                        Case{{additional}, 0, {}},
                        Case{{}, 0, {}}, Case{{ptr("name\0junk"s)}, 0, {"name"}}, Case{{ptr("")}, 0, {""}},
                        Case{{ptr("ws-17.example")}, 9003, {}}}) {
    test::FakeOs os;
    os.dnsAnswer = c.answer;
    os.dnsStatus = c.status;
    EXPECT_EQ(DnsReverseLookup(os, "192.0.2.7", "192.0.2.53"), c.names);
    EXPECT_TRUE(os.dnsLists.Balanced());
  }
}

TEST(DnsReverseLookup, NoUsableServerMeansNoQuery) {
  for (const std::string server : {"", "255.255.255.255", "dns.example"}) {
    test::FakeOs os;
    EXPECT_TRUE(DnsReverseLookup(os, "192.0.2.7", server).empty());
    EXPECT_TRUE(os.queries.empty()) << server;
  }
}
