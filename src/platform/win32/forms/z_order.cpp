#include "platform/win32/forms/z_order.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <tuple>

namespace hw::win32 {
namespace {

// How far, in twips, a caption may stand from its field: half a label's
// height above it, or a few characters left of it.
constexpr int kCaptionGapAbove = 120;
constexpr int kCaptionGapBeside = 240;

bool IsField(ControlKind kind) { return kind == ControlKind::TextBox || kind == ControlKind::ComboBox; }

int Right(const ControlData& c) { return c.left + c.width; }
int Bottom(const ControlData& c) { return c.top + c.height; }

// The distance from a caption to its field, when `label` can be one.
std::optional<int> CaptionDistance(const ControlData& label, const ControlData& field) {
  if (label.kind != ControlKind::Label || label.caption.empty()) return std::nullopt;
  bool above = label.top < field.top && label.left >= field.left && label.left < Right(field) &&
               field.top - Bottom(label) <= kCaptionGapAbove;
  if (above) return std::max(0, field.top - Bottom(label));
  bool sameRow = label.top < Bottom(field) && field.top < Bottom(label);
  bool beside = sameRow && label.left < field.left && std::abs(field.left - Right(label)) <= kCaptionGapBeside;
  if (beside) return std::max(0, field.left - Right(label));
  return std::nullopt;
}

std::vector<std::size_t> TabStops(const WindowData& window) {
  std::vector<std::size_t> stops;
  for (std::size_t i = 0; i < window.controls.size(); ++i)
    if (TakesFocus(window.controls[i].kind)) stops.push_back(i);
  // A focusable control without a tab index goes last in the tab order.
  auto tab = [&](std::size_t i) {
    int index = window.controls[i].tabIndex;
    return index < 0 ? std::numeric_limits<int>::max() : index;
  };
  std::stable_sort(stops.begin(), stops.end(), [&](auto a, auto b) { return tab(a) < tab(b); });
  return stops;
}

}  // namespace

bool TakesFocus(ControlKind kind) {
  return kind == ControlKind::Button || kind == ControlKind::TextBox || kind == ControlKind::ComboBox;
}

std::optional<std::size_t> CaptionOf(const WindowData& window, std::size_t field) {
  if (field >= window.controls.size() || !IsField(window.controls[field].kind)) return std::nullopt;
  std::optional<std::size_t> best;
  int bestDistance = 0;
  for (std::size_t i = 0; i < window.controls.size(); ++i) {
    std::optional<int> distance = CaptionDistance(window.controls[i], window.controls[field]);
    if (distance && (!best || *distance < bestDistance)) {
      best = i;
      bestDistance = *distance;
    }
  }
  return best;
}

std::vector<std::size_t> CreationOrder(const WindowData& window) {
  std::vector<std::size_t> stops = TabStops(window);
  std::vector<std::optional<std::size_t>> captions;
  std::vector<bool> isCaption(window.controls.size(), false);
  for (std::size_t stop : stops) {
    std::optional<std::size_t> caption = CaptionOf(window, stop);
    if (caption && isCaption[*caption]) caption.reset();  // one label names one field
    if (caption) isCaption[*caption] = true;
    captions.push_back(caption);
  }

  std::vector<std::size_t> texts, lines;
  for (std::size_t i = 0; i < window.controls.size(); ++i) {
    ControlKind kind = window.controls[i].kind;
    if (kind == ControlKind::Line) lines.push_back(i);
    else if (!TakesFocus(kind) && !isCaption[i]) texts.push_back(i);
  }
  std::stable_sort(texts.begin(), texts.end(), [&](auto a, auto b) {
    const ControlData &x = window.controls[a], &y = window.controls[b];
    return std::tie(x.top, x.left) < std::tie(y.top, y.left);
  });

  std::vector<std::size_t> order = texts;
  for (std::size_t i = 0; i < stops.size(); ++i) {
    if (captions[i]) order.push_back(*captions[i]);
    order.push_back(stops[i]);
  }
  order.insert(order.end(), lines.begin(), lines.end());
  return order;
}

std::vector<std::size_t> DrawingOrder(const WindowData& window) {
  std::vector<std::size_t> order = TabStops(window), others;
  for (std::size_t i = 0; i < window.controls.size(); ++i)
    if (!TakesFocus(window.controls[i].kind)) others.push_back(i);
  auto tab = [&](std::size_t i) {
    int index = window.controls[i].tabIndex;
    return index < 0 ? std::numeric_limits<int>::max() : index;
  };
  std::stable_sort(others.begin(), others.end(), [&](auto a, auto b) { return tab(a) > tab(b); });
  order.insert(order.end(), others.begin(), others.end());
  return order;
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::vector<std::vector<PixelRect>> CoveredSiblings(const WindowData& window, const std::vector<PixelRect>& rects) {
  std::size_t count = std::min(window.controls.size(), rects.size());
  auto rankIn = [&](const std::vector<std::size_t>& order) {
    std::vector<std::size_t> rank(window.controls.size());
    for (std::size_t at = 0; at < order.size(); ++at) rank[order[at]] = at;
    return rank;
  };
  std::vector<std::size_t> zRank = rankIn(CreationOrder(window)), drawRank = rankIn(DrawingOrder(window));
  std::vector<std::vector<PixelRect>> covered(window.controls.size());
  for (std::size_t upper = 0; upper < count; ++upper)
    for (std::size_t lower = 0; lower < count; ++lower)
      if (zRank[upper] < zRank[lower] && drawRank[lower] < drawRank[upper] && Overlap(rects[upper], rects[lower]))
        covered[upper].push_back(rects[lower]);
  return covered;
}

}  // namespace hw::win32
