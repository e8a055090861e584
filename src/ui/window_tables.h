// The program's two windows as data.
#pragma once

#include "interfaces/forms.h"
#include "text/control_names.h"

namespace hw {

const WindowData& Form1Window();    // the main window
const WindowData& FrmInfoWindow();  // the warning dialog of the quiet mode

}  // namespace hw
