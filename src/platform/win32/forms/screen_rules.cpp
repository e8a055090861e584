#include "platform/win32/forms/screen_rules.h"

namespace hw::win32 {

PixelRect PlaceInside(const PixelRect& window, const PixelRect& workArea) {
  int dx = 0, dy = 0;
  if (window.right > workArea.right) dx = workArea.right - window.right;
  if (window.bottom > workArea.bottom) dy = workArea.bottom - window.bottom;
  if (window.left + dx < workArea.left) dx = workArea.left - window.left;
  if (window.top + dy < workArea.top) dy = workArea.top - window.top;
  return {window.left + dx, window.top + dy, window.right + dx, window.bottom + dy};
}

PixelRect WorkAreaOf(const std::optional<PixelRect>& monitor, const std::optional<PixelRect>& desktop,
                     const PixelRect& screen) {
  // An empty answer is no answer: a failing call may leave its rectangle zero.
  auto usable = [](const std::optional<PixelRect>& r) { return r && r->right > r->left && r->bottom > r->top; };
  if (usable(monitor)) return *monitor;
  if (usable(desktop)) return *desktop;
  return screen;
}

int LayoutDpi(std::optional<unsigned> windowDpi, int screenDpi) {
  if (windowDpi && *windowDpi > 0 && *windowDpi <= 4 * 1440) return static_cast<int>(*windowDpi);
  return screenDpi > 0 ? screenDpi : 96;
}

uint32_t TextColourFor(uint32_t ownColour, bool highContrast, uint32_t systemText) {
  return highContrast || ownColour == kSystemColour ? systemText : ownColour;
}

}  // namespace hw::win32
