// One run of the program with its windows, wired once for both platforms:
// the window program, the quiet log-on, and the program that goes on from
// the quiet check on the real screen; each writes the run's entry in the
// system log. A platform only builds its OS, its forms runtime, its screen
// and its log.
#pragma once

#include <string>

#include "report/verdict_log.h"
#include "ui/program.h"
#include "ui/quiet_run.h"

namespace hw::app {

using report::VerdictEntry;
using report::VerdictLog;

// Every run writes one entry as soon as the check has decided, before any
// window, and one more when a window then sets the name: the verdict is on
// record even when the user never closes the window, or logs off. A run
// ended before the check decided writes its one entry as it ends.

// The window program until its last window closes or it ends at once; the
// exit status. The elevated copy (its command line carries the name) only
// sets the name: its entry says renamed or failed, its status 0 or 1.
int RunWindowProgram(Os& os, Forms& forms, VerdictLog* log);

// The program on the real screen, going on from where the quiet check left
// it; the exit status. The quiet run has written the verdict already: only
// a name set here adds an entry.
int ContinueWindowProgram(Os& os, Forms& forms, const ProgramState& state, VerdictLog* log);

// The quiet log-on: the check with its windows in memory, `screen` asked
// only when something must be shown; the exit status. A run that ends
// without the screen going on writes its entry here, with shown=no when a
// message box could not be shown; so does a run whose screen cannot be
// opened for the warning dialog, which ends with the verdict's status.
int RunQuietProgram(Os& os, const std::string& commandLine, ScreenOnDemand& screen, VerdictLog* log);

// What the run found and whether it set the name.
VerdictEntry EntryOf(const Program& program, bool nameSet);

}  // namespace hw::app
