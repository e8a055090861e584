// The Z order of a window's controls, which is what assistive technology
// reads: MSAA and UI Automation name an edit or combo box after the static
// text just before it, list a window's texts in this order, and the dialog
// manager's Tab follows it among the tab stops. Which of two overlapping
// controls shows on screen is a separate rule (DrawingOrder); where the two
// disagree, the upper control is clipped so the screen stays as before.
// No Windows headers: the rules are tested on any machine.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "interfaces/forms.h"

namespace hw::win32 {

bool TakesFocus(ControlKind kind);

// The label that names a text box or combo box: a label with a caption
// standing just above the field (its left edge within the field's width) or
// just left of it on the same row, the nearest one. None for other controls.
std::optional<std::size_t> CaptionOf(const WindowData& window, std::size_t field);

// The order in which the controls are created, which is their Z order, top
// first: the texts that name no field (labels and described pictures) in
// reading order, top to bottom and left to right; then the tab stops in
// tab-index order, each field right after the label that names it; lines,
// which nothing reads, last.
std::vector<std::size_t> CreationOrder(const WindowData& window);

// Which control shows where two overlap, first on top: the tab stops in
// tab-index order, then the rest from the highest tab index down (a value
// label lies over the caption that reaches into it; controls without one,
// the lines, over every label).
std::vector<std::size_t> DrawingOrder(const WindowData& window);

// A rectangle in pixels, right and bottom exclusive.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const PixelRect&) const = default;
};
bool Overlap(const PixelRect& a, const PixelRect& b);

// For each control, the rectangles of its siblings that it must leave
// uncovered: those it lies above in the Z order but below in the drawing
// order. `rects` are the controls' rectangles in the client area, indexed
// like the window data.
std::vector<std::vector<PixelRect>> CoveredSiblings(const WindowData& window, const std::vector<PixelRect>& rects);

}  // namespace hw::win32
