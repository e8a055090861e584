// The look every window shares: the layout resolution and the fonts.
#pragma once

#include <FL/Enumerations.H>

namespace hw::fltk {

struct FltkLook {
  int dpi = 96;           // the resolution the twips are converted at
  int fontSize = 11;      // 8.25 points at that resolution, in pixels
  Fl_Font font = FL_HELVETICA;
  Fl_Font boldFont = FL_HELVETICA_BOLD;
};

// Registers the fonts (Liberation Sans, or what fontconfig finds closest) and
// sets tooltips to match. Needs the display to be open.
FltkLook PrepareLook();

}  // namespace hw::fltk
