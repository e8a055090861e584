// hostwarden.exe /REPORT [/JSON] and /SYNC: the modes for scripts, with no
// window, their text on the console or a redirected output, their verdict in
// the event log.
#pragma once

#include "report/mode_options.h"
#include "report/verdict_log.h"

namespace hw::win32 {

// The exit code (see report/report.h and report/sync_run.h); 2 for a
// command line that is refused.
int RunScriptMode(const report::ModeOptions& options);

// Writes the verdict entry of any run, window or script, to the event log,
// never failing.
void LogVerdictEntry(const report::VerdictEntry& entry);

}  // namespace hw::win32
