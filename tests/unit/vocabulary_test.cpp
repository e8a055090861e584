// The words of a run's outcome: one row for each verdict and each reason,
// and values outside the enumerations read as a failure, not as a crash.
#include <gtest/gtest.h>

#include <iterator>
#include <set>

#include "report/report.h"
#include "report/verdict_log.h"
#include "report/vocabulary.h"
#include "text/catalogue.h"

namespace hw::report {
namespace {

TEST(Vocabulary, EachVerdictsKeyExitStatusAndSeverity) {
  const struct {
    CheckVerdict verdict;
    std::string_view key;
    int exitStatus;
    Severity severity;
  } table[] = {
      {CheckVerdict::Unfinished, "failed", 2, Severity::Error},
      {CheckVerdict::Failed, "failed", 2, Severity::Error},
      {CheckVerdict::NotApplicable, "not-applicable", 0, Severity::Information},
      {CheckVerdict::Agree, "agree", 0, Severity::Information},
      {CheckVerdict::Mismatch, "mismatch", 1, Severity::Warning},
      {CheckVerdict::AlreadyRunning, "already-running", 0, Severity::Information},
      {CheckVerdict::Renamed, "renamed", 0, Severity::Information},
      {static_cast<CheckVerdict>(250), "failed", 2, Severity::Error},  // a damaged state record
  };
  for (const auto& row : table) {
    EXPECT_EQ(VerdictName(row.verdict), row.key);
    EXPECT_EQ(ExitCodeOf(row.verdict), row.exitStatus) << row.key;
    VerdictEntry entry;
    entry.verdict = row.verdict;
    EXPECT_EQ(SeverityOf(entry), row.severity) << row.key;
  }
  VerdictEntry renamedAfterMismatch;
  renamedAfterMismatch.verdict = CheckVerdict::Mismatch;
  renamedAfterMismatch.nameSet = true;
  EXPECT_EQ(SeverityOf(renamedAfterMismatch), Severity::Notice);
}

// Every reason has a key of its own and words in both languages; the run
// ends as a check that did not apply.
TEST(Vocabulary, EveryReasonHasItsOwnKeyAndWords) {
  std::set<std::string_view> keys;
  for (int i = 1; i < static_cast<int>(NameCheckExemption::Count); ++i) {
    const auto reason = static_cast<NameCheckExemption>(i);
    const Term* term = TermOf(reason);
    ASSERT_NE(term, nullptr) << i;
    EXPECT_TRUE(keys.insert(term->key).second) << term->key;
    EXPECT_FALSE(TextIn(Language::German, term->text).empty()) << term->key;
    EXPECT_FALSE(TextIn(Language::English, term->text).empty()) << term->key;
    Report report;
    report.verdict = CheckVerdict::NotApplicable;
    report.exemption = reason;
    EXPECT_EQ(ExitCodeOf(report), 0) << term->key;
  }
  EXPECT_EQ(TermOf(NameCheckExemption::None), nullptr);
  EXPECT_EQ(TermOf(NameCheckExemption::Count), nullptr);
  EXPECT_EQ(ExemptionName(static_cast<NameCheckExemption>(99)), "");
}

// The key scripts read and the words people read belong to the same
// reason: a row that slipped would tell a missing server as an unreachable one.
TEST(Vocabulary, EachReasonsKeyAndText) {
  using R = NameCheckExemption;
  const struct {
    R reason;
    std::string_view key;
    Msg text;
  } table[] = {
      {R::NoLan, "no-lan", Msg::ReasonNoLan},
      {R::Vpn, "vpn", Msg::ReasonVpn},
      {R::NoDnsServer, "no-dns-server", Msg::ReasonNoDnsServer},
      {R::NoPtrRecord, "no-ptr-record", Msg::ReasonNoPtrRecord},
      {R::DnsServerFailure, "dns-server-failure", Msg::ReasonDnsServerFailure},
      {R::DnsServerUnreachable, "dns-server-unreachable", Msg::ReasonDnsServerUnreachable},
      {R::DnsTimeout, "dns-timeout", Msg::ReasonDnsTimeout},
      {R::NoDnsName, "no-dns-name", Msg::ReasonNoDnsName},
      {R::LoopbackAddress, "loopback-address", Msg::ReasonLoopbackAddress},
      {R::LocalHost, "localhost", Msg::ReasonLocalHost},
      {R::DynamicPoolName, "dynamic-pool", Msg::ReasonDynamicPool},
      {R::OutsideCampus, "outside-campus", Msg::ReasonOutsideCampus},
  };
  static_assert(std::size(table) == static_cast<std::size_t>(R::Count) - 1, "a reason is missing here");
  for (const auto& row : table) {
    EXPECT_EQ(ExemptionName(row.reason), row.key);
    EXPECT_EQ(ExemptionText(row.reason), Text(row.text)) << row.key;
  }
}

}  // namespace
}  // namespace hw::report
