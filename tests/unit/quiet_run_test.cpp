// The quiet mode with its windows in memory: the screen is asked for only
// when something must be shown, the check runs once, and the real runtime
// goes on from exactly where the check left the program.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "interfaces/headless/headless_forms.h"
#include "support/fake_os.h"
#include "ui/quiet_run.h"
#include "text/catalogue.h"

namespace hw {
namespace {

using test::FakeOs;

// Records what the quiet run asks of the screen; Continue goes on from the
// state on headless forms, which the test then drives.
class RecordingScreen : public ScreenOnDemand {
 public:
  explicit RecordingScreen(Os& os) : os_(os) {}

  bool anotherIsRunning = false;
  std::optional<int> unavailableCode;  // set: message boxes cannot be shown
  int instanceTests = 0;
  std::vector<std::pair<std::string, int>> messages;
  std::optional<ProgramState> continuedFrom;
  HeadlessForms forms;
  std::optional<Program> program;

  bool PrevInstance() override {
    ++instanceTests;
    return anotherIsRunning;
  }
  void MsgBox(const std::string& text, int style) override {
    if (unavailableCode) throw ScreenUnavailable{*unavailableCode};
    messages.emplace_back(text, style);
  }
  bool Open() override { return true; }
  int Continue(const ProgramState& state) override {
    continuedFrom = state;
    program.emplace(os_, forms);
    program->Continue(state);
    return 0;
  }
  bool Untouched() const { return messages.empty() && !continuedFrom; }
  void Click(const char* window, const char* control) {
    try {
      forms.Find(window)->Click(control);
    } catch (const EndProgram&) {
    }
  }

 private:
  Os& os_;
};

struct QuietRun {
  FakeOs os;
  RecordingScreen screen{os};
  int exitCode = -1;

  explicit QuietRun(const std::function<void(QuietRun&)>& arrange = {}, const std::string& commandLine = "-Q") {
    if (arrange) arrange(*this);
    exitCode = RunQuietMode(os, commandLine, screen);
  }
};

TEST(QuietRun, EndsWithoutTheScreenWhenNothingIsToBeShown) {
  struct Case {
    const char* name;
    std::function<void(QuietRun&)> arrange;
    int dnsQueries;
  };
  for (const auto& c : {
           Case{"names agree", {}, 1},
           Case{"no PTR record: the check does not apply", [](QuietRun& r) { r.os.dnsAnswer.clear(); }, 1},
           Case{"on a modem", [](QuietRun& r) { r.os.connectionFlags = kConnectionModem; }, 1},
           Case{"another instance runs", [](QuietRun& r) { r.screen.anotherIsRunning = true; }, 0},
           Case{"no system version", [](QuietRun& r) { r.os.version.reset(); }, 0},
       }) {
    QuietRun run(c.arrange);
    EXPECT_EQ(run.exitCode, 0) << c.name;
    EXPECT_TRUE(run.screen.Untouched()) << c.name;
    EXPECT_EQ(run.screen.instanceTests, 1) << c.name;
    EXPECT_EQ(run.os.CallCount("DnsQuery_A"), c.dnsQueries) << c.name;
    EXPECT_TRUE(run.os.AllReleased()) << c.name;
  }
}

TEST(QuietRun, ShowsTheChecksMessageBoxesWhereTheyArise) {
  QuietRun run([](QuietRun& r) { r.os.localHostName.reset(); });
  ASSERT_EQ(run.screen.messages.size(), 1u);
  EXPECT_EQ(run.screen.messages[0], (std::pair<std::string, int>{Text(Msg::GetHostnameFailed, {"10093"}), 16}));
  EXPECT_FALSE(run.screen.continuedFrom) << "the address list ends the program";
  EXPECT_EQ(run.os.CallCount("DnsQuery_A"), 0);
  EXPECT_EQ(run.exitCode, 0);
}

TEST(QuietRun, EndsWithTheScreensCodeWhenABoxCannotBeShown) {
  QuietRun run([](QuietRun& r) {
    r.os.wsaCleanupResult = 10093;
    r.screen.unavailableCode = 2;
  });
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.os.CallCount("DnsQuery_A"), 0) << "no guard of the check may swallow it and go on";
}

TEST(QuietRun, AMismatchGoesOnFromWhereTheCheckLeftTheProgram) {
  QuietRun run([](QuietRun& r) {
    r.os.computerName = "PC-OLD";
    r.os.dnsAnswer[0].pNameHost = "WS-17.Uni-Falkenau.de";
  });
  ASSERT_TRUE(run.screen.continuedFrom);
  const ProgramState& state = *run.screen.continuedFrom;
  EXPECT_TRUE(state.warningShown);
  EXPECT_FALSE(state.form1Visible);
  EXPECT_TRUE(state.members.QuietMode);
  EXPECT_EQ(state.members.DnsShortName, "WS-17");
  // What a rename must confirm goes along, or the continued program could
  // never confirm a name.
  EXPECT_EQ(state.values.dnsName, "WS-17.Uni-Falkenau.de");
  EXPECT_EQ(state.values.selectedAddress, "192.0.2.7");
  EXPECT_EQ(state.values.dnsServer, "192.0.2.53");
  EXPECT_EQ(state.values.verdict, CheckVerdict::Mismatch);
  EXPECT_EQ(run.screen.program->Values().hostName, state.values.hostName);
  EXPECT_EQ(run.os.CallCount("DnsQuery_A"), 1) << "the check ran once";

  HeadlessForms& forms = run.screen.forms;
  EXPECT_TRUE(forms.Find("frm_Info")->Visible());
  EXPECT_FALSE(forms.Find("Form1")->Visible());
  run.screen.Click("frm_Info", "CancelButton");
  HeadlessWindow& form1 = *forms.Find("Form1");
  EXPECT_TRUE(form1.Visible());
  EXPECT_EQ(ControlStates(form1), state.form1);
  EXPECT_EQ(form1["txt_DNS"].Text(), "WS-17.Uni-Falkenau.de");
  EXPECT_EQ(form1["cbo_IP"].Items(), std::vector<std::string>{"192.0.2.7"});
  EXPECT_TRUE(form1["img_Warn"].Visible());
  EXPECT_EQ(form1.FocusedControl(), "cmd_Sync");
}

// The synchronise command branches on the version record of the check: on
// Windows XP it asks for administrator rights, where a zeroed record would
// skip the question and set the name. The rename is confirmed with what the
// check found, which must have come along too.
TEST(QuietRun, TheContinuedProgramSynchronisesWithTheChecksVersionRecord) {
  QuietRun withoutRights([](QuietRun& r) { r.os.computerName = "PC-OLD"; });
  withoutRights.screen.Click("frm_Info", "OKButton");
  EXPECT_TRUE(withoutRights.os.namesSet.empty());
  ASSERT_EQ(withoutRights.screen.forms.Messages().size(), 1u);
  EXPECT_EQ(withoutRights.screen.forms.Messages()[0].style, kMbIconExclamation);
  EXPECT_TRUE(withoutRights.screen.forms.Ended());

  QuietRun asAdministrator([](QuietRun& r) {
    r.os.computerName = "PC-OLD";
    r.os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
  });
  asAdministrator.screen.Click("frm_Info", "OKButton");
  ASSERT_EQ(asAdministrator.os.namesSet.size(), 1u);
  EXPECT_EQ(asAdministrator.os.namesSet[0], (std::pair<int, std::string>{kComputerNamePhysicalDnsHostname, "ws-17"}));
  EXPECT_EQ(asAdministrator.os.renameDnsNames, std::vector<std::string>{"ws-17.uni-falkenau.de"});

  // Two campus names: the continued program confirms each, as the check's own would.
  QuietRun twoNames([](QuietRun& r) {
    r.os.computerName = "PC-OLD";
    r.os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
    r.os.dnsAnswer = {{kDnsTypePtr, "", "ws-17.uni-falkenau.de"}, {kDnsTypePtr, "", "lab-2.uni-falkenau.de"}};
    r.os.computerName = "PC-OLD";
    r.os.dnsHostName = "pc-old";
  });
  ASSERT_TRUE(twoNames.screen.continuedFrom);
  EXPECT_EQ(twoNames.screen.continuedFrom->values.ptrNames,
            (std::vector<std::string>{"lab-2.uni-falkenau.de", "ws-17.uni-falkenau.de"}));
  twoNames.screen.Click("frm_Info", "OKButton");
  ASSERT_EQ(twoNames.os.namesSet.size(), 1u);
  EXPECT_EQ(twoNames.os.namesSet[0].second, "ws-17") << "the one that leads back, not the one shown";
  EXPECT_EQ(twoNames.os.renameDnsNames, std::vector<std::string>{"ws-17.uni-falkenau.de"});
}

TEST(ControlStates, SurviveTheWayIntoAnotherRuntime) {
  HeadlessForms from, to;
  Window& filled = from.Load(WindowData{"W", "", 0, 0, 0, 0, Border::FixedSingle, true, Picture::None, "", 8,
                                        {{"lbl", ControlKind::Label, "Caption"},
                                         {"txt", ControlKind::TextBox},
                                         {"cbo", ControlKind::ComboBox},
                                         {"free", ControlKind::ComboBox},
                                         {"cmd", ControlKind::Button, "Go"},
                                         {"img", ControlKind::Image}}});
  filled["lbl"].SetText("");
  filled["txt"].SetText("a\r\nb");
  filled["cbo"].AddItem("192.0.2.7");
  filled["cbo"].AddItem("198.51.100.9");
  filled["cbo"].SetListIndex(1);
  filled["free"].AddItem("x");
  filled["free"].SetText("typed");
  filled["cmd"].SetEnabled(false);
  filled["img"].SetVisible(false);
  Window& fresh = to.Load(filled.Definition());
  RestoreControlStates(fresh, ControlStates(filled));
  EXPECT_EQ(ControlStates(fresh), ControlStates(filled));
  EXPECT_EQ(fresh["cbo"].Text(), "198.51.100.9");
  EXPECT_EQ(fresh["free"].ListIndex(), -1);
  EXPECT_THROW(RestoreControlStates(fresh, {{"nowhere"}}), FormsError);
}

}  // namespace
}  // namespace hw
