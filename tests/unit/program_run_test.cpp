// One run with windows, on the fake OS and headless forms: which entries
// reach the system log for each kind of run, when, and the exit status.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "interfaces/headless/headless_forms.h"
#include "app/program_run.h"
#include "support/fake_os.h"

namespace hw::app {

using namespace hw::report;

namespace {

// Headless forms whose loop is a user: `user` runs once the windows are up.
class UsedForms : public HeadlessForms {
 public:
  using HeadlessForms::HeadlessForms;
  std::function<void(HeadlessForms&)> user;
  void Run() override {
    if (user) user(*this);
  }
};

struct Logged {
  CheckVerdict verdict;
  bool nameSet;
  bool shown;
  bool operator==(const Logged&) const = default;
};

class RecordingLog : public VerdictLog {
 public:
  void Write(const VerdictEntry& entry) override { entries.push_back({entry.verdict, entry.nameSet, entry.shown}); }
  std::vector<Logged> entries;
};

// The quiet run's screen: message boxes shown or not, the windows on
// headless forms the user then drives.
class Screen : public ScreenOnDemand {
 public:
  Screen(Os& os, UsedForms& forms, VerdictLog& log) : os_(os), forms_(forms), log_(log) {}
  bool opens = true, boxesShown = true;
  bool PrevInstance() override { return false; }
  void MsgBox(const std::string& text, int style) override {
    if (!boxesShown) throw ScreenUnavailable{2};
    forms_.MsgBox(text, style);
  }
  bool Open() override { return opens; }
  int Continue(const ProgramState& state) override { return ContinueWindowProgram(os_, forms_, state, &log_); }

 private:
  Os& os_;
  UsedForms& forms_;
  VerdictLog& log_;
};

void Press(HeadlessForms& forms, const char* window, const char* button) { forms.Find(window)->Click(button); }

// A mismatch an administrator can rename: the DNS name leads back to the address.
void Renamable(test::FakeOs& os) {
  os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
  os.dnsAnswer[0].pNameHost = "pc-99.uni-falkenau.de";
  os.aRecords["pc-99.uni-falkenau.de"] = {test::Ipv4(192, 0, 2, 7)};
}

constexpr auto kAgree = CheckVerdict::Agree, kMismatch = CheckVerdict::Mismatch, kFailed = CheckVerdict::Failed;

TEST(ProgramRun, WritesTheVerdictAsSoonAsDecidedAndARenameAfterIt) {
  const auto renamable = Renamable;
  const auto refused = [](test::FakeOs& os) { Renamable(os); os.setComputerNameResult = 0; };
  const auto withoutRights = [](test::FakeOs& os) { Renamable(os); os.tokenGroups.clear(); };
  const auto clickSync = [](HeadlessForms& f) { Press(f, "Form1", "cmd_Sync"); };
  const auto dialogOk = [](HeadlessForms& f) { Press(f, "frm_Info", "OKButton"); };
  struct Case {
    const char* name;
    std::string command;
    std::function<void(test::FakeOs&)> arrange;
    std::function<void(HeadlessForms&)> user;
    std::function<void(Screen&)> screen;
    std::vector<Logged> entries;
    int exitCode;
  };
  const std::vector<Case> cases = {
      {"agree", "", {}, {}, {}, {{kAgree, false, true}}, 0},
      {"rename from the window: the verdict first", "", renamable, clickSync, {},
       {{kMismatch, false, true}, {kMismatch, true, true}}, 0},
      {"the system refuses the name", "", refused, clickSync, {}, {{kMismatch, false, true}}, 0},
      {"no rights: the window stays, only the verdict", "", withoutRights, clickSync, {},
       {{kMismatch, false, true}}, 0},
      {"ended at once before the check decided: the entry as it ends", "",
       [](test::FakeOs& os) { os.version.reset(); }, {}, {}, {{kFailed, false, true}}, 0},
      {"the elevated copy set the name", "/SetComputerName:pc-99", renamable, {}, {},
       {{CheckVerdict::Renamed, true, true}}, 0},
      {"the elevated copy could not", "/SetComputerName:pc-99", withoutRights, {}, {}, {{kFailed, false, true}}, 1},
      {"quiet, agree", "/Q", {}, {}, {}, {{kAgree, false, true}}, 0},
      {"quiet, a box that cannot be shown", "/Q", [](test::FakeOs& os) { os.localHostName.reset(); }, {},
       [](Screen& s) { s.boxesShown = false; }, {{kFailed, false, false}}, 2},
      {"quiet, no screen for the warning", "/Q", renamable, {}, [](Screen& s) { s.opens = false; },
       {{kMismatch, false, false}}, 1},
      {"quiet, renamed from the dialog: the verdict before the dialog", "/Q", renamable, dialogOk, {},
       {{kMismatch, false, true}, {kMismatch, true, true}}, 0},
      {"quiet, dialog closed without a rename", "/Q", renamable,
       [](HeadlessForms& f) { Press(f, "frm_Info", "CancelButton"); }, {}, {{kMismatch, false, true}}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakeOs os;
    if (c.arrange) c.arrange(os);
    UsedForms forms(c.command, /*prevInstance=*/false);
    forms.user = c.user;
    RecordingLog log;
    int exitCode;
    if (c.command == "/Q") {
      UsedForms screenForms("", false);
      screenForms.user = c.user;
      Screen screen(os, screenForms, log);
      if (c.screen) c.screen(screen);
      exitCode = RunQuietProgram(os, c.command, screen, &log);
    } else {
      exitCode = RunWindowProgram(os, forms, &log);
    }
    EXPECT_EQ(log.entries, c.entries);
    EXPECT_EQ(exitCode, c.exitCode);
  }
}

// The entries' names come from the check: the verdict's, and the rename's
// after it.
TEST(ProgramRun, TheEntrySaysWhatTheCheckFound) {
  test::FakeOs os;
  Renamable(os);
  UsedForms forms("", false);
  forms.user = [](HeadlessForms& f) { Press(f, "Form1", "cmd_Sync"); };
  class Keeping : public VerdictLog {
   public:
    void Write(const VerdictEntry& entry) override { entries.push_back(entry); }
    std::vector<VerdictEntry> entries;
  } log;
  RunWindowProgram(os, forms, &log);
  ASSERT_EQ(log.entries.size(), 2u);
  for (const VerdictEntry& entry : log.entries) {
    EXPECT_EQ(entry.computerName, "ws-17");
    EXPECT_EQ(entry.dnsName, "pc-99.uni-falkenau.de");
    EXPECT_EQ(entry.address, "192.0.2.7");
    EXPECT_EQ(entry.dnsServer, "192.0.2.53");
  }
  EXPECT_FALSE(log.entries[0].nameSet);
  EXPECT_TRUE(log.entries[1].nameSet);
  EXPECT_EQ(forms.Messages().size(), 1u) << "the command's message reaches the real runtime";
}

// Every entry of every kind of run carries what the report's entry carries:
// the PTR names, the reason, and the settings the check ignored; the
// elevated copy's names the name it found and the one it set.
TEST(ProgramRun, EveryEntryCarriesThePolicyThePtrNamesAndTheReason) {
  const auto outside = [](test::FakeOs& os) { os.dnsAnswer[0].pNameHost = "pc-99.example.org"; };
  const auto dialogOk = [](HeadlessForms& f) { Press(f, "frm_Info", "OKButton"); };
  const auto clickSync = [](HeadlessForms& f) { Press(f, "Form1", "cmd_Sync"); };
  struct Case {
    const char* name;
    std::string command;
    std::function<void(test::FakeOs&)> arrange;
    std::function<void(HeadlessForms&)> user;
    std::string everyEntry;            // in the text of each entry
    std::vector<std::string> entries;  // one for each entry, in order
  };
  const std::string policy = " policy=invalid:CampusDomains";
  const std::string mismatch = R"(ptrNames=["pc-99.uni-falkenau.de"])";
  const std::vector<Case> cases = {
      {"quiet log-on, nothing to show", "/Q", outside, {}, policy,
       {R"(reason=outside-campus forwardConfirmed=- ptrNames=["pc-99.example.org"])"}},
      {"quiet log-on, the verdict before the dialog, then the rename", "/Q", Renamable, dialogOk, policy,
       {mismatch + " version=", mismatch + " version="}},
      {"window, the verdict, then the rename", "", Renamable, clickSync, policy, {mismatch, mismatch}},
      {"window, outside the campus", "", outside, {}, policy, {"reason=outside-campus"}},
      {"the elevated copy", "/SetComputerName:pc-99", Renamable, {}, R"( newName="pc-99")",
       {R"(verdict=renamed computerName="ws-17")"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakeOs os;
    os.policy["CampusDomains"] = {"policy", true, {"Uni-Falkenau.DE"}};
    if (c.arrange) c.arrange(os);
    os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
    class Keeping : public VerdictLog {
     public:
      void Write(const VerdictEntry& entry) override { texts.push_back(VerdictLogText(entry)); }
      std::vector<std::string> texts;
    } log;
    UsedForms forms(c.command, false);
    forms.user = c.user;
    if (c.command == "/Q") {
      Screen screen(os, forms, log);
      RunQuietProgram(os, c.command, screen, &log);
    } else {
      RunWindowProgram(os, forms, &log);
    }
    ASSERT_EQ(log.texts.size(), c.entries.size());
    for (std::size_t i = 0; i < log.texts.size(); ++i) {
      EXPECT_NE(log.texts[i].find(c.everyEntry), std::string::npos) << log.texts[i];
      EXPECT_NE(log.texts[i].find(c.entries[i]), std::string::npos) << log.texts[i];
    }
  }
}

// A log-off while the success message is up ends the process there: the
// rename is on record before the message shows, and is not written twice.
TEST(ProgramRun, TheRenameIsOnRecordBeforeItsMessage) {
  struct Case {
    const char* name;
    std::string command;
    const char* window;
    const char* button;
    std::vector<Logged> entries;
  };
  const std::vector<Case> cases = {
      {"window", "", "Form1", "cmd_Sync", {{kMismatch, false, true}, {kMismatch, true, true}}},
      {"the quiet run's dialog", "/Q", "frm_Info", "OKButton", {{kMismatch, false, true}, {kMismatch, true, true}}},
      {"the elevated copy", "/SetComputerName:pc-99", nullptr, nullptr, {{CheckVerdict::Renamed, true, true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakeOs os;
    Renamable(os);
    RecordingLog log;
    class BoxWatchingForms : public UsedForms {
     public:
      using UsedForms::UsedForms;
      RecordingLog* log = nullptr;
      std::vector<Logged> atTheMessage;
      void MsgBox(const std::string& text, int style) override {
        atTheMessage = log->entries;
        UsedForms::MsgBox(text, style);
      }
    } forms(c.command, false);
    forms.log = &log;
    if (c.window) forms.user = [&](HeadlessForms& f) { Press(f, c.window, c.button); };
    if (c.command == "/Q") {
      Screen screen(os, forms, log);
      RunQuietProgram(os, c.command, screen, &log);
    } else {
      RunWindowProgram(os, forms, &log);
    }
    EXPECT_EQ(forms.atTheMessage, c.entries);
    EXPECT_EQ(log.entries, c.entries);
  }
}

}  // namespace
}  // namespace hw::app
