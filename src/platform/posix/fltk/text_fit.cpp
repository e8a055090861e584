#include "platform/posix/fltk/text_fit.h"

#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/fl_draw.H>

namespace hw::fltk {
namespace {

constexpr int kFocusMargin = 2;  // the dotted focus rectangle and a pixel of air, per side
constexpr int kInputMargin = 3;  // Fl_Input leaves this much beside its text, per side

}  // namespace

bool TextFits(const std::string& text, Fl_Font font, int size, const TextRoom& room) {
  if (text.empty()) return true;
  fl_font(font, size);
  int w = room.wrap ? room.w : 0, h = 0;
  fl_measure(text.c_str(), w, h, 0);
  return w <= room.w && h <= room.h;
}

int FittingTextSize(const std::vector<std::string>& texts, Fl_Font font, int largest, const TextRoom& room) {
  for (int size = largest; size > kSmallestTextSize; --size) {
    bool all = true;
    for (const auto& text : texts) all = all && TextFits(text, font, size, room);
    if (all) return size;
  }
  return kSmallestTextSize;
}

TextRoom LabelRoom(const Fl_Widget& label) { return {label.w(), label.h(), true}; }

TextRoom ButtonRoom(const Fl_Widget& button) {
  Fl_Boxtype box = button.box();
  return {button.w() - Fl::box_dw(box) - 2 * kFocusMargin, button.h() - Fl::box_dh(box), false};
}

TextRoom ComboBoxRoom(const Fl_Input_Choice& combo) {
  const Fl_Input* field = const_cast<Fl_Input_Choice&>(combo).input();
  Fl_Boxtype box = field->box();
  return {field->w() - Fl::box_dw(box) - 2 * kInputMargin, field->h() - Fl::box_dh(box), false};
}

}  // namespace hw::fltk
