// The quiet mode, run at every log-on, keeps its windows in memory and asks
// for the screen only when something must be shown: a message box, or the
// warning dialog. When the names agree, the check does not apply, or
// another instance runs, the program ends without ever opening a window or
// loading a window toolkit.
#pragma once

#include <functional>
#include <string>

#include "interfaces/os.h"
#include "ui/program.h"

namespace hw {

// The real forms runtime, started only when it is first needed.
class ScreenOnDemand {
 public:
  virtual ~ScreenOnDemand() = default;
  // The single-instance test of the real runtime, which needs no screen.
  virtual bool PrevInstance() = 0;
  // A modal message box, as Forms::MsgBox shows it. Throws
  // ScreenUnavailable when it cannot be shown.
  virtual void MsgBox(const std::string& text, int style) = 0;
  // Makes the screen ready for the windows; false when they cannot be
  // shown (no display, no window module).
  virtual bool Open() = 0;
  // Runs the program on the real runtime from the state the check left
  // until it ends (Program::Continue, then the runtime's loop); the exit
  // code.
  virtual int Continue(const ProgramState& state) = 0;
};

// Something had to be shown and could not be (no display, no window
// module). Like EndProgram it is no std::exception, so no guard of the check
// takes it for a failed action; the program ends with `exitCode`.
struct ScreenUnavailable {
  int exitCode = 2;
};

// Runs the program in quiet mode; the exit code. `endedHere` is given the
// program when the run ends without the screen going on with it (nothing
// to show, or only message boxes), so the caller can record its verdict;
// a run the screen goes on with is recorded there.
int RunQuietMode(Os& os, const std::string& commandLine, ScreenOnDemand& screen,
                 const std::function<void(const Program&)>& endedHere = {});

}  // namespace hw
