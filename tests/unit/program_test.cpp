// The whole program on the fake OS: the startup check with the real probes
// and lookups, the main window's button, and the warning dialog's paths.
#include <gtest/gtest.h>

#include <functional>

#include "interfaces/headless/headless_forms.h"
#include "support/fake_os.h"
#include "text/names.h"
#include "ui/program.h"
#include "text/catalogue.h"

namespace hw {
namespace {

// The forward query's options: only the server may answer.
constexpr uint32_t kServerOnly = kDnsQueryBypassCache | kDnsQueryNoLocalName | kDnsQueryNoHostsFile | kDnsQueryNoNetbt;

using test::FakeOs;

const std::string kRightsNeeded(Text(Msg::RightsNeeded));
const std::string kSuccess(Text(Msg::NameSet));

struct ProgramRun {
  FakeOs os;
  HeadlessForms forms;
  Program program;

  explicit ProgramRun(const std::string& commandLine, const std::function<void(FakeOs&)>& arrange = {})
      : forms(commandLine), program(os, forms) {
    if (arrange) arrange(os);
    Do([&] { program.Start(); });
  }
  // Runs a step of the user's; an end of the program is what it may lead to.
  void Do(const std::function<void()>& step) {
    try {
      step();
    } catch (const EndProgram&) {
    }
  }
  HeadlessWindow& Window(const char* name) { return *forms.Find(name); }
  void Click(const char* window, const char* control) { Do([&] { Window(window).Click(control); }); }
};

void Mismatch(FakeOs& os) { os.computerName = "PC-OLD"; }
void MismatchAsAdministrator(FakeOs& os) {
  Mismatch(os);
  os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
}

TEST(Program, NormalModeShowsWhatWasFound) {
  ProgramRun run("");
  HeadlessWindow& form1 = run.Window("Form1");
  EXPECT_TRUE(form1.Visible());
  EXPECT_EQ(form1["lbl_System"].Text(), "Windows XP 5.1 build 2600 (Service Pack 3)");
  EXPECT_EQ(form1["lbl_IE"].Text(), "6.0.2900");
  EXPECT_EQ(form1["lbl_Conn"].Text(), "LAN");
  EXPECT_EQ(form1["lbl_Username"].Text(), "anna");
  EXPECT_EQ(form1["txt_CN"].Text(), "ws-17");
  EXPECT_EQ(form1["txt_NB"].Text(), "WS-17");
  EXPECT_EQ(form1["txt_DNS"].Text(), "ws-17.uni-falkenau.de");
  EXPECT_EQ(form1["cbo_IP"].Text(), "192.0.2.7");
  EXPECT_FALSE(form1["img_Warn"].Visible());
  EXPECT_FALSE(form1["cmd_Sync"].Enabled());
  EXPECT_EQ(run.program.Values().verdict, CheckVerdict::Agree);
  EXPECT_TRUE(run.forms.Messages().empty());
  EXPECT_TRUE(run.os.AllReleased());
  ASSERT_EQ(run.os.queries.size(), 1u);
  EXPECT_EQ(run.os.queries[0].name, "7.2.0.192.IN-ADDR.ARPA");
}

// The verdict is on record before the user sees anything: the hook runs
// once the check has decided, before the main window is shown. (The quiet
// mode keeps its dialog in memory until the screen goes on with it, and
// records the verdict before that.)
TEST(Program, TheCheckHasDecidedBeforeAnyWindowIsShown) {
  for (auto arrange : {Mismatch, +[](FakeOs&) {}}) {
    FakeOs os;
    arrange(os);
    HeadlessForms forms("");
    Program program(os, forms);
    int calls = 0;
    bool anyVisible = true;
    program.OnCheckDecided([&] {
      ++calls;
      anyVisible = false;
      for (const char* window : {"Form1", "frm_Info"})
        anyVisible = anyVisible || (forms.Find(window) && forms.Find(window)->Visible());
      EXPECT_NE(program.Values().verdict, CheckVerdict::Unfinished);
    });
    program.Start();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(anyVisible);
  }
}

// A system without the browser library that tells the connection itself
// (Linux) shows it; one that cannot (Windows) counts as on the LAN, unasked.
TEST(Program, TheConnectionWithoutABrowser) {
  struct Case { bool systemTells; uint32_t flags; const char* shown; CheckVerdict verdict; int asked; };
  for (const auto& c : {Case{true, kConnectionLan, "LAN", CheckVerdict::Agree, 1},
                        Case{true, 0, "", CheckVerdict::NotApplicable, 1},
                        Case{false, 0, "", CheckVerdict::Agree, 0}}) {
    ProgramRun run("", [&](FakeOs& os) {
      os.missing.insert("DllGetVersion");
      os.connectionWithoutBrowser = c.systemTells;
      os.connectionFlags = c.flags;
      os.connectedResult = c.flags != 0;
    });
    HeadlessWindow& form1 = run.Window("Form1");
    EXPECT_EQ(form1["lbl_IE"].Text(), "");
    EXPECT_EQ(form1["lbl_Conn"].Text(), c.shown) << c.systemTells << " " << c.flags;
    EXPECT_EQ(run.program.Values().verdict, c.verdict) << c.systemTells << " " << c.flags;
    EXPECT_EQ(run.os.CallCount("InternetGetConnectedState"), c.asked);
  }
}

TEST(Program, QuietModeEndsSilentlyWhenNamesAgree) {
  ProgramRun run("/Q");
  EXPECT_TRUE(run.forms.Ended());
  EXPECT_TRUE(run.forms.Messages().empty());
  EXPECT_EQ(run.forms.Find("frm_Info"), nullptr);
}

TEST(Program, QuietMismatchShowsOnlyTheDialog) {
  ProgramRun run("-q", Mismatch);
  EXPECT_FALSE(run.Window("Form1").Visible());
  HeadlessWindow& dialog = run.Window("frm_Info");
  EXPECT_TRUE(dialog.Visible());
  EXPECT_EQ(dialog.FocusedControl(), "OKButton");
  EXPECT_FALSE(run.forms.Ended());
}

TEST(Program, DialogOkWithoutRightsEndsAfterTheMessage) {
  ProgramRun run("/Q", Mismatch);
  run.Click("frm_Info", "OKButton");
  ASSERT_EQ(run.forms.Messages().size(), 1u);
  EXPECT_EQ(run.forms.Messages()[0].text, kRightsNeeded);
  EXPECT_EQ(run.forms.Messages()[0].style, 48);
  // The dialog stays on screen behind the message box.
  EXPECT_EQ(run.forms.Messages()[0].visibleWindows, std::vector<std::string>{"frm_Info"});
  EXPECT_TRUE(run.forms.Ended());
  EXPECT_TRUE(run.os.namesSet.empty());
  EXPECT_TRUE(run.os.AllReleased());
}

TEST(Program, DialogOkAsAdministratorSetsTheDnsShortName) {
  ProgramRun run("/Q", [](FakeOs& os) {
    MismatchAsAdministrator(os);
    os.dnsAnswer[0].pNameHost = "WS-17.Uni-Falkenau.de";
  });
  run.Click("frm_Info", "OKButton");
  ASSERT_EQ(run.os.namesSet.size(), 1u);
  EXPECT_EQ(run.os.namesSet[0], (std::pair<int, std::string>{5, "WS-17"}));
  ASSERT_EQ(run.forms.Messages().size(), 1u);
  EXPECT_EQ(run.forms.Messages()[0].text, kSuccess);
  EXPECT_EQ(run.forms.Messages()[0].style, 64);
  EXPECT_TRUE(run.forms.Ended());
}

TEST(Program, DetailsBringsUpTheMainWindowWithTheWarning) {
  ProgramRun run("/Q", Mismatch);
  run.Click("frm_Info", "CancelButton");
  EXPECT_FALSE(run.Window("frm_Info").Loaded());
  HeadlessWindow& form1 = run.Window("Form1");
  EXPECT_TRUE(form1.Visible());
  EXPECT_TRUE(form1["img_Warn"].Visible());
  EXPECT_TRUE(form1["cmd_Sync"].Enabled());
  EXPECT_EQ(form1.FocusedControl(), "cmd_Sync");

  // The button there behaves as in normal mode: without rights the program
  // keeps running, so the user may try again.
  run.Click("Form1", "cmd_Sync");
  ASSERT_EQ(run.forms.Messages().size(), 1u);
  EXPECT_EQ(run.forms.Messages()[0].text, kRightsNeeded);
  EXPECT_FALSE(run.forms.Ended());
  EXPECT_TRUE(form1["cmd_Sync"].Enabled());
}

TEST(Program, ClosingTheDialogWhileTheMainWindowIsHiddenEndsTheProgram) {
  ProgramRun run("/Q", Mismatch);
  run.Do([&] { run.Window("frm_Info").CloseByTitleBar(); });
  EXPECT_TRUE(run.forms.Ended());
  EXPECT_FALSE(run.forms.AnyWindowLoaded());
  EXPECT_TRUE(run.os.namesSet.empty());
}

TEST(Program, NormalMismatchSynchronisesFromTheMainWindow) {
  ProgramRun run("", MismatchAsAdministrator);
  EXPECT_EQ(run.forms.Find("frm_Info"), nullptr);
  run.Click("Form1", "cmd_Sync");
  ASSERT_EQ(run.os.namesSet.size(), 1u);
  EXPECT_EQ(run.os.namesSet[0].second, "ws-17");
  EXPECT_TRUE(run.forms.Ended());
}

std::string NotConfirmed(const std::string& name) {
  return Text(Msg::NotConfirmed, {name, "192.0.2.7"});
}

// Before a rename the PTR name must lead back to the address, asked of the
// same single server; otherwise nothing is renamed, a stop message says
// why, and the program ends as after any attempt. Both ways of renaming.
TEST(Program, RenamesOnlyWhenTheDnsNameLeadsBackToTheAddress) {
  struct Case { const char* what; std::function<void(FakeOs&)> script; bool renamed; };
  const std::vector<Case> cases = {
      {"confirmed", [](FakeOs&) {}, true},
      {"no A record", [](FakeOs& os) { os.aRecords.clear(); }, false},
      {"an A record for another address",
       [](FakeOs& os) { os.aRecords["ws-17.uni-falkenau.de"] = {test::Ipv4(192, 0, 2, 99)}; }, false},
      {"the server fails the A query", [](FakeOs& os) { os.aStatus = 9002; }, false},
  };
  for (const auto& c : cases) {
    for (bool quiet : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (quiet ? ", dialog's OK" : ", main window's button"));
      ProgramRun run(quiet ? "/Q" : "", [&](FakeOs& os) {
        MismatchAsAdministrator(os);
        c.script(os);
      });
      run.Click(quiet ? "frm_Info" : "Form1", quiet ? "OKButton" : "cmd_Sync");
      ASSERT_EQ(run.forms.Messages().size(), 1u);
      EXPECT_EQ(run.forms.Messages()[0].text, c.renamed ? kSuccess : NotConfirmed("ws-17.uni-falkenau.de"));
      EXPECT_EQ(run.forms.Messages()[0].style, c.renamed ? 64 : 16);
      EXPECT_EQ(run.os.namesSet.size(), c.renamed ? 1u : 0u);
      EXPECT_TRUE(run.forms.Ended());
      EXPECT_TRUE(run.os.AllReleased());
      ASSERT_EQ(run.os.queries.size(), 2u);
      const auto& ptr = run.os.queries[0];
      const auto& a = run.os.queries[1];
      EXPECT_EQ(a.name, "ws-17.uni-falkenau.de");
      EXPECT_EQ(a.type, kDnsTypeA);
      EXPECT_EQ(a.options, kServerOnly);
      EXPECT_EQ(a.servers, ptr.servers);
      EXPECT_EQ(a.servers, std::vector<uint32_t>{test::Ipv4(192, 0, 2, 53)});
    }
  }
}

std::string Ambiguous(const std::string& names) {
  return Text(Msg::AmbiguousPtr, {"192.0.2.7", names});
}

// Several campus names, none of them the PC's: no server's order may pick
// the new name. It is set only where exactly one of them leads back to the
// address, from the button and the warning dialog's OK alike, and the
// system is given that name's domain with it.
TEST(Program, OfSeveralCampusNamesOnlyTheOneThatLeadsBackIsSet) {
  using Names = std::vector<std::string>;
  struct Case {
    const char* what;
    Names ptr;         // the answer, in the server's order
    Names leadBack;    // the names whose A record is the PC's address
    const char* set;   // the short name set, "" for none
    std::string message;  // after a rename; the refusal is the same for every case
  };
  const std::string twoNames = "Alias.Uni-Falkenau.de, pc-9.uni-falkenau.de";
  for (const auto& c : {
           Case{"the second in the answer leads back", {"Alias.Uni-Falkenau.de", "pc-9.uni-falkenau.de"},
                {"pc-9.uni-falkenau.de"}, "pc-9", kSuccess},
           Case{"the same in the other order", {"pc-9.uni-falkenau.de", "Alias.Uni-Falkenau.de"},
                {"pc-9.uni-falkenau.de"}, "pc-9", kSuccess},
           Case{"the first of the order leads back", {"pc-9.uni-falkenau.de", "Alias.Uni-Falkenau.de"},
                {"alias.uni-falkenau.de"}, "Alias", kSuccess},
           Case{"none leads back", {"Alias.Uni-Falkenau.de", "pc-9.uni-falkenau.de"}, {}, "", ""},
           Case{"both lead back", {"pc-9.uni-falkenau.de", "Alias.Uni-Falkenau.de"},
                {"pc-9.uni-falkenau.de", "alias.uni-falkenau.de"}, "", ""},
           // A name outside the campus is no candidate: one campus name is the single-name case.
           Case{"one campus name beside a provider's", {"www.provider.example", "pc-9.uni-falkenau.de"},
                {"pc-9.uni-falkenau.de"}, "pc-9", kSuccess},
       }) {
    for (bool quiet : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (quiet ? ", dialog" : ", button"));
      ProgramRun run(quiet ? "/Q" : "", [&](FakeOs& os) {
        MismatchAsAdministrator(os);
        os.dnsAnswer.clear();
        for (const auto& name : c.ptr) os.dnsAnswer.push_back({kDnsTypePtr, "", name});
        os.aRecords.clear();
        for (const auto& name : c.leadBack) os.aRecords[name] = {test::Ipv4(192, 0, 2, 7)};
      });
      ASSERT_EQ(run.program.Values().verdict, CheckVerdict::Mismatch);
      if (quiet)
        run.Click("frm_Info", "OKButton");
      else
        run.Click("Form1", "cmd_Sync");
      ASSERT_EQ(run.forms.Messages().size(), 1u);
      if (*c.set) {
        ASSERT_EQ(run.os.namesSet.size(), 1u);
        EXPECT_EQ(run.os.namesSet[0].second, c.set);
        ASSERT_EQ(run.os.renameDnsNames.size(), 1u);
        EXPECT_EQ(FirstLabel(run.os.renameDnsNames[0]), c.set) << "the full name of the name set, no other";
        EXPECT_EQ(run.forms.Messages()[0].text, c.message);
      } else {
        EXPECT_TRUE(run.os.namesSet.empty());
        EXPECT_EQ(run.forms.Messages()[0].text, Ambiguous(twoNames));
        EXPECT_EQ(run.forms.Messages()[0].style, kMbIconHand);
        EXPECT_EQ(run.program.LastSyncOutcome(), SyncOutcome::AmbiguousPtr);
      }
      EXPECT_TRUE(run.forms.Ended());
    }
  }
}

TEST(Program, NoForwardQueryWithoutRightsOrWithAnUnusableName) {
  for (bool rights : {false, true}) {
    ProgramRun run("", [&](FakeOs& os) {
      rights ? MismatchAsAdministrator(os) : Mismatch(os);
      if (rights) os.dnsAnswer[0].pNameHost = "a-name-of-sixteen.uni-falkenau.de";
    });
    run.Click("Form1", "cmd_Sync");
    EXPECT_EQ(run.os.CallCount("DnsQuery_A"), 1) << "the PTR query only";
    EXPECT_FALSE(run.forms.Ended());
  }
}

// Older systems have no DNS client to ask one server: the resolver's
// addresses for the name decide.
TEST(Program, OlderSystemsConfirmThroughTheResolver) {
  struct Case { std::vector<std::vector<uint8_t>> addresses; bool renamed; };
  for (const auto& c : {Case{{{192, 0, 2, 7}}, true}, Case{{{198, 51, 100, 7}}, false}, Case{{}, false}}) {
    ProgramRun run("", [&](FakeOs& os) {
      os.version = test::Version(kPlatformWin32Windows, 4, 10, 2222, " A ");
      os.missing = {"GetComputerNameExA", "GetNetworkParams", "DnsQuery_A"};
      os.hostByAddr->h_name = "pc-9.uni-falkenau.de";
      os.hostByNameFor["pc-9.uni-falkenau.de"] = HostEnt{"pc-9.uni-falkenau.de", 4, c.addresses};
    });
    run.Click("Form1", "cmd_Sync");
    EXPECT_EQ(run.os.namesSet.size(), c.renamed ? 1u : 0u);
    EXPECT_EQ(run.os.gethostbynameArgs.back(), "pc-9.uni-falkenau.de");
    EXPECT_TRUE(run.os.AllReleased());
    EXPECT_TRUE(run.forms.Ended());
    ASSERT_EQ(run.forms.Messages().size(), 1u);
    EXPECT_EQ(run.forms.Messages()[0].style, c.renamed ? 64 : 16);
  }
}

TEST(Program, AFailingWinsockCleanupEndsTheProgramMidSequence) {
  ProgramRun run("", [](FakeOs& os) { os.wsaCleanupResult = 10093; });
  ASSERT_EQ(run.forms.Messages().size(), 1u);
  EXPECT_EQ(run.forms.Messages()[0].text, Text(Msg::SocketsCleanupFailed));
  EXPECT_EQ(run.forms.Messages()[0].style, 16);
  EXPECT_TRUE(run.forms.Ended());
  EXPECT_EQ(run.os.CallCount("DnsQuery_A"), 0) << "nothing after the address list runs";
  EXPECT_EQ(run.program.Values().verdict, CheckVerdict::Unfinished);
}

TEST(Program, OlderSystemsTakeTheResolversAnswer) {
  ProgramRun run("", [](FakeOs& os) {
    os.version = test::Version(kPlatformWin32Windows, 4, 10, 2222, " A ");
    os.browser = DllVersionInfo{20, 5, 0, 2614, 1};
    os.missing = {"GetComputerNameExA", "GetNetworkParams", "DnsQuery_A"};  // none of them on Windows 98
    os.hostByAddr->h_name = "pc-9.uni-falkenau.de";
  });
  HeadlessWindow& form1 = run.Window("Form1");
  EXPECT_EQ(form1["lbl_System"].Text(), "Windows 98 4.10 build 2222 ( A )");
  EXPECT_FALSE(form1["txt_NB"].Visible());
  EXPECT_EQ(form1["txt_DNS"].Text(), "pc-9.uni-falkenau.de");
  EXPECT_EQ(run.program.Values().verdict, CheckVerdict::Mismatch);
  EXPECT_EQ(run.os.CallCount("GetComputerNameExA"), 0);
  EXPECT_TRUE(run.os.AllReleased());

  run.Click("Form1", "cmd_Sync");  // no rights test on Windows 98
  EXPECT_EQ(run.os.CallCount("OpenProcessToken"), 0);
  ASSERT_EQ(run.os.namesSet.size(), 1u);
  EXPECT_EQ(run.os.namesSet[0], (std::pair<int, std::string>{-1, "pc-9"}));
}

void LimitedAdministrator(FakeOs& os) {
  Mismatch(os);
  os.version = test::Version(kPlatformWin32NT, 6, 1, 7601, "Service Pack 1");
  os.elevationType = kTokenElevationTypeLimited;
  os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT", true, kSeGroupUseForDenyOnly});
}

TEST(Program, ButtonsThatStartTheElevatedCopyCarryTheShield) {
  struct Case { const char* what; std::function<void(FakeOs&)> arrange; bool shield; };
  for (const Case& c : {Case{"limited administrator", LimitedAdministrator, true},
                        Case{"already elevated", [](FakeOs& os) { LimitedAdministrator(os);
                                                                  os.elevationType = kTokenElevationTypeFull; }, false},
                        Case{"Windows XP", MismatchAsAdministrator, false}}) {
    ProgramRun run("/Q", c.arrange);
    EXPECT_EQ(run.Window("frm_Info")["OKButton"].ElevationRequired(), c.shield) << c.what;
    EXPECT_FALSE(run.Window("frm_Info")["CancelButton"].ElevationRequired()) << c.what;
    EXPECT_EQ(run.Window("Form1")["cmd_Sync"].ElevationRequired(), c.shield) << c.what;
    EXPECT_TRUE(run.os.AllReleased()) << c.what;
  }
}

TEST(Program, DialogOkOfALimitedAdministratorHandsOverToTheElevatedCopy) {
  ProgramRun run("/Q", LimitedAdministrator);
  run.Click("frm_Info", "OKButton");
  ASSERT_EQ(run.os.programsStarted.size(), 1u);
  EXPECT_EQ(run.os.programsStarted[0].lpVerb, "runas");
  EXPECT_EQ(run.os.programsStarted[0].lpParameters, "/SetComputerName:ws-17");
  EXPECT_TRUE(run.forms.Messages().empty()) << "the copy reports, not this program";
  EXPECT_TRUE(run.forms.Ended());
  EXPECT_TRUE(run.os.namesSet.empty());
}

TEST(Program, TheElevatedCopySetsItsNameShowsNoWindowAndEnds) {
  struct Case { std::string commandLine; std::vector<std::pair<int, std::string>> namesSet; std::string text; };
  for (const Case& c : {Case{"/SetComputerName:WS-17", {{5, "WS-17"}}, kSuccess},
                        Case{"/SetComputerName:ws 17\" /Q", {},
                             Text(Msg::NameUnusable, {"ws 17\" /Q"})}}) {
    FakeOs os;
    HeadlessForms forms(c.commandLine);
    os.version = test::Version(kPlatformWin32NT, 6, 1, 7601, "Service Pack 1");
    os.elevationType = kTokenElevationTypeFull;
    os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
    Program program(os, forms);
    EXPECT_THROW(program.Run(), EndProgram) << c.commandLine;
    EXPECT_EQ(os.namesSet, c.namesSet) << c.commandLine;
    ASSERT_EQ(forms.Messages().size(), 1u) << c.commandLine;
    EXPECT_EQ(forms.Messages()[0].text, c.text);
    EXPECT_EQ(forms.Find("Form1"), nullptr) << "no window: " << c.commandLine;
    EXPECT_FALSE(os.CallCount("DnsQuery_A")) << "no check: " << c.commandLine;
    EXPECT_TRUE(os.programsStarted.empty());
  }
}

// Where the program ends after a message, a box that cannot be shown does
// not keep it running.
TEST(Program, EndsWhereItWouldEvenWhenNoMessageBoxCanBeShown) {
  const auto failingBoxes = [](ProgramRun& run) {
    run.forms.onMessage = [](const ShownMessage&) { throw FormsError("cannot show the message box"); };
  };
  struct Case { const char* what; const char* commandLine; std::function<void(FakeOs&)> arrange;
                const char* window; const char* button; };
  for (const Case& c : {Case{"dialog OK without rights", "/Q", Mismatch, "frm_Info", "OKButton"},
                        Case{"dialog OK as administrator", "/Q", MismatchAsAdministrator, "frm_Info", "OKButton"},
                        Case{"main window as administrator", "", MismatchAsAdministrator, "Form1", "cmd_Sync"}}) {
    ProgramRun run(c.commandLine, c.arrange);
    failingBoxes(run);
    run.Do([&] {
      try {
        run.Window(c.window).Click(c.button);
      } catch (const FormsError&) {
        // A handler's failure abandons that handler, as every backend does.
      }
    });
    EXPECT_TRUE(run.forms.Ended()) << c.what;
    EXPECT_EQ(run.forms.Messages().size(), 1u) << c.what;
  }
}

TEST(Program, AFailingWinsockCleanupEndsEvenWithoutItsMessage) {
  FakeOs os;
  HeadlessForms forms("");
  os.wsaCleanupResult = 10093;
  forms.onMessage = [](const ShownMessage&) { throw FormsError("cannot show the message box"); };
  Program program(os, forms);
  EXPECT_THROW(program.Start(), EndProgram);
  EXPECT_TRUE(forms.Ended());
  EXPECT_EQ(os.CallCount("DnsQuery_A"), 0) << "nothing after the address list runs";
}

}  // namespace
}  // namespace hw
