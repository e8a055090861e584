#include "report/vocabulary.h"

#include <cstddef>
#include <iterator>

namespace hw::report {
namespace {

struct Row {
  CheckVerdict verdict;       // NotApplicable on a reason's row
  NameCheckExemption reason;  // None on a verdict's row
  Term term;
};

using V = CheckVerdict;
using R = NameCheckExemption;
using S = Severity;

// The verdicts in CheckVerdict's order, then the reasons in
// NameCheckExemption's. A check that did not apply ends as a check that
// agreed: the reason is for the administrator, nothing is wrong with the PC.
// A mismatch whose name was then set is a notice (SeverityOf).
constexpr Row kVocabulary[] = {
    {V::Unfinished, R::None, {"failed", Msg::VerdictFailed, 2, S::Error}},
    {V::Failed, R::None, {"failed", Msg::VerdictFailed, 2, S::Error}},
    {V::NotApplicable, R::None, {"not-applicable", Msg::VerdictNotApplicable, 0, S::Information}},
    {V::Agree, R::None, {"agree", Msg::VerdictAgree, 0, S::Information}},
    {V::Mismatch, R::None, {"mismatch", Msg::VerdictMismatch, 1, S::Warning}},
    {V::AlreadyRunning, R::None, {"already-running", Msg::VerdictAlreadyRunning, 0, S::Information}},
    {V::Renamed, R::None, {"renamed", Msg::VerdictRenamed, 0, S::Information}},

    {V::NotApplicable, R::NoLan, {"no-lan", Msg::ReasonNoLan, 0, S::Information}},
    {V::NotApplicable, R::Vpn, {"vpn", Msg::ReasonVpn, 0, S::Information}},
    {V::NotApplicable, R::NoDnsServer, {"no-dns-server", Msg::ReasonNoDnsServer, 0, S::Information}},
    {V::NotApplicable, R::NoPtrRecord, {"no-ptr-record", Msg::ReasonNoPtrRecord, 0, S::Information}},
    {V::NotApplicable, R::DnsServerFailure, {"dns-server-failure", Msg::ReasonDnsServerFailure, 0, S::Information}},
    {V::NotApplicable, R::DnsServerUnreachable, {"dns-server-unreachable", Msg::ReasonDnsServerUnreachable, 0, S::Information}},
    {V::NotApplicable, R::DnsTimeout, {"dns-timeout", Msg::ReasonDnsTimeout, 0, S::Information}},
    {V::NotApplicable, R::NoDnsName, {"no-dns-name", Msg::ReasonNoDnsName, 0, S::Information}},
    {V::NotApplicable, R::LoopbackAddress, {"loopback-address", Msg::ReasonLoopbackAddress, 0, S::Information}},
    {V::NotApplicable, R::LocalHost, {"localhost", Msg::ReasonLocalHost, 0, S::Information}},
    {V::NotApplicable, R::DynamicPoolName, {"dynamic-pool", Msg::ReasonDynamicPool, 0, S::Information}},
    {V::NotApplicable, R::OutsideCampus, {"outside-campus", Msg::ReasonOutsideCampus, 0, S::Information}},
};

constexpr std::size_t kVerdicts = static_cast<std::size_t>(V::Count);
constexpr std::size_t kReasons = static_cast<std::size_t>(R::Count) - 1;  // None has no row

// Every verdict and every reason has exactly its row, in its place.
constexpr bool RowsInOrder() {
  for (std::size_t i = 0; i < kVerdicts; ++i)
    if (kVocabulary[i].verdict != static_cast<V>(i) || kVocabulary[i].reason != R::None) return false;
  for (std::size_t i = 0; i < kReasons; ++i) {
    const Row& row = kVocabulary[kVerdicts + i];
    if (row.verdict != V::NotApplicable || row.reason != static_cast<R>(i + 1)) return false;
  }
  return true;
}

static_assert(std::size(kVocabulary) == kVerdicts + kReasons, "a verdict or a reason has no row");
static_assert(RowsInOrder(), "a row of the vocabulary is out of its place");

}  // namespace

const Term& TermOf(CheckVerdict verdict) {
  const auto index = static_cast<std::size_t>(verdict);
  return kVocabulary[index < kVerdicts ? index : static_cast<std::size_t>(V::Failed)].term;
}

const Term* TermOf(NameCheckExemption reason) {
  const auto index = static_cast<std::size_t>(reason);
  if (index == 0 || index > kReasons) return nullptr;
  return &kVocabulary[kVerdicts + index - 1].term;
}

}  // namespace hw::report
