// The report mode: the startup check run on the headless forms, never
// opening a window and never changing the system, and its report written.
#pragma once

#include <string_view>

#include "interfaces/os.h"
#include "report/report.h"
#include "report/text_writer.h"

namespace hw {
class HeadlessForms;
class Program;
}  // namespace hw

namespace hw::report {

class VerdictLog;

// Runs the startup check in normal mode on the headless forms runtime and
// fills a report.
Report RunStartupCheck(Os& os);

// The same for a program the caller made on `forms`, which it may go on
// using afterwards (the synchronise mode does).
Report StartAndReport(Program& program, HeadlessForms& forms);

// A message box's text on `out`: its first line after `prefix`, each
// further line on a line of its own (indented behind a prefix); unprintable
// bytes as \xNN.
void WriteMessage(TextWriter& out, std::string_view text, const char* prefix);

// The whole report mode: the report on `out`, each message on `err`, one
// entry in `log` (may be null); the exit code.
int RunReportMode(Os& os, bool json, TextWriter& out, TextWriter& err, VerdictLog* log = nullptr);

}  // namespace hw::report
