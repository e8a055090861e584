// Making a control's text fit its box: the boxes come from the window tables
// in twips, sized for the Windows dialog font, and the fonts found on Linux
// are wider. A text that would overflow is drawn a size or two smaller,
// never cut off and never wrapped onto a line that is hidden.
#pragma once

#include <FL/Enumerations.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Widget.H>

#include <string>
#include <vector>

namespace hw::fltk {

// No text is drawn smaller than this, fit or not.
inline constexpr int kSmallestTextSize = 8;

// The room a control gives its text; `wrap`: broken at blanks to the width.
struct TextRoom {
  int w = 0, h = 0;
  bool wrap = false;
};

// Whether the text, in this font and size, fits the room, as fl_measure
// lays it out (no "@" symbols).
bool TextFits(const std::string& text, Fl_Font font, int size, const TextRoom& room);

// The largest size from `largest` down to kSmallestTextSize at which every
// one of `texts` fits; kSmallestTextSize when none does.
int FittingTextSize(const std::vector<std::string>& texts, Fl_Font font, int largest, const TextRoom& room);

// A label's whole box, its text wrapped.
TextRoom LabelRoom(const Fl_Widget& label);
// Inside a button's frame, less a pixel each side for the focus rectangle.
TextRoom ButtonRoom(const Fl_Widget& button);
// The combo box's text field inside its frame, less the cursor's margins.
TextRoom ComboBoxRoom(const Fl_Input_Choice& combo);

}  // namespace hw::fltk
