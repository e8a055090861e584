#include "platform/posix/fltk/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace hw::fltk {

int LayoutDpi(double reported) {
  constexpr int kBase = 96, kStep = 24, kHighest = 480;
  if (!(reported > kBase)) return kBase;  // also for NaN and nonsense below
  int steps = static_cast<int>(std::lround((reported - kBase) / kStep));
  return std::min(kBase + steps * kStep, kHighest);
}

PixelRect ControlPixels(const ControlData& control, int dpi) {
  if (control.kind == ControlKind::Line) {
    int x1 = TwipsToPixels(control.left, dpi), y1 = TwipsToPixels(control.top, dpi);
    int x2 = TwipsToPixels(control.left + control.width, dpi);
    int y2 = TwipsToPixels(control.top + control.height, dpi);
    return {std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1};
  }
  return {TwipsToPixels(control.left, dpi), TwipsToPixels(control.top, dpi),
          std::max(1, TwipsToPixels(control.width, dpi)), std::max(1, TwipsToPixels(control.height, dpi))};
}

PixelRect ClientPixels(const WindowData& window, int dpi) {
  return {TwipsToPixels(window.left, dpi), TwipsToPixels(window.top, dpi),
          std::max(1, TwipsToPixels(window.clientWidth, dpi)), std::max(1, TwipsToPixels(window.clientHeight, dpi))};
}

int FontPixels(double points, int dpi) {
  return std::max(1, static_cast<int>(std::lround(points * dpi / 72.0)));
}

std::vector<const ControlData*> CreationOrder(const WindowData& window) {
  std::vector<const ControlData*> order;
  for (const auto& c : window.controls) order.push_back(&c);
  std::stable_sort(order.begin(), order.end(), [](const ControlData* a, const ControlData* b) {
    bool aIndexed = a->tabIndex >= 0, bIndexed = b->tabIndex >= 0;
    if (aIndexed != bIndexed) return aIndexed;
    return aIndexed && a->tabIndex < b->tabIndex;
  });
  return order;
}

}  // namespace hw::fltk
