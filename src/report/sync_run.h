// The synchronise mode, for scripts: the startup check without a window and,
// on a mismatch, the synchronise command exactly as the button runs it, its
// message boxes printed instead of shown.
#pragma once

#include <vector>

#include "interfaces/os.h"
#include "report/report.h"
#include "report/vocabulary.h"
#include "report/text_writer.h"
#include "report/verdict_log.h"

namespace hw::report {

struct SyncResult {
  Report report;                            // the check, before any attempt
  bool attempted = false;                   // a mismatch: the command ran
  bool nameSet = false;                     // the system took the new name
  std::vector<ReportMessage> syncMessages;  // what the command reported
};

SyncResult RunSync(Os& os);

// 0: the names agree, the check does not apply, or the name was set;
// 1: the name could not be set; 2: the check failed.
int ExitCodeOf(const SyncResult& result);

// The whole mode: the command's success message on `out`, every other
// message on `err`, one entry in `log` (may be null); the exit code.
int RunSyncMode(Os& os, TextWriter& out, TextWriter& err, VerdictLog* log = nullptr);

}  // namespace hw::report
