// Where the window data puts things, in GTK's logical pixels: the twips
// tables at 100% (15 twips a pixel), all of it grown by one factor when the
// desktop's font, text scale or theme needs more room, so nothing is clipped
// and no text is drawn smaller than the desktop's body font. GDK's own
// scale (GDK_SCALE) multiplies the logical pixels on top.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "interfaces/forms.h"

namespace hw::gtk {

struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const PixelRect&) const = default;
};

// A control's box at `scale` (1 is the table at 96 dpi). A line runs from
// (left, top) to (left + width, top + height); its box holds both end
// points, one pixel thick.
PixelRect ControlPixels(const ControlData& control, double scale);

// The client area of a window at `scale`; x and y are its stored place.
PixelRect ClientPixels(const WindowData& window, double scale);

// The largest scale tried; a text that needs more is shown at this one.
inline constexpr double kLargestScale = 4.0;
// The step by which the scale grows from 1.
inline constexpr double kScaleStep = 1.0 / 16;

// The least scale, from 1 in steps of kScaleStep up to kLargestScale, at
// which `fits` holds; kLargestScale when none does. `fits` is asked with
// growing scales and is expected to hold from some scale on.
double LeastFittingScale(const std::function<bool(double scale)>& fits);

// The order of the focusable controls: those with a tab index, by index.
std::vector<const ControlData*> TabOrder(const WindowData& window);

// The caption label that names a value control (a text box, a combo box, a
// label without caption), as the windows place them: the nearest captioned
// label on the same row to its left, else the nearest one at the same left
// edge above it. Null when none does, and for other controls.
const ControlData* NamingLabel(const WindowData& window, const ControlData& control);

}  // namespace hw::gtk
