// The forms runtime on FLTK 1.3: the program's windows on an X display.
#pragma once

#include <memory>
#include <string>

#include "platform/forms.h"

namespace hw::fltk {

// Opens the display; FormsError when there is none. `commandLine` is the
// arguments as one text, without the program's path.
std::unique_ptr<Forms> MakeFltkForms(std::string commandLine);

}  // namespace hw::fltk
