// What the system's display settings decide for a window, as plain
// arithmetic: where a window opens so that all of it is on its monitor's
// work area, which dpi a window is laid out at, and the colour of a text
// in high contrast. No Windows headers: the rules are tested on any machine.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/win32/forms/z_order.h"

namespace hw::win32 {

// `window` moved (never resized) so that it lies inside `workArea`: pushed
// back from the right and bottom edges first, then from the left and top,
// so a window larger than the work area keeps its title bar and top-left
// corner on it.
PixelRect PlaceInside(const PixelRect& window, const PixelRect& workArea);

// The work area to place a window in: the monitor's where the system tells
// it (Windows 98 and 2000 on), else the primary desktop's, else the screen.
PixelRect WorkAreaOf(const std::optional<PixelRect>& monitor, const std::optional<PixelRect>& desktop,
                     const PixelRect& screen);

// The dpi a window is laid out at: its own (Windows 10 1607 on, where a
// window on each monitor has the monitor's), else the screen's.
int LayoutDpi(std::optional<unsigned> windowDpi, int screenDpi);

// A text's colour: a control's own colour, except in high contrast, where
// every text takes the theme's text colour (`systemText`).
uint32_t TextColourFor(uint32_t ownColour, bool highContrast, uint32_t systemText);

}  // namespace hw::win32
