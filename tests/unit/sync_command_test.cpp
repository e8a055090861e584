#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

#include "interfaces/headless/headless_forms.h"
#include "support/fake_os.h"
#include "sync/sync_command.h"
#include "text/catalogue.h"

using namespace hw;

namespace {
const std::string kRights(Text(Msg::RightsNeeded));
const std::string kSet(Text(Msg::NameSet));
const std::string kNotSet(Text(Msg::NameNotSet));
std::string Invalid(const std::string& name) { return Text(Msg::NameUnusable, {name}); }

const std::string kNotConfirmed = Text(Msg::NotConfirmed, {"ws-17.uni-falkenau.de", "192.0.2.7"});

// A PTR name the fake DNS server confirms: its A record is the PC's address.
const ForwardLookup kConfirmed{"ws-17.uni-falkenau.de", "192.0.2.7", "192.0.2.53"};

// What the button does: the command, then the end where its outcome says so.
void Press(Os& os, Forms& forms, const ChkVer& chkVer, const std::string& name, const ForwardLookup& lookup,
           SyncCaller caller = SyncCaller::User) {
  if (EndsTheProgram(SynchroniseName(os, forms, chkVer, name, lookup, caller))) forms.End();
}
}  // namespace

TEST(SynchroniseName, ChecksNameAndRightsSetsTheNameAndEndsAfterEveryAttempt) {
  const OsVersionInfo xp = test::WindowsXp(), nt4 = test::Version(kPlatformWin32NT, 4, 0, 1381, "Service Pack 6"),
                      w98 = test::Version(kPlatformWin32Windows, 4, 10, 2222, " A ");
  using NamesSet = std::vector<std::pair<int, std::string>>;  // (name type, -1 for SetComputerNameA)
  struct Case { OsVersionInfo system; bool admin; std::string name; int setResult; std::string text; int style;
                NamesSet namesSet; int adminChecks; SyncOutcome outcome; };
  for (const Case& c : {Case{xp, true, "WS-17", 1, kSet, kMbIconInformation, {{5, "WS-17"}}, 1, SyncOutcome::Renamed},
                        Case{xp, true, "ws-17", 0, kNotSet, kMbOk, {{5, "ws-17"}}, 1, SyncOutcome::RenameFailed},
                        Case{xp, false, "ws-17", 1, kRights, kMbIconExclamation, {}, 1, SyncOutcome::RightsMissing},
                        Case{nt4, true, "ws-17", 1, kSet, kMbIconInformation, {{-1, "ws-17"}}, 1, SyncOutcome::Renamed},
                        Case{nt4, false, "ws-17", 1, kRights, kMbIconExclamation, {}, 1, SyncOutcome::RightsMissing},
                        Case{w98, false, "Ws-17", 1, kSet, kMbIconInformation, {{-1, "Ws-17"}}, 0, SyncOutcome::Renamed},
                        Case{xp, true, "", 1, Invalid(""), kMbIconHand, {}, 0, SyncOutcome::NameUnusable},
                        Case{xp, true, "abcdefghijklmnop", 1, Invalid("abcdefghijklmnop"), kMbIconHand, {}, 0, SyncOutcome::NameUnusable},
                        Case{xp, true, "abcdefghijklmno", 1, kSet, kMbIconInformation, {{5, "abcdefghijklmno"}}, 1, SyncOutcome::Renamed},
                        Case{xp, true, "MÜLLERSTRASSE-Ä", 1, kSet, kMbIconInformation, {{5, "MÜLLERSTRASSE-Ä"}}, 1, SyncOutcome::Renamed}}) {
    SCOPED_TRACE(c.name + " on " + std::to_string(c.system.dwMajorVersion));
    test::FakeOs os;
    HeadlessForms forms;
    os.version = c.system;
    if (c.admin) os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
    os.setComputerNameResult = c.setResult;
    ChkVer chkVer(os);
    ASSERT_NE(chkVer.OsVersionText(), "");
    std::optional<SyncOutcome> outcome;
    try {
      outcome = SynchroniseName(os, forms, chkVer, c.name, kConfirmed);
      if (EndsTheProgram(*outcome)) forms.End();
    } catch (EndProgram) {
    }
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(forms.Ended(), !c.namesSet.empty());  // ended by every attempt, and only then
    ASSERT_EQ(forms.Messages().size(), 1u);
    EXPECT_EQ(forms.Messages()[0].text, c.text);
    EXPECT_EQ(forms.Messages()[0].style, c.style);
    EXPECT_EQ(os.namesSet, c.namesSet);
    EXPECT_EQ(os.CallCount("OpenProcessToken"), c.adminChecks);
    EXPECT_TRUE(os.AllReleased());
  }
}

// A message box that cannot be shown (the runtime raises FormsError) loses
// the message but never the end that follows it.
TEST(SynchroniseName, EndsAfterSettingTheNameEvenWhenTheMessageCannotBeShown) {
  for (int setResult : {1, 0}) {
    test::FakeOs os;
    HeadlessForms forms;
    os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
    os.setComputerNameResult = setResult;
    forms.onMessage = [](const ShownMessage&) { throw FormsError("cannot show the message box"); };
    ChkVer chkVer(os);
    chkVer.OsVersionText();
    EXPECT_THROW(Press(os, forms, chkVer, "ws-17", kConfirmed), EndProgram) << setResult;
    EXPECT_TRUE(forms.Ended()) << setResult;
  }
}

// Where the system's authority asks at the call itself (polkit), its
// refusal is a want of rights: the rights message, nothing set, and the
// program goes on as after the rights test.
TEST(SynchroniseName, ARefusalForRightsAtTheCallShowsTheRightsMessage) {
  for (bool refusedForRights : {true, false}) {
    SCOPED_TRACE(refusedForRights);
    test::FakeOs os;
    HeadlessForms forms;
    os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
    os.setComputerNameResult = 0;
    os.renameRefusedForRights = refusedForRights;
    ChkVer chkVer(os);
    chkVer.OsVersionText();
    try {
      Press(os, forms, chkVer, "ws-17", kConfirmed);
    } catch (EndProgram) {
    }
    ASSERT_EQ(forms.Messages().size(), 1u);
    EXPECT_EQ(forms.Messages()[0].text, refusedForRights ? kRights : kNotSet);
    EXPECT_EQ(forms.Messages()[0].style, refusedForRights ? kMbIconExclamation : kMbOk);
    EXPECT_EQ(forms.Ended(), !refusedForRights);
  }
}

namespace {
const std::string kDomainMember(Text(Msg::DomainMember));
}  // namespace

// Renaming a domain member locally would cut it off from its domain.
TEST(SynchroniseName, LeavesDomainMembersAlone) {
  using NamesSet = std::vector<std::pair<int, std::string>>;
  struct Case { const char* what; std::function<void(test::FakeOs&)> script; std::vector<std::string> texts;
                bool ended; NamesSet namesSet; };
  const auto admin = [](test::FakeOs& os) { os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"}); };
  for (const Case& c : {
           Case{"domain member", [&](auto& os) { admin(os); os.joinStatus = kNetSetupDomainName; os.joinName = "CAMPUS"; },
                {kDomainMember}, true, {}},
           Case{"domain member without rights", [](auto& os) { os.joinStatus = kNetSetupDomainName; },
                {kDomainMember}, true, {}},
           Case{"no join information (Windows 98)", [&](auto& os) { admin(os); os.missing = {"NetGetJoinInformation"}; },
                {kSet}, true, {{5, "ws-17"}}},
           Case{"join information fails", [&](auto& os) { admin(os); os.joinResult = 2221; }, {kSet}, true, {{5, "ws-17"}}},
           Case{"not joined", [&](auto& os) { admin(os); os.joinStatus = kNetSetupUnjoined; }, {kSet}, true, {{5, "ws-17"}}}}) {
    SCOPED_TRACE(c.what);
    test::FakeOs os;
    HeadlessForms forms;
    c.script(os);
    ChkVer chkVer(os);
    ASSERT_NE(chkVer.OsVersionText(), "");
    try {
      Press(os, forms, chkVer, "ws-17", kConfirmed);
    } catch (EndProgram) {
    }
    std::vector<std::string> texts;
    for (const auto& message : forms.Messages()) texts.push_back(message.text);
    EXPECT_EQ(texts, c.texts);
    if (!forms.Messages().empty() && texts[0] == kDomainMember) {
      EXPECT_EQ(forms.Messages()[0].style, kMbIconHand);
    }
    EXPECT_EQ(forms.Ended(), c.ended);
    EXPECT_EQ(os.namesSet, c.namesSet);
    EXPECT_TRUE(os.AllReleased());
  }
}

namespace {
OsVersionInfo Windows7() { return test::Version(kPlatformWin32NT, 6, 1, 7601, "Service Pack 1"); }

// A limited administrator: the Administrators group for denying access only.
void LimitedAdministrator(test::FakeOs& os) {
  os.version = Windows7();
  os.elevationType = kTokenElevationTypeLimited;
  os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT", true, kSeGroupUseForDenyOnly});
}
}  // namespace

// UAC: a limited administrator hands the name to an elevated copy.
TEST(SynchroniseName, LetsAnElevatedCopySetTheNameOfALimitedAdministrator) {
  using NamesSet = std::vector<std::pair<int, std::string>>;
  struct Case { const char* what; std::function<void(test::FakeOs&)> script; SyncCaller caller; std::string name;
                std::vector<std::string> texts; bool ended; NamesSet namesSet; int copiesStarted; };
  const auto admin = [](test::FakeOs& os) { os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"}); };
  for (const Case& c : {
           Case{"domain member: no copy", [](auto& os) { LimitedAdministrator(os); os.joinStatus = kNetSetupDomainName; },
                SyncCaller::User, "ws-17", {kDomainMember}, true, {}, 0},
           Case{"limited administrator: the copy takes over", LimitedAdministrator,
                SyncCaller::User, "ws-17", {}, true, {}, 1},
           // Wine's limited token keeps the group enabled: the kind of token decides.
           Case{"limited token with the group enabled", [](auto& os) { LimitedAdministrator(os);
                                                                     os.tokenGroups.back().attributes = 7; },
                SyncCaller::User, "ws-17", {}, true, {}, 1},
           Case{"limited administrator, name not confirmed: no copy", [](auto& os) { LimitedAdministrator(os);
                                                                                   os.aRecords.clear(); },
                SyncCaller::User, "ws-17", {kNotConfirmed}, true, {}, 0},
           Case{"limited administrator refuses the prompt", [](auto& os) { LimitedAdministrator(os);
                                                                           os.shellExecuteResult = 0; },
                SyncCaller::User, "ws-17", {kRights}, false, {}, 1},
           Case{"no UAC, no rights", [](auto& os) { os.version = Windows7(); os.elevationType = kTokenElevationTypeDefault; },
                SyncCaller::User, "ws-17", {kRights}, false, {}, 0},
           Case{"the copy, elevated", [&](auto& os) { admin(os); os.version = Windows7();
                                                      os.elevationType = kTokenElevationTypeFull; },
                SyncCaller::ElevatedCopy, "ws-17", {kSet}, true, {{5, "ws-17"}}, 0},
           Case{"the copy never starts another", LimitedAdministrator,
                SyncCaller::ElevatedCopy, "ws-17", {kRights}, false, {}, 0},
           Case{"the copy refuses what no computer may be called", admin,
                SyncCaller::ElevatedCopy, "ws 17", {Invalid("ws 17")}, false, {}, 0},
           Case{"the user's button refuses it just as well", admin,
                SyncCaller::User, "ws 17", {Invalid("ws 17")}, false, {}, 0}}) {
    SCOPED_TRACE(c.what);
    test::FakeOs os;
    HeadlessForms forms;
    c.script(os);
    ChkVer chkVer(os);
    ASSERT_NE(chkVer.OsVersionText(), "");
    try {
      Press(os, forms, chkVer, c.name, kConfirmed, c.caller);
    } catch (EndProgram) {
    }
    std::vector<std::string> texts;
    for (const auto& message : forms.Messages()) texts.push_back(message.text);
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(forms.Ended(), c.ended);
    EXPECT_EQ(os.namesSet, c.namesSet);
    EXPECT_EQ(static_cast<int>(os.programsStarted.size()), c.copiesStarted);
    EXPECT_TRUE(os.AllReleased());
  }
}

namespace {
// A Linux user who is not root: the rename from the window goes to pkexec's
// copy, so the Linux layer reports the limited kind of token.
void AdministratorWithoutRoot(test::FakeOs& os) {
  os.version = test::Version(kPlatformLinux, 5, 10, 0, "Debian GNU/Linux 11");
  os.elevationType = kTokenElevationTypeLimited;
}
}  // namespace

// pkexec's copy has no display: the window waits for it and shows what it
// made of the rename; a refused or dismissed password (or no pkexec) is the
// rights message, and the window stays.
TEST(SynchroniseName, ShowsWhatAWaitedForCopyMadeOfTheRename) {
  struct Case { const char* what; int shellResult; ElevatedCopyEnd end; SyncCaller caller;
                std::vector<std::string> texts; int style; bool ended; int copiesStarted; };
  for (const Case& c : {
           Case{"the copy set the name", 1, ElevatedCopyEnd::NameSet, SyncCaller::User,
                {kSet}, kMbIconInformation, true, 1},
           Case{"the copy failed", 1, ElevatedCopyEnd::NameNotSet, SyncCaller::User, {kNotSet}, kMbOk, true, 1},
           Case{"pkexec refused, dismissed or missing", 0, ElevatedCopyEnd::ShowsItsOwnMessage, SyncCaller::User,
                {kRights}, kMbIconExclamation, false, 1},
           Case{"Windows' copy shows its own message", 1, ElevatedCopyEnd::ShowsItsOwnMessage, SyncCaller::User,
                {}, 0, true, 1},
           // A script never asks anyone for a password.
           Case{"--sync", 1, ElevatedCopyEnd::NameSet, SyncCaller::Script, {kRights}, kMbIconExclamation, false, 0}}) {
    SCOPED_TRACE(c.what);
    test::FakeOs os;
    HeadlessForms forms;
    AdministratorWithoutRoot(os);
    os.shellExecuteResult = c.shellResult;
    os.copyEnd = c.end;
    ChkVer chkVer(os);
    ASSERT_NE(chkVer.OsVersionText(), "");
    try {
      Press(os, forms, chkVer, "ws-17", kConfirmed, c.caller);
    } catch (EndProgram) {
    }
    std::vector<std::string> texts;
    for (const auto& message : forms.Messages()) texts.push_back(message.text);
    EXPECT_EQ(texts, c.texts);
    if (!texts.empty()) {
      EXPECT_EQ(forms.Messages()[0].style, c.style);
    }
    EXPECT_EQ(forms.Ended(), c.ended);
    EXPECT_TRUE(os.namesSet.empty()) << "the copy sets the name, never its starter";
    ASSERT_EQ(static_cast<int>(os.programsStarted.size()), c.copiesStarted);
    if (c.copiesStarted) {
      EXPECT_EQ(os.programsStarted[0].lpParameters, "/SetComputerName:ws-17");
    }
  }
}

// The system is given the full name the rename was confirmed for, with the
// short name, on each way to the rename; never another answer's domain. The
// elevated copy passes on the full name it was given, and only where it
// belongs to the short name.
TEST(SynchroniseName, HandsTheSystemTheConfirmedFullNameOnEveryPath) {
  const auto admin = [](test::FakeOs& os) { os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"}); };
  struct Case { const char* what; std::function<void(test::FakeOs&)> script; SyncCaller caller; std::string name;
                ForwardLookup lookup; std::vector<std::string> renameDnsNames; std::string copyDnsName; };
  const ForwardLookup twoNames{"lab-2.uni-falkenau.de", "192.0.2.7", "192.0.2.53",
                               {"lab-2.uni-falkenau.de", "ws-17.uni-falkenau.de"}};
  const ForwardLookup givenToTheCopy{"ws-17.physik.uni-falkenau.de", "", "", {}};
  const ForwardLookup anotherHostsName{"pc-9.uni-falkenau.de", "", "", {}};
  for (const Case& c : {
           Case{"the button", admin, SyncCaller::User, "ws-17", kConfirmed, {"ws-17.uni-falkenau.de"}, ""},
           Case{"a script", admin, SyncCaller::Script, "ws-17", kConfirmed, {"ws-17.uni-falkenau.de"}, ""},
           Case{"of two campus names the one that leads back", admin, SyncCaller::User, "lab-2", twoNames,
                {"ws-17.uni-falkenau.de"}, ""},
           Case{"the limited administrator's copy is given it", LimitedAdministrator, SyncCaller::User, "ws-17",
                kConfirmed, {}, "ws-17.uni-falkenau.de"},
           Case{"the copy passes on what it was given", admin, SyncCaller::ElevatedCopy, "ws-17", givenToTheCopy,
                {"ws-17.physik.uni-falkenau.de"}, ""},
           Case{"but never another host's full name", admin, SyncCaller::ElevatedCopy, "ws-17", anotherHostsName,
                {""}, ""},
       }) {
    SCOPED_TRACE(c.what);
    test::FakeOs os;
    HeadlessForms forms;
    c.script(os);
    ChkVer chkVer(os);
    ASSERT_NE(chkVer.OsVersionText(), "");
    try {
      Press(os, forms, chkVer, c.name, c.lookup, c.caller);
    } catch (EndProgram) {
    }
    EXPECT_EQ(os.renameDnsNames, c.renameDnsNames);
    if (!c.renameDnsNames.empty()) EXPECT_EQ(os.namesSet.at(0).second, "ws-17");
    if (!c.copyDnsName.empty()) {
      ASSERT_EQ(os.programsStarted.size(), 1u);
      EXPECT_EQ(os.programsStarted[0].lpParameters, "/SetComputerName:ws-17");
      EXPECT_EQ(os.programsStarted[0].dnsName, c.copyDnsName);
    }
  }
}

TEST(SynchroniseName, SeveralCampusNamesWithoutExactlyOneLeadingBackSetNothing) {
  struct Case { const char* what; std::map<std::string, std::vector<uint32_t>> aRecords; };
  for (const Case& c : {Case{"none leads back", {}},
                        Case{"both lead back", {{"lab-2.uni-falkenau.de", {test::Ipv4(192, 0, 2, 7)}},
                                                {"pc-9.uni-falkenau.de", {test::Ipv4(192, 0, 2, 7)}}}}}) {
    SCOPED_TRACE(c.what);
    test::FakeOs os;
    HeadlessForms forms;
    os.tokenGroups.push_back({"Administratoren", "VORDEFINIERT"});
    os.aRecords = c.aRecords;
    ChkVer chkVer(os);
    chkVer.OsVersionText();
    const ForwardLookup lookup{"lab-2.uni-falkenau.de", "192.0.2.7", "192.0.2.53",
                               {"lab-2.uni-falkenau.de", "pc-9.uni-falkenau.de"}};
    EXPECT_EQ(SynchroniseName(os, forms, chkVer, "lab-2", lookup, SyncCaller::Script), SyncOutcome::AmbiguousPtr);
    EXPECT_TRUE(EndsTheProgram(SyncOutcome::AmbiguousPtr));
    EXPECT_TRUE(os.namesSet.empty());
    ASSERT_EQ(forms.Messages().size(), 1u);
    EXPECT_EQ(forms.Messages()[0].style, kMbIconHand);
    EXPECT_EQ(forms.Messages()[0].text,
              Text(Msg::AmbiguousPtr, {"192.0.2.7", "lab-2.uni-falkenau.de, pc-9.uni-falkenau.de"}));
    int forwardQueries = 0;
    for (const auto& query : os.queries) forwardQueries += query.type == kDnsTypeA;
    EXPECT_EQ(forwardQueries, 2) << "each campus name is asked";
  }
}
