#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/campus_policy.h"
#include "report/report.h"
#include "report/report_mode.h"
#include "support/fake_os.h"
#include "text/catalogue.h"
#include "text/text.h"

namespace hw {
namespace {

using List = std::vector<std::string>;

TEST(CampusPolicy, UsableSettingsReplaceTheBuildsAndUnusableOnesLeaveItInForce) {
  struct Case {
    const char* name;
    std::map<std::string, PolicySetting> settings;
    List domains, prefixes;
    const char *domainsSource, *prefixesSource;
    List invalid;
  };
  const List builtIn{"uni-falkenau.de"}, dhcp{"dhcp"};
  const std::vector<Case> cases = {
      {"nothing set", {}, builtIn, dhcp, "built-in", "built-in", {}},
      {"two domains by policy",
       {{"CampusDomains", {"policy", true, {"uni-falkenau.de", "klinikum-falkenau.de"}}}},
       {"uni-falkenau.de", "klinikum-falkenau.de"}, dhcp, "policy", "built-in", {}},
      {"prefixes from the file", {{"DynamicPoolPrefixes", {"file", true, {"dhcp", "vpn-", "wlan"}}}}, builtIn,
       {"dhcp", "vpn-", "wlan"}, "built-in", "file", {}},
      {"a domain in capitals", {{"CampusDomains", {"policy", true, {"Uni-Falkenau.DE"}}}}, builtIn, dhcp,
       "built-in", "built-in", {"CampusDomains"}},
      {"one bad domain spoils the list",
       {{"CampusDomains", {"file", true, {"klinikum-falkenau.de", "bad..name"}}}}, builtIn, dhcp, "built-in",
       "built-in", {"CampusDomains"}},
      {"an empty list", {{"DynamicPoolPrefixes", {"file", true, {}}}}, builtIn, dhcp, "built-in", "built-in",
       {"DynamicPoolPrefixes"}},
      {"the wrong registry type", {{"CampusDomains", {"policy", false, {}}}}, builtIn, dhcp, "built-in",
       "built-in", {"CampusDomains"}},
      {"a prefix with a dot, a good domain",
       {{"CampusDomains", {"file", true, {"klinikum-falkenau.de"}}},
        {"DynamicPoolPrefixes", {"file", true, {"dhcp.pool"}}}},
       {"klinikum-falkenau.de"}, dhcp, "file", "built-in", {"DynamicPoolPrefixes"}},
      {"a file another user may write: its reason once, for both settings",
       {{"CampusDomains", {"file", false, {}, "untrusted-file"}},
        {"DynamicPoolPrefixes", {"file", false, {}, "untrusted-file"}}},
       builtIn, dhcp, "built-in", "built-in", {"untrusted-file"}},
      {"a file over the limit", {{"CampusDomains", {"file", false, {}, "too-large"}}}, builtIn, dhcp, "built-in",
       "built-in", {"too-large"}},
  };
  for (const auto& c : cases) {
    test::FakeOs os;
    os.policy = c.settings;
    CampusPolicy policy = ReadCampusPolicy(os);
    EXPECT_EQ(policy.lists.domains, c.domains) << c.name;
    EXPECT_EQ(policy.lists.poolPrefixes, c.prefixes) << c.name;
    EXPECT_EQ(policy.domainsSource, c.domainsSource) << c.name;
    EXPECT_EQ(policy.prefixesSource, c.prefixesSource) << c.name;
    EXPECT_EQ(policy.invalid, c.invalid) << c.name;
  }
}

TEST(CampusPolicy, ASystemWithoutPoliciesKeepsTheBuildsLists) {
  test::FakeOs os;
  os.missing.insert("ReadPolicySetting");
  CampusPolicy policy = ReadCampusPolicy(os);
  EXPECT_EQ(policy.lists.domains, List{"uni-falkenau.de"});
  EXPECT_TRUE(policy.invalid.empty());
}

TEST(CampusDomainName, LowerCaseLabelsOnly) {
  for (const char* good : {"uni-falkenau.de", "de", "a.b.c.d", "x1-2.example.org"})
    EXPECT_TRUE(IsCampusDomainName(good)) << good;
  for (const char* bad : {"", ".de", "uni-falkenau.de.", "a..b", "-uni.de", "uni-.de", "Uni.de", "uni_x.de",
                          "uni falkenau.de", "ü.de"})
    EXPECT_FALSE(IsCampusDomainName(bad)) << bad;
  EXPECT_FALSE(IsCampusDomainName(std::string(64, 'a') + ".de")) << "a label over 63";
  for (const char* good : {"dhcp", "vpn-", "0"}) EXPECT_TRUE(IsPoolPrefix(good)) << good;
  for (const char* bad : {"", "DHCP", "dhcp.", "a b"}) EXPECT_FALSE(IsPoolPrefix(bad)) << bad;
}

TEST(NameCheckExemption, EveryCampusDomainAndPoolPrefixOfTheListsCounts) {
  using E = NameCheckExemption;
  const CampusLists campus({"uni-falkenau.de", "klinikum-falkenau.de"}, {"dhcp", "vpn-"});
  struct Case { const char* name; E exemption; };
  for (const auto& c : {Case{"ws-17.uni-falkenau.de", E::None},
                        Case{"op-3.klinikum-falkenau.de", E::None},             // the second domain is checked
                        Case{"vpn-12.klinikum-falkenau.de", E::DynamicPoolName},  // a prefix of the list
                        Case{"VPN-12.Uni-Falkenau.DE", E::DynamicPoolName},
                        Case{"dhcp-3.klinikum-falkenau.de", E::DynamicPoolName},
                        Case{"vpn-12.example-isp.de", E::OutsideCampus},          // not a campus name at all
                        Case{"vpn12.uni-falkenau.de", E::None},                   // the prefix is "vpn-"
                        Case{"ws-17.falkenau.de", E::OutsideCampus}}) {
    EXPECT_EQ(NameCheckExemptionOf({true, c.name, "192.0.2.7", campus}), c.exemption) << c.name;
  }
  EXPECT_EQ(CampusDomainOf("op-3.Klinikum-Falkenau.DE.", campus.domains), "klinikum-falkenau.de");
  EXPECT_EQ(CampusDomainOf("uni-falkenau.de", campus.domains), "uni-falkenau.de") << "the domain's own name";
  EXPECT_EQ(CampusDomainOf("example.org", campus.domains), "");
}

TEST(Report, ShowsTheListsInForceTheirSourcesAndTheIgnoredSettings) {
  test::FakeOs os;
  os.policy["CampusDomains"] = {"policy", true, {"uni-falkenau.de", "klinikum-falkenau.de"}};
  os.policy["DynamicPoolPrefixes"] = {"policy", false, {}};
  report::Report report = report::RunStartupCheck(os);
  std::string json = report::ReportAsJson(report);
  EXPECT_NE(json.find(R"("campusDomains":{"value":["uni-falkenau.de","klinikum-falkenau.de"],"source":"policy"})"),
            std::string::npos) << json;
  EXPECT_NE(json.find(R"("dynamicPoolPrefixes":{"value":["dhcp"],"source":"built-in"})"), std::string::npos)
      << json;
  EXPECT_NE(json.find(R"("invalidPolicy":["DynamicPoolPrefixes"])"), std::string::npos) << json;
  std::string text = report::ReportAsText(report);
  // Each label is padded to 16 characters.
  auto line = [](Msg label, std::string_view value) {
    std::string row(Text(label));
    row.append(16 - CharacterCount(row), ' ');
    return row + std::string(value) + "\n";
  };
  EXPECT_NE(text.find(line(Msg::ReportCampusDomains, "uni-falkenau.de, klinikum-falkenau.de (policy)")),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(line(Msg::ReportPoolPrefixes, "dhcp (built-in)")), std::string::npos) << text;
  EXPECT_NE(text.find(line(Msg::ReportInvalid, "DynamicPoolPrefixes")), std::string::npos) << text;
}

}  // namespace
}  // namespace hw
