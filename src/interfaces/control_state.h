// What a window's controls hold, taken from one forms runtime and put into
// another: a window kept in memory while nothing was shown becomes a real
// one with the same texts, lists and states.
#pragma once

#include <string>
#include <vector>

#include "interfaces/forms.h"

namespace hw {

struct ControlState {
  std::string name;
  std::string text;                // labels, text boxes and combo boxes only
  std::vector<std::string> items;  // combo boxes only
  int listIndex = -1;
  bool visible = true;
  bool enabled = true;

  bool operator==(const ControlState&) const = default;
};

// Every control of the window, in the order of its definition.
std::vector<ControlState> ControlStates(Window& window);

// Puts the states into the window's controls of the same names; the window
// is freshly loaded, so a combo box's list is still empty. FormsError for a
// name the window lacks.
void RestoreControlStates(Window& window, const std::vector<ControlState>& states);

}  // namespace hw
