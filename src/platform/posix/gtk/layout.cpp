#include "platform/posix/gtk/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace hw::gtk {
namespace {

int Scaled(int twips, double scale) { return static_cast<int>(std::lround(TwipsToPixels(twips) * scale)); }

bool IsValueControl(const ControlData& control) {
  return control.kind == ControlKind::TextBox || control.kind == ControlKind::ComboBox ||
         (control.kind == ControlKind::Label && control.caption.empty());
}

bool IsCaption(const ControlData& control) { return control.kind == ControlKind::Label && !control.caption.empty(); }

}  // namespace

PixelRect ControlPixels(const ControlData& control, double scale) {
  if (control.kind == ControlKind::Line) {
    int x1 = Scaled(control.left, scale), y1 = Scaled(control.top, scale);
    int x2 = Scaled(control.left + control.width, scale), y2 = Scaled(control.top + control.height, scale);
    return {std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1};
  }
  return {Scaled(control.left, scale), Scaled(control.top, scale), std::max(1, Scaled(control.width, scale)),
          std::max(1, Scaled(control.height, scale))};
}

PixelRect ClientPixels(const WindowData& window, double scale) {
  return {TwipsToPixels(window.left), TwipsToPixels(window.top), std::max(1, Scaled(window.clientWidth, scale)),
          std::max(1, Scaled(window.clientHeight, scale))};
}

double LeastFittingScale(const std::function<bool(double scale)>& fits) {
  for (double scale = 1.0; scale < kLargestScale; scale += kScaleStep)
    if (fits(scale)) return scale;
  return kLargestScale;
}

std::vector<const ControlData*> TabOrder(const WindowData& window) {
  std::vector<const ControlData*> order;
  for (const auto& c : window.controls)
    if (c.tabIndex >= 0) order.push_back(&c);
  std::stable_sort(order.begin(), order.end(),
                   [](const ControlData* a, const ControlData* b) { return a->tabIndex < b->tabIndex; });
  return order;
}

const ControlData* NamingLabel(const WindowData& window, const ControlData& control) {
  if (!IsValueControl(control)) return nullptr;
  const ControlData* beside = nullptr;
  const ControlData* above = nullptr;
  for (const auto& c : window.controls) {
    if (&c == &control || !IsCaption(c)) continue;
    if (c.top == control.top && c.left < control.left && (!beside || c.left > beside->left)) beside = &c;
    if (c.left == control.left && c.top < control.top && (!above || c.top > above->top)) above = &c;
  }
  return beside ? beside : above;
}

}  // namespace hw::gtk
