#include "platform/posix/fltk/message_box.h"

#include <algorithm>

#include "platform/forms.h"
#include "platform/posix/fltk/pictures.h"
#include "platform/posix/fltk/widgets.h"
#include "platform/posix/fltk/message_lines.h"
#include "platform/posix/fltk/x11_window_hints.h"
#include "text/catalogue.h"

// Last: fl_draw.H brings in the X headers, whose macros (None, Window)
// would break the program's own headers.
#include <FL/Fl.H>
#include <FL/fl_draw.H>

namespace hw::fltk {
namespace {

// Sizes in pixels at 96 dpi, after the classic Windows message box.
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75, kButtonHeight = 23;
constexpr int kLeastTextWidth = 120;

class IconBox : public Fl_Widget {
 public:
  IconBox(int x, int y, MessageIcon icon) : Fl_Widget(x, y, kIconSize, kIconSize), icon_(icon) {
    clear_visible_focus();
  }

 protected:
  void draw() override {
    switch (icon_) {
      case MessageIcon::Stop: DrawStop(); break;
      case MessageIcon::Warning: DrawWarning(); break;
      case MessageIcon::Information: DrawInformation(); break;
      case MessageIcon::NoIcon: break;
    }
  }

 private:
  // A red disc with a white cross.
  void DrawStop() {
    fl_color(FL_RED);
    fl_pie(x(), y(), kIconSize - 1, kIconSize - 1, 0, 360);
    fl_color(fl_rgb_color(128, 0, 0));
    fl_arc(x(), y(), kIconSize - 1, kIconSize - 1, 0, 360);
    fl_color(FL_WHITE);
    fl_line_style(FL_SOLID | FL_CAP_ROUND, 4);
    fl_line(x() + 10, y() + 10, x() + 21, y() + 21);
    fl_line(x() + 21, y() + 10, x() + 10, y() + 21);
    fl_line_style(0);
  }
  // The program's own warning picture.
  void DrawWarning() {
    if (const Fl_RGB_Image* picture = PictureImage(Picture::Warning, kIconSize))
      const_cast<Fl_RGB_Image*>(picture)->draw(x(), y());
  }
  // A white disc with a blue "i".
  void DrawInformation() {
    fl_color(FL_WHITE);
    fl_pie(x(), y(), kIconSize - 1, kIconSize - 1, 0, 360);
    fl_color(fl_rgb_color(128, 128, 128));
    fl_arc(x(), y(), kIconSize - 1, kIconSize - 1, 0, 360);
    fl_color(FL_BLUE);
    fl_rectf(x() + 14, y() + 6, 4, 4);    // the dot
    fl_rectf(x() + 12, y() + 12, 6, 2);   // the stem, with a serif on top
    fl_rectf(x() + 14, y() + 12, 4, 13);
    fl_rectf(x() + 12, y() + 24, 8, 2);   // and a foot
  }

  MessageIcon icon_;
};

int Scaled(int pixels, const FltkLook& look) { return pixels * look.dpi / 96; }

}  // namespace

MessageIcon IconForStyle(int style) {
  switch (style) {
    case kMbIconHand: return MessageIcon::Stop;
    case kMbIconExclamation: return MessageIcon::Warning;
    case kMbIconInformation: return MessageIcon::Information;
    default: return MessageIcon::NoIcon;
  }
}

MessageBoxWindow::MessageBoxWindow(const std::string& text, int style, const FltkLook& look)
    : Fl_Double_Window(100, 100), style_(style) {
  const int margin = Scaled(kMargin, look);
  const MessageIcon icon = IconForStyle(style);
  const bool hasIcon = icon != MessageIcon::NoIcon;

  // Long lines wrap at blanks, at most about half the screen wide.
  std::string shown = MessageDisplayText(text);
  int screenX, screenY, screenW, screenH;
  Fl::screen_xywh(screenX, screenY, screenW, screenH);
  int textW = std::max(screenW / 2, kLeastTextWidth), textH = 0;
  fl_font(look.font, look.fontSize);
  fl_measure(shown.c_str(), textW, textH, 0);
  textW = std::max(textW, Scaled(kLeastTextWidth, look));
  textH = std::max(textH, look.fontSize);

  const int textX = margin + (hasIcon ? kIconSize + margin : 0);
  const int iconH = hasIcon ? kIconSize : 0;
  const int textY = margin + std::max(0, (iconH - textH) / 2);  // short texts centred on the icon
  const int buttonW = Scaled(kButtonWidth, look), buttonH = Scaled(kButtonHeight, look);
  const int contentBottom = std::max(textY + textH, margin + iconH);
  const int width = std::max(textX + textW + margin, buttonW + 2 * margin);
  const int buttonY = contentBottom + margin;
  const int height = buttonY + buttonH + margin;

  begin();
  if (hasIcon) new IconBox(margin, margin, icon);
  text_ = new CaptionBox(textX, textY, textW, textH);
  text_->labelfont(look.font);
  text_->labelsize(look.fontSize);
  text_->text(shown);
  ok_ = new PushButton((width - buttonW) / 2, buttonY, buttonW, buttonH);
  ok_->copy_label(std::string(hw::Text(Msg::ButtonOk)).c_str());
  ok_->labelfont(look.font);
  ok_->labelsize(look.fontSize);
  ok_->callback(&MessageBoxWindow::Close, this);
  end();

  size(width, height);
  size_range(width, height, width, height);
  position(screenX + (screenW - width) / 2, screenY + (screenH - height) / 2);
  copy_label(std::string(kApplicationTitle).c_str());
  xclass("hostwarden");
  callback(&MessageBoxWindow::Close, this);  // title bar and Escape close it, as OK does
  set_modal();
}

const std::string& MessageBoxWindow::Text() const { return text_->text(); }

void MessageBoxWindow::RunModal() {
  show();
  DescribeShownWindow(*this, "MsgBox", true);
  ok_->take_focus();
  while (shown()) Fl::wait();
}

void MessageBoxWindow::Close(Fl_Widget*, void* box) { static_cast<MessageBoxWindow*>(box)->hide(); }

}  // namespace hw::fltk
