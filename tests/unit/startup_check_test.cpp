#include <gtest/gtest.h>

#include <functional>

#include "support/startup_stage.h"

namespace hw {
namespace {

using test::Failure;
using test::StartupStage;

enum class Shown { Nothing, MainWindow, MainWindowWithWarning, DialogOnly };

struct Outcome {
  const char* situation;
  std::function<void(StartupStage&)> arrange;
  Shown quiet;
  Shown normal;
  CheckVerdict verdict;
};

Shown WhatIsShown(StartupStage& s) {
  bool dialogShown = s.dialogsShown > 0;
  if (s.ended || s.forms.Ended()) return Shown::Nothing;
  if (dialogShown && !s.form1.Visible()) return Shown::DialogOnly;
  if (!s.form1.Visible()) return Shown::Nothing;
  return s.WarningRaised() ? Shown::MainWindowWithWarning : Shown::MainWindow;
}

TEST(StartupCheck, EveryOutcomeInBothModes) {
  const std::vector<Outcome> outcomes = {
      {"names agree", [](StartupStage&) {}, Shown::Nothing, Shown::MainWindow, CheckVerdict::Agree},
      {"mismatch", [](StartupStage& s) { s.op.QueryComputerName = [] { return std::string("PC-OLD"); }; },
       Shown::DialogOnly, Shown::MainWindowWithWarning, CheckVerdict::Mismatch},
      {"check does not apply", [](StartupStage& s) {
         s.op.DnsReverseLookup = test::PtrAnswer({});
       }, Shown::Nothing, Shown::MainWindow, CheckVerdict::NotApplicable},
      {"version text empty", [](StartupStage& s) {
         s.op.OsVersionText = []() { return std::string(); };
       }, Shown::Nothing, Shown::Nothing, CheckVerdict::Failed},
      {"address list failed", [](StartupStage& s) { s.op.ListLocalAddresses = [] { return false; }; },
       Shown::Nothing, Shown::Nothing, CheckVerdict::Failed},
      {"a provider's name outside the campus", [](StartupStage& s) {
         s.op.DnsReverseLookup = test::PtrAnswer({"dslb-092-075-123-045.pools.example-isp.de"});
       }, Shown::Nothing, Shown::MainWindow, CheckVerdict::NotApplicable},
      {"another name in a sub-domain of the campus", [](StartupStage& s) {
         s.op.DnsReverseLookup = test::PtrAnswer({"pc-9.physik.uni-falkenau.de"});
       }, Shown::DialogOnly, Shown::MainWindowWithWarning, CheckVerdict::Mismatch},
      {"the own name in a sub-domain of the campus", [](StartupStage& s) {
         s.op.DnsReverseLookup = test::PtrAnswer({"WS-17.Physik.Uni-Falkenau.DE"});
       }, Shown::Nothing, Shown::MainWindow, CheckVerdict::Agree},
  };
  for (const auto& o : outcomes) {
    for (bool quiet : {true, false}) {
      StartupStage s(quiet ? "/Q" : "");
      o.arrange(s);
      s.Run();
      EXPECT_EQ(WhatIsShown(s), quiet ? o.quiet : o.normal) << o.situation << (quiet ? ", quiet" : ", normal");
      EXPECT_EQ(s.values.verdict, o.verdict) << o.situation;
      EXPECT_TRUE(s.forms.Messages().empty()) << o.situation << ": the check itself shows no message";
      if (!quiet) {
        EXPECT_EQ(s.dialogsShown, 0) << o.situation << ": no dialog in normal mode";
      }
    }
  }
}

// Servers rotate the PTR records of an address: any record that agrees with
// the computer names settles it, whatever its place in the answer, and
// otherwise the name shown, compared and offered is the same for either
// order (lower-cased name first, then the bytes).
TEST(StartupCheck, EveryPtrRecordCountsAndEitherOrderGivesTheSameRun) {
  using Names = std::vector<std::string>;
  struct Case { Names names; CheckVerdict verdict; const char* shown; const char* shortName; };
  for (const auto& c : {
           Case{{"Ws-17.uni-falkenau.de", "www.uni-falkenau.de"}, CheckVerdict::Agree, "Ws-17.uni-falkenau.de", "Ws-17"},
           Case{{"www.uni-falkenau.de", "pc-9.uni-falkenau.de"}, CheckVerdict::Mismatch, "pc-9.uni-falkenau.de", "pc-9"},
           // Letter case does not order the names; the bytes only break a tie.
           Case{{"PC-9.uni-falkenau.de", "lab-2.uni-falkenau.de"}, CheckVerdict::Mismatch, "lab-2.uni-falkenau.de", "lab-2"},
           Case{{"pc-9.uni-falkenau.de", "PC-9.uni-falkenau.de"}, CheckVerdict::Mismatch, "PC-9.uni-falkenau.de", "PC-9"},
           // The first name of the order decides whether the check applies when none agrees.
           Case{{"dhcp-7.uni-falkenau.de", "pc-9.uni-falkenau.de"}, CheckVerdict::NotApplicable, "dhcp-7.uni-falkenau.de", ""},
           Case{{"dhcp-7.uni-falkenau.de", "ws-17.uni-falkenau.de"}, CheckVerdict::Agree, "ws-17.uni-falkenau.de", "ws-17"},
       }) {
    const Names sorted = InStableOrder(c.names);
    for (const Names& answer : {c.names, Names{c.names[1], c.names[0]}})
      for (bool quiet : {false, true}) {
        StartupStage s(quiet ? "/Q" : "");
        s.op.DnsReverseLookup = test::PtrAnswer(answer);
        s.Run();
        SCOPED_TRACE(answer[0] + ", " + answer[1] + (quiet ? ", quiet" : ", normal"));
        EXPECT_EQ(s.values.verdict, c.verdict);
        EXPECT_EQ(s.values.ptrNames, sorted);
        EXPECT_EQ(s.Text("txt_DNS"), c.shown);
        EXPECT_EQ(s.members.DnsShortName, c.shortName);
        EXPECT_EQ(s.dialogsShown, quiet && c.verdict == CheckVerdict::Mismatch ? 1 : 0);
      }
  }
}

TEST(StartupCheck, AnotherInstanceEndsBeforeAnythingIsRead) {
  bool versionRead = false;
  StartupStage s("", /*prevInstance=*/true);
  s.op.OsVersionText = [&]() {
    versionRead = true;
    return std::string("Windows XP");
  };
  s.Run();
  EXPECT_TRUE(s.ended);
  EXPECT_FALSE(versionRead);
  EXPECT_FALSE(s.forms.AnyWindowLoaded());
}

TEST(StartupCheck, FillsTheMainWindowOnWindows2000AndLater) {
  StartupStage s;
  s.op.QueryComputerName = [] { return std::string("PC-OLD"); };
  std::string askedAddress, askedServer;
  s.op.DnsReverseLookup = [&](const std::string& address, const std::string& server, LookupFailure&) {
    askedAddress = address;
    askedServer = server;
    return std::vector<std::string>{"Ws-17.uni-falkenau.de"};
  };
  s.Run();
  EXPECT_EQ(s.Text("lbl_System"), "Windows XP 5.1 build 2600 (Service Pack 3)");
  EXPECT_EQ(s.Text("lbl_IE"), "6.0.2900.5512");
  EXPECT_EQ(s.Text("lbl_Conn"), "LAN");
  EXPECT_EQ(s.Text("lbl_Username"), "anna");
  EXPECT_EQ(s.Text("txt_CN"), "ws-17");
  EXPECT_EQ(s.Text("txt_NB"), "PC-OLD");
  EXPECT_EQ(s.Text("txt_DNS"), "Ws-17.uni-falkenau.de");
  EXPECT_EQ(s.Text("cbo_IP"), "192.0.2.7");
  EXPECT_TRUE(s.Visible("lbl_NB"));
  EXPECT_TRUE(s.Visible("txt_NB"));
  EXPECT_EQ(askedAddress, "192.0.2.7");  // the first address only
  EXPECT_EQ(askedServer, "192.0.2.53");
  EXPECT_EQ(s.members.DnsShortName, "Ws-17");
  EXPECT_TRUE(s.WarningRaised());  // host name agrees, NetBIOS name does not
}

TEST(StartupCheck, ComparisonIgnoresCaseButShortNameKeepsIt) {
  StartupStage s;
  s.op.QueryComputerName = [] { return std::string("WS-17"); };
  s.op.QueryDnsHostName = [] { return std::string("ws-17"); };
  s.op.DnsReverseLookup = test::PtrAnswer({"Ws-17.Uni-Falkenau.de"});
  s.Run();
  EXPECT_EQ(s.values.verdict, CheckVerdict::Agree);
  EXPECT_EQ(s.members.DnsShortName, "Ws-17");
}

TEST(StartupCheck, DnsNameIsCutAtItsFirstNul) {
  StartupStage s;
  s.op.DnsReverseLookup = test::PtrAnswer({std::string("pc-9.uni-falkenau.de\0ws-17", 27)});
  s.Run();
  EXPECT_EQ(s.Text("txt_DNS"), "pc-9.uni-falkenau.de");
  EXPECT_EQ(s.members.DnsShortName, "pc-9");
}

// Before Windows 2000 the resolver may answer with the PC's own name from
// its own tables; only an answer equal to the computer name to the letter is
// dropped.
TEST(StartupCheck, OlderSystemsAskTheResolver) {
  struct Case { const char* answer; const char* shownDns; CheckVerdict verdict; };
  for (const auto& c : {Case{"WS-17", "", CheckVerdict::NotApplicable},
                        Case{"ws-17", "ws-17", CheckVerdict::NotApplicable},  // no campus domain in it
                        Case{"ws-17.uni-falkenau.de", "ws-17.uni-falkenau.de", CheckVerdict::Agree},
                        Case{"pc-9.uni-falkenau.de", "pc-9.uni-falkenau.de", CheckVerdict::Mismatch}}) {
    StartupStage s;
    s.op.HasDnsClient = [] { return false; };
    s.op.QueryDnsHostName = [] { return std::string("never asked"); };
    s.op.DnsReverseLookup = [](const std::string&, const std::string&, LookupFailure&) -> std::vector<std::string> {
      throw Failure();
    };
    s.op.HostNameByAddress = [&](const std::string&, LookupFailure&) { return std::string(c.answer); };
    s.Run();
    EXPECT_EQ(s.Text("txt_DNS"), c.shownDns) << c.answer;
    EXPECT_EQ(s.Text("txt_CN"), "WS-17");
    EXPECT_FALSE(s.Visible("lbl_NB"));
    EXPECT_FALSE(s.Visible("txt_NB"));
    EXPECT_EQ(s.values.hostName, "WS-17");
    EXPECT_EQ(s.values.verdict, c.verdict) << c.answer;
  }
}

TEST(StartupCheck, ConnectionFromTheBrowserAndItsFlags) {
  struct Case { const char* browser; int result; uint32_t flags; const char* shown; bool asked; bool applies; };
  for (const auto& c : {
           Case{"6.0.2900", 1, kConnectionLan, "LAN", true, true},
           Case{"6.0.2900", 1, kConnectionLan | kConnectionModem, "LAN", true, true},
           Case{"6.0.2900", 1, kConnectionModem, "Dial-Up", true, false},
           Case{"6.0.2900", 1, 0, "", true, false},
           Case{"6.0.2900", 0, kConnectionLan, "", true, false},  // no connection reported
           Case{"4.72.3110", 1, kConnectionLan, "LAN", true, true},
           Case{"3.2.0", 0, 0, "", false, true},                   // too old to ask: counts as LAN
           Case{"10.0.1", 0, 0, "", false, true},                  // reads as version 1
       }) {
    StartupStage s;
    s.op.IeVersionText = [&] { return std::string(c.browser); };
    s.op.InternetGetConnectedState = [&](uint32_t& flags, uint32_t reserved) {
      ++s.connectionQueries;
      EXPECT_EQ(reserved, 0u);
      flags = c.flags;
      return c.result;
    };
    s.Run();
    EXPECT_EQ(s.Text("lbl_Conn"), c.shown) << c.browser << " flags " << c.flags;
    EXPECT_EQ(s.connectionQueries, c.asked ? 1 : 0) << c.browser;
    EXPECT_EQ(s.values.verdict != CheckVerdict::NotApplicable, c.applies) << c.browser << " flags " << c.flags;
  }
}

// A system that tells the connection by itself (Linux) is asked although no
// browser version is shown; Windows, which cannot, goes its old way.
TEST(StartupCheck, ConnectionFromTheSystemWithoutABrowser) {
  enum class Says { Yes, No, Unbound, Fails };
  struct Case { Says system; int result; uint32_t flags; const char* shown; bool asked; bool applies; };
  for (const auto& c : {
           Case{Says::Yes, 1, kConnectionLan, "LAN", true, true},
           Case{Says::Yes, 0, 0, "", true, false},                 // no default route: not on a LAN
           Case{Says::Yes, 1, kConnectionModem, "Dial-Up", true, false},
           Case{Says::No, 0, 0, "", false, true},                  // as before: counts as LAN
           Case{Says::Unbound, 0, 0, "", false, true},
           Case{Says::Fails, 0, 0, "", false, true},
       }) {
    StartupStage s;
    s.op.IeVersionText = []() -> std::string { throw MissingFunction("Shlwapi.dll", "DllGetVersion"); };
    switch (c.system) {
      case Says::Yes: s.op.ConnectionStateWithoutBrowser = [] { return true; }; break;
      case Says::No: s.op.ConnectionStateWithoutBrowser = [] { return false; }; break;
      case Says::Unbound: break;
      case Says::Fails: s.op.ConnectionStateWithoutBrowser = []() -> bool { throw Failure(); }; break;
    }
    s.op.InternetGetConnectedState = [&](uint32_t& flags, uint32_t) {
      ++s.connectionQueries;
      flags = c.flags;
      return c.result;
    };
    s.Run();
    EXPECT_EQ(s.Text("lbl_IE"), "");
    EXPECT_EQ(s.Text("lbl_Conn"), c.shown) << static_cast<int>(c.system) << " flags " << c.flags;
    EXPECT_EQ(s.connectionQueries, c.asked ? 1 : 0) << static_cast<int>(c.system);
    EXPECT_EQ(s.values.verdict != CheckVerdict::NotApplicable, c.applies) << static_cast<int>(c.system);
  }
}

// An action that fails is skipped without a message and keeps the values it
// would have set; a test that fails counts as passed.
TEST(StartupCheck, SkipsFailingActions) {
  {
    SCOPED_TRACE("browser library missing: no version, so the PC counts as on the LAN");
    StartupStage s;
    s.op.IeVersionText = []() -> std::string { throw MissingFunction("Shlwapi.dll", "DllGetVersion"); };
    s.Run();
    EXPECT_EQ(s.Text("lbl_IE"), "");
    EXPECT_EQ(s.connectionQueries, 0);
    EXPECT_TRUE(s.values.isLan);
    EXPECT_EQ(s.values.verdict, CheckVerdict::Agree);
  }
  {
    SCOPED_TRACE("version read fails: the caption stays empty and the program ends");
    StartupStage s;
    s.op.OsVersionText = []() -> std::string { throw Failure(); };
    s.Run();
    EXPECT_TRUE(s.ended);
    EXPECT_EQ(s.values.verdict, CheckVerdict::Failed);
  }
  {
    SCOPED_TRACE("connection function missing: neither LAN nor modem");
    StartupStage s;
    s.op.InternetGetConnectedState = [](uint32_t&, uint32_t) -> int { throw MissingFunction("wininet.dll", "x"); };
    s.Run();
    EXPECT_FALSE(s.values.isLan);
    EXPECT_EQ(s.values.verdict, CheckVerdict::NotApplicable);
  }
  {
    SCOPED_TRACE("the platform test fails: taken as passed, so the DNS path runs");
    StartupStage s;
    s.op.HasDnsClient = []() -> bool { throw Failure(); };
    s.op.HostNameByAddress = [](const std::string&, LookupFailure&) -> std::string { throw Failure(); };
    s.Run();
    EXPECT_TRUE(s.Visible("txt_NB"));
    EXPECT_EQ(s.Text("txt_DNS"), "ws-17.uni-falkenau.de");
  }
  {
    SCOPED_TRACE("the address list raises an error: taken as failed, the program ends");
    StartupStage s;
    s.op.ListLocalAddresses = []() -> bool { throw Failure(); };
    s.Run();
    EXPECT_TRUE(s.ended);
  }
  {
    SCOPED_TRACE("DNS host name probe fails: the host name stays empty and differs");
    StartupStage s;
    s.op.QueryDnsHostName = []() -> std::string { throw MissingFunction("kernel32.dll", "GetComputerNameExA"); };
    s.Run();
    EXPECT_EQ(s.Text("txt_CN"), "");
    EXPECT_EQ(s.values.verdict, CheckVerdict::Mismatch);
  }
  {
    SCOPED_TRACE("the dialog cannot be shown: the main window is still hidden");
    StartupStage s("-Q");
    s.op.QueryComputerName = [] { return std::string("PC-OLD"); };
    s.op.ShowWarningDialog = []() { throw FormsError("no dialog"); };
    s.Run();
    EXPECT_FALSE(s.form1.Visible());
    EXPECT_TRUE(s.values.mainWindowHidden);
  }
}

TEST(StartupCheck, FocusStartsOnTheButtonOnlyAfterAMismatch) {
  StartupStage agree;
  agree.Run();
  EXPECT_EQ(agree.form1.FocusedControl(), "cbo_IP");

  StartupStage mismatch;
  mismatch.op.QueryComputerName = [] { return std::string("PC-OLD"); };
  mismatch.Run();
  EXPECT_EQ(mismatch.form1.FocusedControl(), "cmd_Sync");
}

TEST(StartupCheck, BuildCampusDomainIsLowerCase) {
  std::string_view domain = DefaultCampusDomain();
  EXPECT_FALSE(domain.empty());
  for (char c : domain) EXPECT_FALSE(c >= 'A' && c <= 'Z') << domain;
}

}  // namespace
}  // namespace hw
