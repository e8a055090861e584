// Program code that runs from inside FLTK's event dispatch. Nothing may
// unwind through FLTK: ending the program at once hides every window and
// ends the process right there; any other error is reported on stderr and
// the program goes on.
#pragma once

#include <functional>

namespace hw::fltk {

void RunGuarded(const std::function<void()>& handler) noexcept;

// Hides every window, flushes what was written, and exits with status 0.
[[noreturn]] void EndProcessNow();

}  // namespace hw::fltk
