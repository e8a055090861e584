// The report mode: JSON that stays valid whatever bytes a name holds, the
// verdicts and exit codes, and what the main window would have shown.
#include <gtest/gtest.h>

#include <functional>

#include "report/report.h"
#include "report/vocabulary.h"
#include "report/escaping.h"
#include "report/report_mode.h"
#include "text/catalogue.h"
#include "text/text.h"
#include "support/fake_os.h"

using namespace std::string_literals;

namespace hw::report {
namespace {

// A line of the text report: the label, blanks to column 17, the value.
std::string Line(Msg label, std::string_view value) {
  std::string line(Text(label));
  line.append(16 - CharacterCount(line), ' ');
  return line + std::string(value) + "\n";
}

TEST(JsonString, EscapesWhatJsonForbidsAndKeepsWellFormedUtf8) {
  struct Case { std::string in, out; };
  for (const auto& c : {
           Case{"", R"("")"},
           Case{"ws-17.uni-falkenau.de", R"("ws-17.uni-falkenau.de")"},
           Case{R"(a"b\c)", R"("a\"b\\c")"},
           Case{"line\r\nnext\ttab", R"("line\r\nnext\ttab")"},
           Case{"nul\0x"s, R"("nul\u0000x")"},
           Case{"\x01\x1f\x7f", R"("\u0001\u001f\u007f")"},
           Case{"MÜLLER € 😀", "\"MÜLLER € 😀\""},
           Case{"/", R"("/")"},
       }) {
    EXPECT_EQ(JsonString(c.in), c.out) << c.in;
  }
}

TEST(JsonString, ReplacesEveryByteOfMalformedUtf8) {
  struct Case { std::string in, out; };
  for (const auto& c : {
           Case{"\xff", R"("\ufffd")"},                          // never a lead byte
           Case{"ab\xc3", R"("ab\ufffd")"},                      // cut off at the end
           Case{"\xc3(", R"("\ufffd(")"},                        // lead byte without its continuation
           Case{"\xc0\xaf", R"("\ufffd\ufffd")"},                // overlong '/'
           Case{"\xe0\x80\xaf", R"("\ufffd\ufffd\ufffd")"},      // overlong, three bytes
           Case{"\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"},      // a UTF-16 surrogate
           Case{"\xf4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},  // above U+10FFFF
           Case{"\x80x\xbf", R"("\ufffdx\ufffd")"},              // stray continuation bytes
           Case{"\xc3\xbc\xc3", "\"ü\\ufffd\""},                 // a good character, then a broken one
       }) {
    EXPECT_EQ(JsonString(c.in), c.out) << "case " << c.out;
  }
}

TEST(PrintableText, ShowsControlAndMalformedBytesAsHex) {
  struct Case { std::string in, out; };
  for (const auto& c : {Case{"ws-17", "ws-17"}, Case{"a\x1b[2Jb", R"(a\x1b[2Jb)"}, Case{"\xff\xc3", R"(\xff\xc3)"},
                        Case{R"(a\b)", R"(a\\b)"}, Case{"Grüße", "Grüße"}, Case{"nul\0"s, R"(nul\x00)"}}) {
    EXPECT_EQ(PrintableText(c.in), c.out);
  }
}

struct RunCase {
  const char* name;
  std::function<void(test::FakeOs&)> setup;
  CheckVerdict verdict;
  int exitCode;
  std::string dnsShortName;
  std::vector<ReportMessage> messages;
};

TEST(RunStartupCheck, GivesTheVerdictAndExitCodeOfEachOutcome) {
  const std::vector<RunCase> cases = {
      {"names agree", [](test::FakeOs&) {}, CheckVerdict::Agree, 0, "ws-17", {}},
      {"mismatch", [](test::FakeOs& os) { os.dnsAnswer[0].pNameHost = "PC-99.uni-falkenau.de"; },
       CheckVerdict::Mismatch, 1, "PC-99", {}},
      {"dhcp name of the campus", [](test::FakeOs& os) { os.dnsAnswer[0].pNameHost = "dhcp-12.uni-falkenau.de"; },
       CheckVerdict::NotApplicable, 0, "", {}},
      {"no PTR record", [](test::FakeOs& os) { os.dnsStatus = 9003; }, CheckVerdict::NotApplicable, 0, "", {}},
      {"no version", [](test::FakeOs& os) { os.version.reset(); }, CheckVerdict::Failed, 2, "", {}},
      {"no addresses", [](test::FakeOs& os) { os.hostByName.reset(); }, CheckVerdict::Failed, 2, "",
       {{std::string(Text(Msg::GetHostByNameFailed)), 16}}},
      {"failed clean-up", [](test::FakeOs& os) { os.wsaCleanupResult = 10093; }, CheckVerdict::Failed, 2, "",
       {{std::string(Text(Msg::SocketsCleanupFailed)), 16}}},
  };
  for (const auto& c : cases) {
    test::FakeOs os;
    c.setup(os);
    Report report = RunStartupCheck(os);
    EXPECT_EQ(report.verdict, c.verdict) << c.name;
    EXPECT_EQ(ExitCodeOf(report), c.exitCode) << c.name;
    EXPECT_EQ(report.dnsShortName, c.dnsShortName) << c.name;
    ASSERT_EQ(report.messages.size(), c.messages.size()) << c.name;
    for (std::size_t i = 0; i < c.messages.size(); ++i) {
      EXPECT_EQ(report.messages[i].text, c.messages[i].text) << c.name;
      EXPECT_EQ(report.messages[i].style, c.messages[i].style) << c.name;
    }
    EXPECT_TRUE(os.namesSet.empty()) << c.name << ": the report must never change the system";
  }
}

TEST(RunStartupCheck, ReportsWhatTheMainWindowShows) {
  test::FakeOs os;
  os.hostByName = HostEnt{"ws-17", 4, {{192, 0, 2, 7}, {198, 51, 100, 4}}};
  Report report = RunStartupCheck(os);
  EXPECT_EQ(report.system, "Windows XP 5.1 build 2600 (Service Pack 3)");
  EXPECT_EQ(report.ieVersion, "6.0.2900");
  EXPECT_EQ(report.connection, "LAN");
  EXPECT_EQ(report.userName, "anna");
  EXPECT_EQ(report.computerName, "ws-17");
  EXPECT_EQ(report.netbiosName, std::optional<std::string>("WS-17"));
  EXPECT_EQ(report.dnsName, "ws-17.uni-falkenau.de");
  EXPECT_EQ(report.addresses, (std::vector<std::string>{"192.0.2.7", "198.51.100.4"}));
  EXPECT_EQ(report.selectedAddress, "192.0.2.7");
  EXPECT_EQ(report.dnsServer, "192.0.2.53");
}

TEST(RunStartupCheck, RunsInNormalModeOutsideTheSingleInstanceGuard) {
  test::FakeOs os;
  os.dnsAnswer[0].pNameHost = "pc-99.uni-falkenau.de";
  Report report = RunStartupCheck(os);
  // A quiet run would have ended on the mismatch; a guarded one could fail.
  EXPECT_FALSE(report.ended);
  EXPECT_EQ(report.verdict, CheckVerdict::Mismatch);
}

TEST(ReportAsJson, WritesEveryKeyAndNullForAHiddenNetbiosName) {
  test::FakeOs os;
  os.version = test::Version(kPlatformWin32Windows, 4, 10, 2222, "");  // Windows 98: no NetBIOS field
  os.hostByAddr->h_name = "pc-\"7\"\x01\xff";
  std::string json = ReportAsJson(RunStartupCheck(os));
  EXPECT_NE(json.find(R"("netbiosName":null)"), std::string::npos) << json;
  EXPECT_NE(json.find(R"("dnsName":"pc-\"7\"\u0001\ufffd")"), std::string::npos) << json;
  for (const char* key : {"system", "ieVersion", "connection", "userName", "computerName", "netbiosName", "dnsName",
                          "ptrNames", "addresses", "selectedAddress", "dnsServer", "dnsShortName", "verdict",
                          "notApplicableBecause", "forwardConfirmed", "messages"}) {
    EXPECT_NE(json.find("\""s + key + "\":"), std::string::npos) << key;
  }
  EXPECT_EQ(json.back(), '\n');
}

// Every PTR name, why the check did not apply, and whether a rename would
// find the name confirmed: asked on a mismatch only, and never renaming.
TEST(RunStartupCheck, ListsThePtrNamesTheReasonAndTheForwardConfirmation) {
  auto ptr = [](const char* name) { return DnsRecord{kDnsTypePtr, "", name}; };
  struct Case {
    const char* what;
    std::function<void(test::FakeOs&)> setup;
    std::vector<std::string> ptrNames;
    std::string json;  // the part from "verdict" to "messages"
    std::string text;  // the verdict line and the one after it
    int aQueries;
  };
  const std::vector<Case> cases = {
      {"agree, second record", [&](test::FakeOs& os) { os.dnsAnswer = {ptr("www.uni-falkenau.de"), ptr("WS-17.uni-falkenau.de")}; },
       {"WS-17.uni-falkenau.de", "www.uni-falkenau.de"},  // in stable order, not the answer's
       R"("verdict":"agree","notApplicableBecause":null,"forwardConfirmed":null,"renameRefusedBecause":null)",
       Line(Msg::ReportResult, Text(Msg::VerdictAgree)) + Line(Msg::ReportConfirmed, ""), 0},
      {"provider", [&](test::FakeOs& os) { os.dnsAnswer = {ptr("dslb-1.pools.example-isp.de")}; },
       {"dslb-1.pools.example-isp.de"},
       R"("verdict":"not-applicable","notApplicableBecause":"outside-campus","forwardConfirmed":null)",
       Line(Msg::ReportResult, std::string(Text(Msg::VerdictNotApplicable)) + " (" +
                                   std::string(Text(Msg::ReasonOutsideCampus)) + ")"), 0},
      {"mismatch, confirmed", [&](test::FakeOs& os) {
         os.dnsAnswer = {ptr("pc-9.uni-falkenau.de"), ptr("www.uni-falkenau.de")};
         os.aRecords = {{"pc-9.uni-falkenau.de", {test::Ipv4(192, 0, 2, 7)}}};
       }, {"pc-9.uni-falkenau.de", "www.uni-falkenau.de"},
       R"("verdict":"mismatch","notApplicableBecause":null,"forwardConfirmed":true,"renameRefusedBecause":null)",
       Line(Msg::ReportResult, Text(Msg::VerdictMismatch)) + Line(Msg::ReportConfirmed, Text(Msg::ReportYes)), 2},  // each campus name is asked
      {"mismatch, two campus names, none leads back",
       [&](test::FakeOs& os) { os.dnsAnswer = {ptr("www.uni-falkenau.de"), ptr("pc-9.uni-falkenau.de")}; },
       {"pc-9.uni-falkenau.de", "www.uni-falkenau.de"},
       R"("verdict":"mismatch","notApplicableBecause":null,"forwardConfirmed":false,)"
       R"("renameRefusedBecause":"ambiguous-ptr")",
       Line(Msg::ReportResult, Text(Msg::VerdictMismatch)) + Line(Msg::ReportConfirmed, Text(Msg::ReportNotOneConfirmed)), 2},
      {"mismatch, not confirmed", [&](test::FakeOs& os) { os.dnsAnswer = {ptr("pc-9.uni-falkenau.de")}; },
       {"pc-9.uni-falkenau.de"}, R"("verdict":"mismatch","notApplicableBecause":null,"forwardConfirmed":false)",
       Line(Msg::ReportResult, Text(Msg::VerdictMismatch)) + Line(Msg::ReportConfirmed, Text(Msg::ReportNo)), 1},
  };
  for (const auto& c : cases) {
    test::FakeOs os;
    c.setup(os);
    Report report = RunStartupCheck(os);
    EXPECT_EQ(report.ptrNames, c.ptrNames) << c.what;
    std::string json = ReportAsJson(report);
    EXPECT_NE(json.find(c.json), std::string::npos) << c.what << "\n" << json;
    EXPECT_NE(ReportAsText(report).find(c.text), std::string::npos) << c.what << "\n" << ReportAsText(report);
    int aQueries = 0;
    for (const auto& query : os.queries) aQueries += query.type == kDnsTypeA;
    EXPECT_EQ(aQueries, c.aQueries) << c.what;
    EXPECT_TRUE(os.namesSet.empty()) << c.what;
    EXPECT_TRUE(report.messages.empty()) << c.what;
    EXPECT_TRUE(os.AllReleased()) << c.what;
  }
}

TEST(RunReportMode, PrintsTheReportOnOutAndEachMessageLineOnErr) {
  test::FakeOs os;
  os.wsaData.wVersion = 0x0001;  // version 1.0: refused with a message, so the address list fails
  StringWriter out, err;
  EXPECT_EQ(RunReportMode(os, true, out, err), 2);
  EXPECT_NE(out.Text().find(R"("verdict":"failed")"), std::string::npos) << out.Text();
  const std::string refused = Text(Msg::SocketsVersionRefused, {"1", "0"});
  EXPECT_NE(out.Text().find(R"({"text":")" + refused + R"(","style":48})"), std::string::npos) << out.Text();
  EXPECT_EQ(err.Text(), "hostwarden: " + refused + "\n");
}

TEST(RunReportMode, TextReportEndsWithTheVerdict) {
  test::FakeOs os;
  StringWriter out, err;
  EXPECT_EQ(RunReportMode(os, false, out, err), 0);
  EXPECT_NE(out.Text().find(Line(Msg::ReportResult, Text(Msg::VerdictAgree))), std::string::npos) << out.Text();
  EXPECT_EQ(err.Text(), "");
}

// Whatever ends a run before its verdict reaches the script as one line on
// the error side, a line break in the error included, and status 2.
TEST(FatalError, OnePrintableLineAndStatusTwo) {
  const struct {
    std::string_view what, line;
  } table[] = {
      {"dnsapi.dll!DnsQuery_A is not available", "hostwarden: dnsapi.dll!DnsQuery_A is not available\n"},
      {"two\nlines\x1b[2J", "hostwarden: two\\x0alines\\x1b[2J\n"},
      {"", "hostwarden: \n"},
  };
  for (const auto& row : table) {
    StringWriter err;
    err.Write("before; ");
    EXPECT_EQ(FatalError(err, row.what), 2);
    EXPECT_EQ(err.Text(), "before; " + std::string(row.line)) << row.what;
  }
}

TEST(Verdict, WordsForPeopleAndUnchangedForScripts) {
  const struct {
    CheckVerdict verdict;
    Msg text;
    std::string_view name;
  } table[] = {
      {CheckVerdict::Agree, Msg::VerdictAgree, "agree"},
      {CheckVerdict::Mismatch, Msg::VerdictMismatch, "mismatch"},
      {CheckVerdict::NotApplicable, Msg::VerdictNotApplicable, "not-applicable"},
      {CheckVerdict::Failed, Msg::VerdictFailed, "failed"},
      {CheckVerdict::Unfinished, Msg::VerdictFailed, "failed"},
  };
  for (const auto& row : table) {
    Report report;
    report.verdict = row.verdict;
    std::string text = ReportAsText(report);
    EXPECT_NE(text.find(Line(Msg::ReportResult, Text(row.text))), std::string::npos) << text;
    std::string json = ReportAsJson(report);
    EXPECT_NE(json.find("\"verdict\":\"" + std::string(row.name) + "\""), std::string::npos) << json;
  }
}

}  // namespace
}  // namespace hw::report
