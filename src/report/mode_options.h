// The switches of the modes for scripts on a Windows command line: REPORT,
// JSON and SYNC, each after "/" or "-" (or "--"), in any letter case. The
// words are split as Windows programs split their command line, so a switch
// in quotes ("/REPORT", as PowerShell may pass it) is the same switch.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace hw::report {

enum class Mode { Window, Report, Sync, Refused };

struct ModeOptions {
  Mode mode = Mode::Window;
  bool json = false;
  std::string refusal;  // Mode::Refused: the one line that says why
};

// The words of an argument text, as Windows programs split it (text/text.h).
using hw::SplitArguments;

// JSON alone asks for the report. A word that begins like one of the three
// switches but goes on (/REPORT/JSON, /SYNCNOW) is an unknown switch, and
// REPORT or JSON together with SYNC is refused: the report never changes the
// system. Anything else (the quiet switch, say) is left to the window
// program.
ModeOptions ParseModeOptions(std::string_view arguments);

// The line for a switch that looks like one of ours but is not; the line for
// the report asked for together with the rename.
std::string UnknownSwitchLine(std::string_view word);
std::string ReportWithSyncLine(std::string_view report, std::string_view sync);

}  // namespace hw::report
