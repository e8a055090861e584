#include "platform/posix/fltk/widgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

namespace hw::fltk {

CaptionBox::CaptionBox(int x, int y, int w, int h) : Fl_Box(x, y, w, h) {
  box(FL_FLAT_BOX);
  color(FL_BACKGROUND_COLOR);
}

void CaptionBox::text(std::string text) {
  text_ = std::move(text);
  redraw();
}

void CaptionBox::draw() {
  draw_box();
  fl_push_clip(x(), y(), w(), h());
  fl_font(labelfont(), labelsize());
  fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
  fl_draw(text_.c_str(), x(), y(), w(), h(),
          FL_ALIGN_TOP | FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_CLIP, nullptr, 0);
  fl_pop_clip();
}

PushButton::PushButton(int x, int y, int w, int h) : Fl_Button(x, y, w, h) {}

int PushButton::handle(int event) {
  bool enter = Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter;
  if (event == FL_KEYBOARD && enter && Fl::focus() == this && !(Fl::event_state() & (FL_CTRL | FL_ALT | FL_META))) {
    simulate_key_action();
    do_callback();
    return 1;
  }
  return Fl_Button::handle(event);
}

RuleLine::RuleLine(int x, int y, int w, int h, bool fallsToTheRight)
    : Fl_Widget(x, y, w, h), fallsToTheRight_(fallsToTheRight) {
  color(FL_FOREGROUND_COLOR);
  clear_visible_focus();
}

void RuleLine::draw() {
  fl_color(color());
  fl_line_style(FL_SOLID, 1);
  int left = x(), right = x() + w() - 1, top = y(), bottom = y() + h() - 1;
  if (fallsToTheRight_)
    fl_line(left, top, right, bottom);
  else
    fl_line(left, bottom, right, top);
  fl_line_style(0);
}

}  // namespace hw::fltk
