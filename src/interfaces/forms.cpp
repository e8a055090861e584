#include "interfaces/forms.h"

#include <algorithm>

namespace hw {

std::string FirstFocusable(Window& window) {
  std::vector<const ControlData*> inTabOrder;
  for (const auto& c : window.Definition().controls)
    if (c.tabIndex >= 0) inTabOrder.push_back(&c);
  std::sort(inTabOrder.begin(), inTabOrder.end(),
            [](const ControlData* a, const ControlData* b) { return a->tabIndex < b->tabIndex; });
  for (const ControlData* c : inTabOrder) {
    bool canTakeFocus = c->kind == ControlKind::Button || c->kind == ControlKind::TextBox ||
                        c->kind == ControlKind::ComboBox;
    if (!canTakeFocus) continue;
    Control& control = window[c->name];
    if (control.Visible() && control.Enabled()) return c->name;
  }
  return "";
}

void MsgBoxThenEnd(Forms& forms, const std::string& text, int style) {
  RunThenEnd(forms, [&] { forms.MsgBox(text, style); });
}

// EndProgram is no std::exception: an end the action reached passes through.
// So does a control name the window lacks, which no run may hide.
void RunThenEnd(Forms& forms, const std::function<void()>& action) {
  try {
    action();
  } catch (const NoSuchControl&) {
    throw;
  } catch (const std::exception&) {
  }
  forms.End();
  throw EndProgram{};  // for the compiler: a virtual call does not carry End's [[noreturn]]
}

void ThrowNoSuchControl(const WindowData& window, std::string_view control) {
  throw NoSuchControl(window.name + " has no control " + std::string(control));
}

void RequireComboBox(const ControlData& control, const char* operation) {
  if (control.kind != ControlKind::ComboBox)
    throw FormsError(std::string(operation) + " on " + control.name + ", which is not a combo box");
}

void RequireListIndex(const ControlData& control, int index, std::size_t itemCount) {
  if (index < -1 || index >= static_cast<int>(itemCount))
    throw FormsError("invalid list index " + std::to_string(index) + " for " + control.name);
}

}  // namespace hw
