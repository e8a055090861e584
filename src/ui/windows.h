// The program's two windows as data.
#pragma once

#include "platform/forms.h"

namespace hw {

const WindowSpec& Form1Window();    // the main window
const WindowSpec& FrmInfoWindow();  // the warning dialog of the quiet mode

}  // namespace hw
