// The program's message box: modal, the application title, the text with
// its line breaks, one of four icons by style, and an OK button only.
#pragma once

#include <FL/Fl_Double_Window.H>

#include <string>

#include "platform/posix/fltk/look.h"

namespace hw::fltk {

class PushButton;
class CaptionBox;

class MessageBoxWindow : public Fl_Double_Window {
 public:
  MessageBoxWindow(const std::string& text, int style, const FltkLook& look);
  // Shows the box and waits until it is closed: by OK, Enter, Space, Escape
  // or the title bar.
  void RunModal();

  // For tests and tools.
  const std::string& Text() const;
  int Style() const { return style_; }
  PushButton& OkButton() { return *ok_; }

 private:
  static void Close(Fl_Widget*, void* box);

  int style_;
  CaptionBox* text_ = nullptr;
  PushButton* ok_ = nullptr;
};

// What a style shows: 16 stop, 48 warning, 64 information, anything else
// none.
enum class MessageIcon { NoIcon, Stop, Warning, Information };
MessageIcon IconForStyle(int style);

}  // namespace hw::fltk
