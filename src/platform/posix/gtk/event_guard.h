// Program code that runs from inside GTK's signal emission. Nothing may
// unwind through GTK's C code: ending the program at once hides every
// window and ends the process right there; any other error is reported on
// stderr and the program goes on.
#pragma once

#include <functional>

namespace hw::gtk {

void RunGuarded(const std::function<void()>& handler) noexcept;

// Hides every window, flushes what was written, and exits with status 0.
[[noreturn]] void EndProcessNow();

// Hides every toplevel window (message boxes and tooltips too) and sends
// that to the display.
void HideAllWindows();

}  // namespace hw::gtk
