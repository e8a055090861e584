// UAC: which tokens have an elevated twin, how the elevated copy is started,
// and what the copy accepts from its command line.
#include <gtest/gtest.h>

#include <functional>

#include "support/fake_os.h"
#include "sync/elevated_copy.h"
#include "sync/elevation.h"

using namespace hw;
using test::FakeOs;

TEST(HasElevatedTwin, OnlyTheLimitedHalfOfAnAdministratorHasOne) {
  struct Case { const char* what; std::function<void(FakeOs&)> script; bool twin; };
  for (const Case& c : {
           Case{"before Vista: no such token class", [](auto&) {}, false},
           Case{"UAC off or not an administrator", [](auto& os) { os.elevationType = kTokenElevationTypeDefault; }, false},
           Case{"already elevated", [](auto& os) { os.elevationType = kTokenElevationTypeFull; }, false},
           Case{"limited", [](auto& os) { os.elevationType = kTokenElevationTypeLimited; }, true},
           Case{"an unknown kind", [](auto& os) { os.elevationType = 7; }, false},
           Case{"no token", [](auto& os) { os.elevationType = kTokenElevationTypeLimited; os.openTokenResult = 0; }, false},
           Case{"no token functions", [](auto& os) { os.elevationType = kTokenElevationTypeLimited;
                                                     os.missing = {"GetTokenInformation"}; }, false}}) {
    FakeOs os;
    c.script(os);
    EXPECT_EQ(HasElevatedTwin(os), c.twin) << c.what;
    EXPECT_TRUE(os.AllReleased()) << c.what;
  }
}

TEST(StartElevatedCopy, AsksTheShellToRunThisProgramWithFullRightsAndTheName) {
  FakeOs os;
  os.elevationType = kTokenElevationTypeLimited;
  ASSERT_TRUE(StartElevatedCopy(os, "WS-17"));
  ASSERT_EQ(os.programsStarted.size(), 1u);
  const ShellExecuteInfo& start = os.programsStarted[0];
  EXPECT_EQ(start.lpVerb, "runas");
  EXPECT_EQ(start.lpFile, os.moduleFileName);
  EXPECT_EQ(start.lpParameters, "/SetComputerName:WS-17");
  EXPECT_EQ(ElevatedCopyName(start.lpParameters), "WS-17") << "the copy reads back what it is given";
  EXPECT_EQ(start.fMask, kSeeMaskNoAsync | kSeeMaskFlagNoUi);
  EXPECT_TRUE(os.AllReleased());
}

TEST(StartElevatedCopy, FailsWithoutATwinWhenRefusedAndWithoutAWholePath) {
  struct Case { const char* what; std::function<void(FakeOs&)> script; bool started; int shellCalls; };
  for (const Case& c : {
           Case{"no twin", [](auto& os) { os.elevationType = kTokenElevationTypeDefault; }, false, 0},
           Case{"refused", [](auto& os) { os.shellExecuteResult = 0; }, false, 1},
           Case{"no shell", [](auto& os) { os.missing = {"ShellExecuteExW"}; }, false, 1},
           Case{"no path", [](auto& os) { os.moduleFileName.clear(); }, false, 0},
           Case{"a path beyond 260 characters", [](auto& os) { os.moduleFileName = "C:\\" + std::string(300, 'x'); },
                true, 1},
           Case{"a path no buffer holds", [](auto& os) { os.moduleFileName = std::string(40000, 'x'); }, false, 0}}) {
    FakeOs os;
    os.elevationType = kTokenElevationTypeLimited;
    c.script(os);
    EXPECT_EQ(StartElevatedCopy(os, "ws-17"), c.started) << c.what;
    EXPECT_EQ(os.CallCount("ShellExecuteExW"), c.shellCalls) << c.what;
    if (c.started) {
      EXPECT_EQ(os.programsStarted.back().lpFile, os.moduleFileName) << c.what << ": the whole path";
    }
  }
}

TEST(ElevatedCopyName, ReadsOnlyOurSwitchAndTakesTheRestWhole) {
  struct Case { const char* commandLine; std::optional<std::string> name; };
  for (const Case& c : {Case{"/SetComputerName:ws-17", "ws-17"}, Case{"  /setcomputername:WS-17  ", "WS-17"},
                        Case{"/SetComputerName:", ""}, Case{"/SetComputerName:a b", "a b"},
                        Case{"/SetComputerName", std::nullopt}, Case{"/Q", std::nullopt}, Case{"", std::nullopt},
                        Case{"-SetComputerName:ws-17", std::nullopt}, Case{"x /SetComputerName:ws-17", std::nullopt}}) {
    EXPECT_EQ(ElevatedCopyName(c.commandLine), c.name) << c.commandLine;
  }
}

TEST(IsValidComputerName, LettersDigitsAndInnerHyphensUpToFifteen) {
  struct Case { const char* name; bool valid; };
  for (const Case& c : {Case{"ws-17", true}, Case{"WS17", true}, Case{"abcdefghijklmno", true},
                        Case{"abcdefghijklmnop", false}, Case{"", false}, Case{"12345", false}, Case{"1a", true},
                        Case{"-ws", false}, Case{"ws-", false}, Case{"ws 17", false}, Case{"ws_17", false},
                        Case{"ws.17", false}, Case{"ws\"17", false}, Case{"M\xC3\xBCller", false},
                        Case{"ws/17", false}, Case{"ws\\17", false}}) {
    EXPECT_EQ(IsValidComputerName(c.name), c.valid) << c.name;
  }
}
