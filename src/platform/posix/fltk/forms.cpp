#include "platform/posix/fltk/forms.h"

#include <FL/Fl.H>

#include "platform/posix/fltk/message_box.h"
#include "platform/posix/fltk/runtime.h"
#include "platform/posix/fltk/x11_window_hints.h"
#include "text/catalogue.h"

namespace hw::fltk {

FltkForms::FltkForms(std::string commandLine, std::string instanceName)
    : commandLine_(std::move(commandLine)), instanceName_(std::move(instanceName)), look_(PrepareLook()) {}

// The first call claims this user's instance name; the answer holds for the
// rest of the run.
bool FltkForms::PrevInstance() {
  if (!instance_) instance_.emplace(instanceName_);
  return instance_->AnotherIsRunning();
}

void FltkForms::MsgBox(const std::string& text, int style) {
  MessageBoxWindow box(text, style, look_);
  box.RunModal();
}

Window& FltkForms::Load(const WindowData& definition) {
  auto it = windows_.find(definition.name);
  if (it == windows_.end()) {
    it = windows_.emplace(definition.name, std::make_unique<FltkWindow>(definition, look_)).first;
  } else if (!it->second->Loaded()) {
    it->second->Create();
  }
  return *it->second;
}

void FltkForms::End() {
  for (auto& [name, window] : windows_) window->Unload();
  Fl::flush();
  throw EndProgram{};
}

// Fl::wait() without a time returns at once when no window is shown, which
// would spin while only hidden windows are loaded; a wait with a time blocks
// until something happens. FLTK runs due timers at the start of a wait and
// then sleeps: a timer that unloads the last window would leave the loop
// asleep with nothing to wake it, so the wait is bounded.
void FltkForms::Run() {
  constexpr double kLongestSleep = 0.5;  // seconds
  while (AnyWindowLoaded()) Fl::wait(kLongestSleep);
}

FltkWindow* FltkForms::Find(std::string_view window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

bool FltkForms::AnyWindowLoaded() const { return AnyLoaded(windows_); }

std::unique_ptr<Forms> MakeFltkForms(std::string commandLine) {
  if (!OpenDisplay()) throw FormsError(std::string(Text(Msg::NoDisplay)));
  return std::make_unique<FltkForms>(std::move(commandLine));
}

}  // namespace hw::fltk
