#include <gtest/gtest.h>

#include "check/name_rules.h"

namespace hw {
namespace {

TEST(QuietSwitch, FirstTwoCharactersOfTheFirstArgumentWithoutItsQuotes) {
  struct Case { const char* commandLine; bool quiet; };
  for (const auto& c : {Case{"-Q", true}, Case{"/Q", true}, Case{"-q", true}, Case{"/q", true},
                        Case{"   -Q  ", true}, Case{"-Qx", true}, Case{"/quiet", true},
                        Case{"", false}, Case{"Q", false}, Case{"--Q", false}, Case{"-X -Q", false},
                        Case{"foo /Q", false}, Case{"- Q", false},
                        // quotes come off as Windows splits arguments; a tab separates as a blank does
                        Case{"\"/Q\"", true}, Case{"\"-q\" x", true}, Case{"\"/\"Q", true}, Case{"\t-Q", true},
                        Case{"\"foo\" /Q", false}, Case{"\"\" /Q", false}, Case{"\"/ Q\"", false}}) {
    EXPECT_EQ(IsQuietSwitch(c.commandLine), c.quiet) << "command line \"" << c.commandLine << "\"";
  }
}

TEST(LeadingVersionDigit, OnlyTheFirstCharacterCounts) {
  struct Case { const char* text; int digit; };
  for (const auto& c : {Case{"6.0.2900", 6}, Case{"4.72.3110", 4}, Case{"3.2.0", 3}, Case{"10.0.1", 1},
                        Case{"", 0}, Case{"x.1", 0}, Case{" 6", 0}}) {
    EXPECT_EQ(LeadingVersionDigit(c.text), c.digit) << c.text;
  }
}

TEST(NameCheckExemption, NamesTheFirstReasonAndExemptsNamesOutsideTheCampus) {
  using E = NameCheckExemption;
  struct Case { bool lan; const char* name; const char* address; E exemption; };
  const char* ip = "192.0.2.7";
  for (const auto& c : {
           Case{true, "ws-17.uni-falkenau.de", ip, E::None},
           Case{true, "ws-17.physik.uni-falkenau.de", ip, E::None},                 // a sub-domain
           Case{true, "WS-17.Physik.UNI-FALKENAU.DE", ip, E::None},                 // in any letter case
           Case{true, "uni-falkenau.de", ip, E::OutsideCampus},                     // the domain itself names no PC
           Case{true, "ws-17.uni-falkenau.de.", ip, E::None},                       // written absolute
           Case{true, "dslb-092-075-123-045.pools.example-isp.de", ip, E::OutsideCampus},  // a provider's pool
           Case{true, "ws-17.xuni-falkenau.de", ip, E::OutsideCampus},              // ends so, but not at a dot
           Case{true, "ws-17.uni-falkenau.de.example.org", ip, E::OutsideCampus},   // the domain in the middle
           Case{true, "ws-17", ip, E::OutsideCampus},                               // no domain at all
           Case{true, "ws-17.uni-falkenau.de..", ip, E::OutsideCampus},
           Case{true, "dhcp-17.uni-falkenau.de", ip, E::DynamicPoolName},
           Case{true, "DHCP-17.Uni-Falkenau.DE", ip, E::DynamicPoolName},
           Case{true, "dhcp17.uni-falkenau.de.example.org", ip, E::DynamicPoolName},  // the domain anywhere
           Case{true, "ws-dhcp.uni-falkenau.de", ip, E::None},                      // not starting with dhcp
           Case{true, "dhcp-17.pools.example-isp.de", ip, E::OutsideCampus},
           Case{true, "localhost", ip, E::LocalHost},
           Case{true, "LOCALHOST", ip, E::LocalHost},
           Case{true, "localhost.uni-falkenau.de", ip, E::None},                    // only the bare name
           Case{true, "", ip, E::NoDnsName},
           Case{true, "ws-17.uni-falkenau.de", "127.0.0.1", E::LoopbackAddress},
           Case{true, "ws-17.uni-falkenau.de", "127.0.0.2", E::None},               // only that one address
           Case{false, "ws-17.uni-falkenau.de", ip, E::NoLan},
           Case{false, "dslb-1.example-isp.de", ip, E::NoLan},                      // the first reason counts
       }) {
    NameCheckInput input{c.lan, c.name, c.address, "uni-falkenau.de"};
    EXPECT_EQ(NameCheckExemptionOf(input), c.exemption) << c.name << " at " << c.address;
  }
}

TEST(PtrNameToCompare, AnyAgreeingRecordWinsOtherwiseTheFirst) {
  using Names = std::vector<std::string>;
  struct Case { Names names; const char* hostName; const char* computerName; const char* chosen; };
  for (const auto& c : {
           Case{{"ws-17.uni-falkenau.de", "alias.uni-falkenau.de"}, "ws-17", "WS-17", "ws-17.uni-falkenau.de"},
           Case{{"alias.uni-falkenau.de", "WS-17.uni-falkenau.de"}, "ws-17", "WS-17", "WS-17.uni-falkenau.de"},
           Case{{"alias.uni-falkenau.de", "pc-9.uni-falkenau.de"}, "ws-17", "WS-17", "alias.uni-falkenau.de"},
           Case{{"alias.uni-falkenau.de", "ws-17.uni-falkenau.de"}, "ws-17", "PC-OLD", "alias.uni-falkenau.de"},
           Case{{"", "ws-17.uni-falkenau.de"}, "ws-17", "WS-17", "ws-17.uni-falkenau.de"},
           Case{{"", "pc-9.uni-falkenau.de"}, "ws-17", "WS-17", ""},
           Case{{}, "ws-17", "WS-17", ""},
       }) {
    EXPECT_EQ(PtrNameToCompare(c.names, c.hostName, c.computerName), c.chosen)
        << c.names.size() << " names, first " << (c.names.empty() ? "-" : c.names[0]);
  }
}

TEST(NamesDiffer, IgnoresLetterCaseAndNeedsBothNamesToAgree) {
  EXPECT_FALSE(NamesDiffer("ws-17", "WS-17", "Ws-17"));
  EXPECT_TRUE(NamesDiffer("ws-17", "WS-18", "ws-17"));  // the NetBIOS name differs
  EXPECT_TRUE(NamesDiffer("ws-18", "WS-17", "ws-17"));  // the DNS host name differs
  EXPECT_TRUE(NamesDiffer("ws-17", "WS-17", ""));
  EXPECT_FALSE(NamesDiffer("müller-pc", "MÜLLER-PC", "Müller-PC"));
}

}  // namespace
}  // namespace hw

// The order of the PTR names is the names' own, never the server's.
TEST(InStableOrder, LowerCasedNameFirstThenTheBytes) {
  using Names = std::vector<std::string>;
  struct Case { Names in; Names out; };
  for (const auto& c : {
           Case{{"pc-9.uni-falkenau.de", "lab-2.uni-falkenau.de"}, {"lab-2.uni-falkenau.de", "pc-9.uni-falkenau.de"}},
           Case{{"PC-9.x.de", "lab-2.x.de"}, {"lab-2.x.de", "PC-9.x.de"}},        // letter case does not order
           Case{{"pc-9.x.de", "PC-9.x.de", "Pc-9.x.de"}, {"PC-9.x.de", "Pc-9.x.de", "pc-9.x.de"}},  // ties: bytes
           Case{{"a-b.x.de", "a.x.de"}, {"a-b.x.de", "a.x.de"}},                 // '-' before '.'
           Case{{"\xC3\x84rger.x.de", "zz.x.de"}, {"zz.x.de", "\xC3\x84rger.x.de"}},  // bytes beyond ASCII last
           Case{{"same.x.de", "same.x.de"}, {"same.x.de", "same.x.de"}},
           Case{{}, {}},
       }) {
    EXPECT_EQ(hw::InStableOrder(c.in), c.out);
    Names reversed(c.in.rbegin(), c.in.rend());
    EXPECT_EQ(hw::InStableOrder(reversed), c.out) << "either order of the answer";
  }
}

TEST(AcceptedCampusNames, OnlyNamesTheCheckWouldGoOnWith) {
  const hw::CampusLists campus{{"uni-falkenau.de", "klinikum-falkenau.de"}, {"dhcp"}};
  EXPECT_EQ(hw::AcceptedCampusNames({"pc-9.uni-falkenau.de", "dhcp-7.uni-falkenau.de", "www.provider.example",
                                 "uni-falkenau.de", "localhost", "", "op-3.klinikum-falkenau.de."},
                                campus),
            (std::vector<std::string>{"pc-9.uni-falkenau.de", "op-3.klinikum-falkenau.de."}));
}
