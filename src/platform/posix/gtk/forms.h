// The forms runtime on GTK 3: the program's windows on the desktop's
// display, Wayland or X11, whichever GDK finds.
#pragma once

#include <memory>
#include <string>

#include "interfaces/forms.h"

namespace hw::gtk {

// Opens the display; FormsError when there is none. `commandLine` is the
// arguments as one text, without the program's path.
std::unique_ptr<Forms> MakeGtkForms(std::string commandLine);

// Opens GTK's display once; false when there is none to open.
bool OpenDisplay();

}  // namespace hw::gtk
