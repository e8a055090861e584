#include "platform/posix/gtk/forms.h"

#include <gtk/gtk.h>

#include "platform/posix/gtk/event_guard.h"
#include "platform/posix/gtk/message_box.h"
#include "platform/posix/gtk/runtime.h"
#include "text/catalogue.h"

namespace hw::gtk {

GtkForms::GtkForms(std::string commandLine, std::string instanceName)
    : commandLine_(std::move(commandLine)), instanceName_(std::move(instanceName)) {}

// The first call claims this user's instance name; the answer holds for the
// rest of the run.
bool GtkForms::PrevInstance() {
  if (!instance_) instance_.emplace(instanceName_);
  return instance_->AnotherIsRunning();
}

void GtkForms::MsgBox(const std::string& text, int style) { RunMessageBox(text, style); }

Window& GtkForms::Load(const WindowData& definition) {
  auto it = windows_.find(definition.name);
  if (it == windows_.end()) {
    it = windows_.emplace(definition.name, std::make_unique<FormWindow>(definition)).first;
  } else if (!it->second->Loaded()) {
    it->second->Create();
  }
  return *it->second;
}

void GtkForms::End() {
  for (auto& [name, window] : windows_) window->Unload();
  if (GdkDisplay* display = gdk_display_get_default()) gdk_display_flush(display);
  throw EndProgram{};
}

// One event at a time, blocking until there is one: a handler that unloads
// the last window returns here, and the loop ends.
void GtkForms::Run() {
  while (AnyWindowLoaded()) g_main_context_iteration(nullptr, TRUE);
}

FormWindow* GtkForms::Find(std::string_view window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

bool GtkForms::AnyWindowLoaded() const { return AnyLoaded(windows_); }

// GDK takes Wayland where WAYLAND_DISPLAY is set, X11 otherwise. The
// program's name is the Wayland app id and the X11 class, which match the
// desktop entry hostwarden.desktop.
bool OpenDisplay() {
  static const bool opened = [] {
    g_set_prgname("hostwarden");
    return gtk_init_check(nullptr, nullptr) == TRUE;
  }();
  return opened;
}

std::unique_ptr<Forms> MakeGtkForms(std::string commandLine) {
  if (!OpenDisplay()) throw FormsError(std::string(Text(Msg::NoDisplay)));
  return std::make_unique<GtkForms>(std::move(commandLine));
}

}  // namespace hw::gtk
