#include "interfaces/control_state.h"

namespace hw {
namespace {

bool HoldsText(ControlKind kind) {
  return kind == ControlKind::Label || kind == ControlKind::TextBox || kind == ControlKind::ComboBox;
}

void RestoreText(Control& control, ControlKind kind, const ControlState& state) {
  if (kind == ControlKind::ComboBox) {
    for (const auto& item : state.items) control.AddItem(item);
    // A selected entry is the current text; otherwise the text stands alone.
    if (state.listIndex >= 0) return control.SetListIndex(state.listIndex);
  }
  if (control.Text() != state.text) control.SetText(state.text);
}

}  // namespace

std::vector<ControlState> ControlStates(Window& window) {
  std::vector<ControlState> states;
  for (const auto& definition : window.Definition().controls) {
    Control& control = window[definition.name];
    ControlState state{definition.name};
    if (HoldsText(definition.kind)) state.text = control.Text();
    if (definition.kind == ControlKind::ComboBox) {
      state.items = control.Items();
      state.listIndex = control.ListIndex();
    }
    state.visible = control.Visible();
    state.enabled = control.Enabled();
    states.push_back(std::move(state));
  }
  return states;
}

void RestoreControlStates(Window& window, const std::vector<ControlState>& states) {
  for (const auto& state : states) {
    const ControlData* definition = window.Definition().Find(state.name);
    if (!definition) ThrowNoSuchControl(window.Definition(), state.name);
    Control& control = window[state.name];
    if (HoldsText(definition->kind)) RestoreText(control, definition->kind, state);
    if (control.Visible() != state.visible) control.SetVisible(state.visible);
    if (control.Enabled() != state.enabled) control.SetEnabled(state.enabled);
  }
}

}  // namespace hw
