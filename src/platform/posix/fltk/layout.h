// Where the window data puts things on the screen, in pixels: twips scaled
// for the display's resolution, the font's pixel size, and the order in
// which controls are created (which is FLTK's tab order).
#pragma once

#include <vector>

#include "platform/forms.h"

namespace hw::fltk {

struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const PixelRect&) const = default;
};

// The resolution the layout uses for a display that reports `reported` dots
// per inch: 96, or a step of 24 above it (120, 144, ...), the steps Windows
// scales by. X servers commonly report made-up values near 96 (Xvfb says
// 100); rounding to the steps keeps those at the designed pixel sizes.
int LayoutDpi(double reported);

// A control's box. A line runs from (left, top) to (left + width,
// top + height); its box holds both end points, one pixel thick.
PixelRect ControlPixels(const ControlData& control, int dpi);

// The client area of a window.
PixelRect ClientPixels(const WindowData& window, int dpi);

// The pixel size of a font of that many points.
int FontPixels(double points, int dpi);

// The controls in creation order: those with a tab index by index, then the
// rest in table order. FLTK moves the focus in creation order.
std::vector<const ControlData*> CreationOrder(const WindowData& window);

}  // namespace hw::fltk
