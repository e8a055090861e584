#include <gtest/gtest.h>

#include "check/name_rules.h"

namespace hw {
namespace {

TEST(QuietSwitch, FirstTwoCharactersOfTheTrimmedCommandLine) {
  struct Case { const char* commandLine; bool quiet; };
  for (const auto& c : {Case{"-Q", true}, Case{"/Q", true}, Case{"-q", true}, Case{"/q", true},
                        Case{"   -Q  ", true}, Case{"-Qx", true}, Case{"/quiet", true},
                        Case{"", false}, Case{"Q", false}, Case{"--Q", false}, Case{"-X -Q", false},
                        Case{"foo /Q", false}, Case{"\t-Q", false}, Case{"- Q", false}}) {
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

TEST(NameCheckApplies, ExemptsDynamicPoolLoopbackAndEmptyNames) {
  struct Case { bool lan; const char* name; const char* address; bool applies; };
  const char* ip = "192.0.2.7";
  for (const auto& c : {
           Case{true, "ws-17.uni-falkenau.de", ip, true},
           Case{false, "ws-17.uni-falkenau.de", ip, false},                // no LAN
           Case{true, "dhcp-17.uni-falkenau.de", ip, false},               // dynamic pool of the campus
           Case{true, "DHCP-17.Uni-Falkenau.DE", ip, false},               // in any letter case
           Case{true, "dhcp17.uni-falkenau.de.example.org", ip, false},    // the domain anywhere in the name
           Case{true, "dhcp-17.example.org", ip, true},                    // dhcp outside the campus
           Case{true, "ws-dhcp.uni-falkenau.de", ip, true},                // campus name not starting with dhcp
           Case{true, "localhost", ip, false},
           Case{true, "LOCALHOST", ip, false},
           Case{true, "localhost.uni-falkenau.de", ip, true},             // only the bare name is exempt
           Case{true, "", ip, false},
           Case{true, "ws-17.uni-falkenau.de", "127.0.0.1", false},
           Case{true, "ws-17.uni-falkenau.de", "127.0.0.2", true},
       }) {
    EXPECT_EQ(NameCheckApplies({c.lan, c.name, c.address, "uni-falkenau.de"}), c.applies)
        << c.name << " at " << c.address << (c.lan ? " on the LAN" : " off the LAN");
  }
}

TEST(DnsShortName, FirstLabelInTheAnswersLetterCase) {
  EXPECT_EQ(DnsShortNameOf("Ws-17.Uni-Falkenau.de"), "Ws-17");
  EXPECT_EQ(DnsShortNameOf("ws-17"), "ws-17");
  EXPECT_EQ(DnsShortNameOf(".uni-falkenau.de"), "");
  EXPECT_EQ(DnsShortNameOf("ws-17."), "ws-17");
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
