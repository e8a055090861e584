// The synchronise mode for scripts and the system-log entry of each run.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "interfaces/headless/headless_forms.h"
#include "report/report_mode.h"
#include "report/sync_run.h"
#include "report/verdict_log.h"
#include "support/fake_os.h"
#include "ui/program.h"

namespace hw::report {
namespace {

// A message box's text as the script writes it: each line on a line of its own.
std::string Lines(std::string_view text) {
  std::string lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find("\r\n", start);
    lines += std::string(text.substr(start, end - start)) + "\n";
    if (end == std::string_view::npos) return lines;
    start = end + 2;
  }
}

const std::string kNameSet = Lines(Text(Msg::NameSet));
const std::string kRightsNeeded = Lines(Text(Msg::RightsNeeded));

void MakeAdmin(test::FakeOs& os) { os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"}); }
// A mismatch whose name leads back to the address, as a rename needs.
void Mismatch(test::FakeOs& os, const char* name) {
  os.dnsAnswer[0].pNameHost = name;
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  os.aRecords[name] = os.aRecords[lower] = {test::Ipv4(192, 0, 2, 7)};
}

class RecordingLog : public VerdictLog {
 public:
  void Write(const VerdictEntry& entry) override { entries.push_back(entry); }
  std::vector<VerdictEntry> entries;
};

class BrokenLog : public VerdictLog {
 public:
  void Write(const VerdictEntry&) override { throw std::runtime_error("no log"); }
};

struct SyncCase {
  const char* name;
  std::function<void(test::FakeOs&)> setup;
  int exitCode;
  std::string out, err;
  std::vector<std::pair<int, std::string>> namesSet;
};

TEST(RunSyncMode, SetsTheNameOnAMismatchOnlyAndExitsWithTheOutcome) {
  const std::vector<SyncCase> cases = {
      {"names agree", MakeAdmin, 0, "", "", {}},
      {"check does not apply", [](test::FakeOs& os) { MakeAdmin(os); os.dnsStatus = 9003; }, 0, "", "", {}},
      {"mismatch, administrator",
       [](test::FakeOs& os) { MakeAdmin(os); Mismatch(os, "PC-Labor-3.uni-falkenau.de"); }, 0, kNameSet, "",
       {{kComputerNamePhysicalDnsHostname, "PC-Labor-3"}}},
      {"mismatch, no rights", [](test::FakeOs& os) { Mismatch(os, "pc-99.uni-falkenau.de"); }, 1, "", kRightsNeeded,
       {}},
      {"mismatch, name of 16 characters",
       [](test::FakeOs& os) { MakeAdmin(os); Mismatch(os, "abcdefghijklmnop.uni-falkenau.de"); }, 1, "",
       Lines(Text(Msg::NameUnusable, {"abcdefghijklmnop"})),
       {}},
      {"mismatch, the system refuses",
       [](test::FakeOs& os) { MakeAdmin(os); Mismatch(os, "pc-99.uni-falkenau.de"); os.setComputerNameResult = 0; },
       1, "", Lines(Text(Msg::NameNotSet)),
       {{kComputerNamePhysicalDnsHostname, "pc-99"}}},
      {"Windows 98 sets with the older call",
       [](test::FakeOs& os) {
         os.version = test::Version(kPlatformWin32Windows, 4, 10, 2222, "");
         os.hostByAddr->h_name = "pc-98.uni-falkenau.de";
       },
       0, kNameSet, "", {{-1, "pc-98"}}},
      {"the check fails", [](test::FakeOs& os) { MakeAdmin(os); os.hostByName.reset(); }, 2, "",
       Lines(Text(Msg::GetHostByNameFailed)), {}},
      {"mismatch, the name does not lead back to the address",
       [](test::FakeOs& os) { MakeAdmin(os); Mismatch(os, "pc-99.uni-falkenau.de"); os.aRecords.clear(); }, 1, "",
       Lines(Text(Msg::NotConfirmed, {"pc-99.uni-falkenau.de", "192.0.2.7"})),
       {}},
      {"mismatch, an administrator limited by UAC: no elevated copy, no window",
       [](test::FakeOs& os) {
         MakeAdmin(os);
         os.tokenGroups.back().attributes = kSeGroupUseForDenyOnly;
         os.version = test::Version(kPlatformWin32NT, 6, 1, 7601, "Service Pack 1");
         os.elevationType = kTokenElevationTypeLimited;
         Mismatch(os, "pc-99.uni-falkenau.de");
       },
       1, "", kRightsNeeded, {}},
  };
  for (const auto& c : cases) {
    test::FakeOs os;
    c.setup(os);
    StringWriter out, err;
    RecordingLog log;
    EXPECT_EQ(RunSyncMode(os, out, err, &log), c.exitCode) << c.name;
    EXPECT_EQ(out.Text(), c.out) << c.name;
    EXPECT_EQ(err.Text(), c.err) << c.name;
    EXPECT_EQ(os.namesSet, c.namesSet) << c.name;
    EXPECT_TRUE(os.programsStarted.empty()) << c.name << ": a script starts no elevated copy";
    ASSERT_EQ(log.entries.size(), 1u) << c.name << ": one entry per run";
    EXPECT_EQ(log.entries[0].nameSet, c.exitCode == 0 && !c.namesSet.empty()) << c.name;
    EXPECT_TRUE(os.AllReleased()) << c.name;
  }
}

TEST(RunSyncMode, ABrokenLogChangesNothing) {
  test::FakeOs os;
  MakeAdmin(os);
  Mismatch(os, "pc-99.uni-falkenau.de");
  StringWriter out, err;
  BrokenLog log;
  EXPECT_EQ(RunSyncMode(os, out, err, &log), 0);
  EXPECT_EQ(out.Text(), kNameSet);
  EXPECT_EQ(RunSyncMode(os, out, err, nullptr), 0) << "no log at all";
}

TEST(RunReportMode, WritesOneEntryThatNeverSaysTheNameWasSet) {
  test::FakeOs os;
  MakeAdmin(os);
  Mismatch(os, "pc-99.uni-falkenau.de");
  StringWriter out, err;
  RecordingLog log;
  EXPECT_EQ(RunReportMode(os, true, out, err, &log), 1);
  ASSERT_EQ(log.entries.size(), 1u);
  const VerdictEntry& entry = log.entries[0];
  EXPECT_EQ(entry.verdict, CheckVerdict::Mismatch);
  EXPECT_EQ(entry.computerName, "ws-17");
  EXPECT_EQ(entry.dnsName, "pc-99.uni-falkenau.de");
  EXPECT_EQ(entry.address, "192.0.2.7");
  EXPECT_EQ(entry.dnsServer, "192.0.2.53");
  EXPECT_FALSE(entry.nameSet);
  EXPECT_TRUE(os.namesSet.empty());
}

VerdictEntry Entry(CheckVerdict verdict, std::string dnsName, std::string dnsServer, bool nameSet) {
  VerdictEntry entry{verdict, "ws-17", std::move(dnsName), "192.0.2.7", std::move(dnsServer), nameSet};
  entry.version = "1.2.0.0";
  return entry;
}

TEST(VerdictLogText, QuotesEveryValueSoAHostileNameCannotForgeAField) {
  struct Case { VerdictEntry entry; std::string text; };
  VerdictEntry exempt = Entry(CheckVerdict::NotApplicable, "dhcp-7.uni-falkenau.de", "192.0.2.53", false);
  exempt.reason = "dynamic-pool";
  exempt.ptrNames = {"dhcp-7.uni-falkenau.de", "x\"] version=9"};
  exempt.invalidPolicy = {"CampusDomains", "DynamicPoolPrefixes"};
  VerdictEntry confirmed = Entry(CheckVerdict::Mismatch, "pc-9.uni-falkenau.de", "192.0.2.53", false);
  confirmed.forwardConfirmed = false;
  VerdictEntry failed;
  failed.version = "1.2.0.0";
  VerdictEntry unshown = Entry(CheckVerdict::Mismatch, "", "", false);
  unshown.shown = false;
  const std::vector<Case> cases = {
      {Entry(CheckVerdict::Agree, "ws-17.uni-falkenau.de", "192.0.2.53", false),
       R"(verdict=agree computerName="ws-17" dnsName="ws-17.uni-falkenau.de" address="192.0.2.7" )"
       R"(dnsServer="192.0.2.53" nameSet=no reason=- forwardConfirmed=- ptrNames=[] version=1.2.0.0)"},
      {Entry(CheckVerdict::Mismatch, "pc\" nameSet=yes\n.x", "", true),
       R"(verdict=mismatch computerName="ws-17" dnsName="pc\" nameSet=yes\n.x" address="192.0.2.7" )"
       R"(dnsServer="" nameSet=yes reason=- forwardConfirmed=- ptrNames=[] version=1.2.0.0)"},
      {exempt,
       R"(verdict=not-applicable computerName="ws-17" dnsName="dhcp-7.uni-falkenau.de" address="192.0.2.7" )"
       R"(dnsServer="192.0.2.53" nameSet=no reason=dynamic-pool forwardConfirmed=- )"
       R"(ptrNames=["dhcp-7.uni-falkenau.de","x\"] version=9"] version=1.2.0.0 )"
       R"(policy=invalid:CampusDomains,DynamicPoolPrefixes)"},
      {confirmed,
       R"(verdict=mismatch computerName="ws-17" dnsName="pc-9.uni-falkenau.de" address="192.0.2.7" )"
       R"(dnsServer="192.0.2.53" nameSet=no reason=- forwardConfirmed=no ptrNames=[] version=1.2.0.0)"},
      {failed,
       R"(verdict=failed computerName="" dnsName="" address="" dnsServer="" nameSet=no reason=- )"
       R"(forwardConfirmed=- ptrNames=[] version=1.2.0.0)"},
      {unshown,
       R"(verdict=mismatch computerName="ws-17" dnsName="" address="192.0.2.7" dnsServer="" nameSet=no reason=- )"
       R"(forwardConfirmed=- ptrNames=[] version=1.2.0.0 shown=no)"},
  };
  for (const auto& c : cases) EXPECT_EQ(VerdictLogText(c.entry), c.text);
}

// An answer of thousands of names still leaves its one entry: the first ten
// and how many there were; the elevated copy's entry names the name it set.
TEST(VerdictLogText, ListsTheFirstTenPtrNamesWithTheirCountAndTheNewName) {
  struct Case { std::size_t names; std::string listed, count; };
  for (const auto& c : {Case{0, "[]", ""}, Case{1, R"(["n0.de"])", ""},
                        Case{10, R"(["n0.de","n1.de","n2.de","n3.de","n4.de","n5.de","n6.de","n7.de","n8.de","n9.de"])", ""},
                        Case{11, R"(["n0.de","n1.de","n2.de","n3.de","n4.de","n5.de","n6.de","n7.de","n8.de","n9.de"])",
                             " ptrNameCount=11"},
                        Case{5000, R"(["n0.de","n1.de","n2.de","n3.de","n4.de","n5.de","n6.de","n7.de","n8.de","n9.de"])",
                             " ptrNameCount=5000"}}) {
    std::vector<std::string> answer;
    for (std::size_t i = 0; i < c.names; ++i) answer.push_back("n" + std::to_string(i) + ".de");
    VerdictEntry entry = Entry(CheckVerdict::NotApplicable, "", "", false);
    CampusPolicy policy;
    policy.invalid = {"untrusted-file"};
    AddDetails(entry, NameCheckExemption::OutsideCampus, answer, policy);
    EXPECT_EQ(entry.ptrNameCount, c.names);
    std::string text = VerdictLogText(entry);
    EXPECT_NE(text.find(" ptrNames=" + c.listed + " version=1.2.0.0" + c.count + " policy=invalid:untrusted-file"),
              std::string::npos) << text;
  }
  VerdictEntry renamed = Entry(CheckVerdict::Renamed, "", "", true);
  renamed.newName = "pc-99";
  EXPECT_TRUE(VerdictLogText(renamed).ends_with(R"( version=1.2.0.0 newName="pc-99")")) << VerdictLogText(renamed);
}

TEST(RunReportMode, TheEntryCarriesReasonConfirmationNamesVersionAndIgnoredSettings) {
  struct Case { const char* name; std::function<void(test::FakeOs&)> script; const char* reason;
                std::optional<bool> confirmed; std::vector<std::string> invalid; };
  const std::vector<Case> cases = {
      {"outside the campus", [](test::FakeOs& os) { os.dnsAnswer[0].pNameHost = "ws-17.example.org"; },
       "outside-campus", std::nullopt, {}},
      {"mismatch, confirmed", [](test::FakeOs& os) { Mismatch(os, "pc-99.uni-falkenau.de"); }, "", true, {}},
      {"agree, a setting of the wrong type",
       [](test::FakeOs& os) { os.policy["CampusDomains"] = {"policy", false, {}}; }, "", std::nullopt,
       {"CampusDomains"}},
  };
  for (const auto& c : cases) {
    test::FakeOs os;
    c.script(os);
    StringWriter out, err;
    RecordingLog log;
    RunReportMode(os, true, out, err, &log);
    ASSERT_EQ(log.entries.size(), 1u) << c.name;
    const VerdictEntry& entry = log.entries[0];
    EXPECT_EQ(entry.reason, c.reason) << c.name;
    EXPECT_EQ(entry.forwardConfirmed, c.confirmed) << c.name;
    EXPECT_EQ(entry.ptrNames, std::vector<std::string>{os.dnsAnswer[0].pNameHost}) << c.name;
    EXPECT_EQ(entry.version, ProgramVersion()) << c.name;
    EXPECT_EQ(entry.invalidPolicy, c.invalid) << c.name;
  }
}

}  // namespace
}  // namespace hw::report

#include "report/mode_options.h"
#include "text/catalogue.h"

namespace hw::report {
namespace {

TEST(ParseModeOptions, TakesEitherPrefixInAnyLetterCaseQuotedOrNot) {
  struct Case { const char* arguments; Mode mode; bool json; };
  const std::vector<Case> cases = {
      {"", Mode::Window, false},
      {"/Q", Mode::Window, false},
      {"-q", Mode::Window, false},
      {"/REPORT", Mode::Report, false},
      {"-report", Mode::Report, false},
      {"--Report", Mode::Report, false},
      {"/REPORT /JSON", Mode::Report, true},
      {"\t/report   -json ", Mode::Report, true},
      {"\"/REPORT\" \"/JSON\"", Mode::Report, true},  // as PowerShell's Start-Process passes them
      {"/RE\"PORT\"", Mode::Report, false},
      {"/json", Mode::Report, true},
      {"/SYNC", Mode::Sync, false},
      {"\"/sync\"", Mode::Sync, false},
      {"REPORT", Mode::Window, false},     // no switch without its prefix
      {"/Q /report", Mode::Report, false},
      {"/Qreport", Mode::Window, false},
      {"/SetComputerName:pc-99", Mode::Window, false},  // the elevated copy is a window run
  };
  for (const auto& c : cases) {
    ModeOptions options = ParseModeOptions(c.arguments);
    EXPECT_EQ(options.mode, c.mode) << c.arguments;
    EXPECT_EQ(options.json, c.json) << c.arguments;
  }
}

TEST(ParseModeOptions, RefusesLookalikesAndTheReportWithTheRename) {
  struct Case { const char* arguments; std::string line; };
  const std::vector<Case> cases = {
      {"/REPORT/JSON", UnknownSwitchLine("/REPORT/JSON")},
      {"/REPORTS", UnknownSwitchLine("/REPORTS")},
      {"\"/REPORT /JSON\"", UnknownSwitchLine("/REPORT /JSON")},  // one word in quotes
      {"/Q -syncnow", UnknownSwitchLine("-syncnow")},
      {"\"/JSON:yes\" /REPORT", UnknownSwitchLine("/JSON:yes")},
      {"/REPORT /SYNC", ReportWithSyncLine("/REPORT", "/SYNC")},
      {"-sync /json --report", ReportWithSyncLine("--report", "-sync")},
      {"\"/Report\" \"/Sync\"", ReportWithSyncLine("/Report", "/Sync")},
      {"/SYNC /JSON", ReportWithSyncLine("/JSON", "/SYNC")},
  };
  for (const auto& c : cases) {
    ModeOptions options = ParseModeOptions(c.arguments);
    EXPECT_EQ(options.mode, Mode::Refused) << c.arguments;
    EXPECT_EQ(options.refusal, c.line) << c.arguments;
    EXPECT_EQ(options.refusal.find('\n'), std::string::npos) << "one line";
  }
  EXPECT_NE(ReportWithSyncLine("/REPORT", "/SYNC").find("/REPORT und /SYNC"), std::string::npos);
}

// The C runtime's rules, which every script language's quoting aims at.
TEST(SplitArguments, BlanksOutsideQuotesQuotesRemovedBackslashesBeforeQuotes) {
  using Words = std::vector<std::string>;
  struct Case { const char* text; Words words; };
  const std::vector<Case> cases = {
      {"", {}},
      {"  \t ", {}},
      {"a b\tc", {"a", "b", "c"}},
      {"\"a b\" c", {"a b", "c"}},
      {"\"\"", {""}},
      {"a\"b c\"d", {"ab cd"}},
      {"\\\"a", {"\"a"}},           // \" is a literal quote
      {"\\\\\"a b\"", {"\\a b"}},  // \\" is one backslash, then a quote
      {"C:\\dir\\ x", {"C:\\dir\\", "x"}},  // backslashes elsewhere stay
      {"\"a\"\"b\"", {"a\"b"}},
      {"\"open", {"open"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitArguments(c.text), c.words) << c.text;
}

}  // namespace
}  // namespace hw::report
