// The few widgets FLTK lacks in the shape the windows need.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Widget.H>

#include <string>

namespace hw::fltk {

// A label: opaque, its text at the top left, broken at blanks to its width
// and cut off at its edges. The text is drawn as it is: no "@" symbols and
// no "&" shortcuts, so a user or host name shows exactly.
class CaptionBox : public Fl_Box {
 public:
  CaptionBox(int x, int y, int w, int h);
  const std::string& text() const { return text_; }
  void text(std::string text);

 protected:
  void draw() override;

 private:
  std::string text_;
};

// A push button that Enter presses too while it has the focus, as Space
// does; neither is a default button.
class PushButton : public Fl_Button {
 public:
  PushButton(int x, int y, int w, int h);
  int handle(int event) override;
};

// A straight one-pixel line from one corner of its box to the other; a box
// one pixel high or wide is a horizontal or vertical rule.
class RuleLine : public Fl_Widget {
 public:
  RuleLine(int x, int y, int w, int h, bool fallsToTheRight);

 protected:
  void draw() override;

 private:
  bool fallsToTheRight_;
};

}  // namespace hw::fltk
