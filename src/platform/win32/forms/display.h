// The system's display settings as the forms runtime asks for them: the dpi
// of a window, the work area a window opens in, high contrast. Each function
// newer than Windows 95 is bound by name; where it is missing, the answer
// is what the system gave before it (one dpi for the screen, the whole
// desktop, no high contrast).
#pragma once

#include <windows.h>

#include "platform/win32/forms/screen_rules.h"

namespace hw::win32 {

// Asks for per-monitor scaling (version 2) for the windows this thread
// creates, where the system has it; the manifest asks the same of newer
// systems, so this only matters where the manifest is not read.
void UsePerMonitorDpi();

// The dpi `window` is laid out at: its monitor's, else the screen's.
int WindowDpi(HWND window, int screenDpi);

// A system metric (an icon's size) at `dpi`; where the system cannot scale
// it (before Windows 10 1607), its size at the screen's dpi.
int SystemMetricAt(int index, int dpi);

// The work area of the monitor nearest to `point`.
PixelRect WorkAreaAt(POINT point);

// Whether the user has chosen a high-contrast theme.
bool HighContrastOn();

PixelRect ToPixelRect(const RECT& r);
RECT ToRect(const PixelRect& r);

}  // namespace hw::win32
