// The words of a run's outcome: each verdict and each reason the names were
// not compared has one row, with its key for scripts and logs, its text for
// people, the exit status of the report and script modes, and the log
// entry's severity.
#pragma once

#include <string_view>

#include "check/form_load.h"
#include "text/reason.h"
#include "text/catalogue.h"

namespace hw::report {

// How much an entry asks of an administrator; each log has its own levels
// (the Windows event log has no notice and shows it as information).
enum class Severity { Information, Notice, Warning, Error };

struct Term {
  std::string_view key;  // "mismatch", "no-ptr-record": JSON, log entries
  Msg text;              // for people, in the run's language
  int exitStatus;
  Severity severity;
};

// A value outside the enumeration (a damaged state record) reads as a
// failed check.
const Term& TermOf(CheckVerdict verdict);
// The reason's row; None and values outside the enumeration have none.
const Term* TermOf(NameCheckExemption reason);

// "agree", "mismatch", "not-applicable", "failed", "already-running" or
// "renamed"; a check that never reached its decision counts as failed.
std::string_view VerdictName(CheckVerdict verdict);

// Why the check did not apply, as a key ("outside-campus", ...) and as
// words for people; "" for None.
std::string_view ExemptionName(NameCheckExemption exemption);
std::string_view ExemptionText(NameCheckExemption exemption);
// The verdict in the run's language, for the text report that people read;
// the JSON keeps VerdictName for scripts.
std::string_view VerdictText(CheckVerdict verdict);

// 0 for agree or not applicable, 1 for a mismatch, 2 when the program would
// have ended for a failure.
int ExitCodeOf(CheckVerdict verdict);

}  // namespace hw::report
