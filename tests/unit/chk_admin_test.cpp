#include <gtest/gtest.h>

#include <functional>

#include "support/fake_os.h"
#include "sync/chk_admin.h"

using namespace hw;
using test::FakeOs;

namespace {
void Join(FakeOs& os) { os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"}); }
}  // namespace

TEST(IsAdmin, FindsTheAdministratorsGroupByItsLocalNameAndReleasesEverything) {
  struct Case { const char* what; std::function<void(FakeOs&)> script; bool admin; };
  for (const Case& c : {
           Case{"member", Join, true}, Case{"no member", [](auto&) {}, false},
           Case{"other domain", [](auto& os) { os.tokenGroups.push_back({"Administratoren", "ANDERE"}); }, true},
           Case{"case differs", [](auto& os) { os.tokenGroups.push_back({"administratoren"}); }, false},
           Case{"English", [](auto& os) { os.administrators.name = "Administrators";
                                          os.tokenGroups.push_back({"Administrators"}); }, true},
           Case{"group lookup fails", [](auto& os) { os.tokenGroups.push_back({"Administratoren", "X", false}); }, false},
           Case{"zero groups", [](auto& os) { os.tokenGroups.clear(); }, false},
           Case{"no token", [](auto& os) { os.openTokenResult = 0; Join(os); }, false},
           Case{"size query succeeds", [](auto& os) { os.sizeQueryResult = 1; Join(os); }, false},
           Case{"size 0", [](auto& os) { os.sizeQueryLength = 0; Join(os); }, false},
           Case{"size negative", [](auto& os) { os.sizeQueryLength = -4; Join(os); }, false},
           Case{"groups query fails", [](auto& os) { os.groupsQueryResult = 0; Join(os); }, false},
           Case{"no SID", [](auto& os) { os.allocateSidResult = 0; Join(os); }, false},
           Case{"group name unknown", [](auto& os) { os.administrators.lookupSucceeds = false; Join(os); }, false},
           // UAC's limited token keeps the group for denying access only.
           Case{"deny only", [](auto& os) { os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT", true, 0x10}); },
                false},
           Case{"deny only among other bits",
                [](auto& os) { os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT", true, 0x17}); }, false},
           Case{"deny only, then granted",
                [](auto& os) { os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT", true, 0x10});
                               os.tokenGroups.push_back({"Administratoren", "ANDERE"}); }, true},
           Case{"disabled but granting", [](auto& os) { os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT", true, 0}); },
                true}}) {
    FakeOs os;
    c.script(os);
    EXPECT_EQ(IsAdmin(os), c.admin) << c.what;
    EXPECT_TRUE(os.AllReleased()) << c.what;
    EXPECT_EQ(os.tokens.acquired, os.openTokenResult == 1 ? 1 : 0) << c.what;  // nothing to release without it
  }
}

TEST(IsAdmin, ReadsATokenTooBigForFourThousandBytesWithTheReportedLength) {
  FakeOs os;
  for (int i = 0; i < 200; ++i) os.tokenGroups.push_back({"Gruppe " + std::to_string(i)});
  Join(os);
  ASSERT_GT(os.TokenGroupsLength(), 4012u);
  EXPECT_TRUE(IsAdmin(os));
  EXPECT_EQ(os.tokenInfoLengths, (std::vector<uint32_t>{0, os.TokenGroupsLength()}));
}

TEST(IsAdmin, CallsInOrderAndStopsAtTheFirstMatch) {
  FakeOs os;
  os.tokenGroups.insert(os.tokenGroups.begin(), {"Administratoren", "VORDEFINIERT"});
  EXPECT_TRUE(IsAdmin(os));
  EXPECT_EQ(os.calls, (std::vector<std::string>{"GetCurrentProcess", "OpenProcessToken", "GetTokenInformation",
                                                "GetTokenInformation", "AllocateAndInitializeSid",
                                                "LookupAccountSidA", "LookupAccountSidA"}));
}
