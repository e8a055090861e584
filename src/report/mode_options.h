// The switches of the modes for scripts on a Windows command line: REPORT,
// JSON and SYNC, each after "/" or "-" (or "--"), in any letter case.
#pragma once

#include <string_view>

namespace hw::report {

enum class Mode { Window, Report, Sync };

struct ModeOptions {
  Mode mode = Mode::Window;
  bool json = false;
};

// JSON alone asks for the report; SYNC wins over REPORT. Anything else (the
// quiet switch, say) is left to the window program.
ModeOptions ParseModeOptions(std::string_view arguments);

}  // namespace hw::report
