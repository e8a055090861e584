#include "platform/posix/fltk/look.h"

#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>

#include "platform/posix/fltk/layout.h"

namespace hw::fltk {
namespace {

// Liberation Sans has Arial's metrics, which are close enough to the Windows
// dialog font that every caption fits its label as drawn on Windows; DejaVu
// Sans, fontconfig's fallback when it is missing, is about a sixth wider and
// breaks the dialog's sentences onto a third, hidden line.
// Xft font names: the first character selects plain (' ') or bold ('B').
constexpr const char* kPlainFont = " Liberation Sans";
constexpr const char* kBoldFont = "BLiberation Sans";
constexpr double kFontPoints = 8.25;

}  // namespace

FltkLook PrepareLook() {
  FltkLook look;
  float horizontal = 0, vertical = 0;
  Fl::screen_dpi(horizontal, vertical);
  look.dpi = LayoutDpi(horizontal);
  look.fontSize = FontPixels(kFontPoints, look.dpi);
  look.font = FL_FREE_FONT;
  look.boldFont = static_cast<Fl_Font>(FL_FREE_FONT + 1);
  Fl::set_font(look.font, kPlainFont);
  Fl::set_font(look.boldFont, kBoldFont);
  FL_NORMAL_SIZE = look.fontSize;
  Fl_Tooltip::font(look.font);
  Fl_Tooltip::size(look.fontSize);
  return look;
}

}  // namespace hw::fltk
