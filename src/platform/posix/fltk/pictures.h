// The program's two pictures as FLTK images, decoded from the embedded icons.
#pragma once

#include <FL/Fl_RGB_Image.H>

#include "platform/forms.h"

namespace hw::fltk {

// The 32 or 16 pixel image of a picture, decoded on first use and kept for
// the life of the process; null for Picture::None.
const Fl_RGB_Image* PictureImage(Picture picture, int size);

}  // namespace hw::fltk
