#include "platform/posix/gtk/window.h"

#include <gtk/gtk.h>

#include "platform/posix/gtk/event_guard.h"
#include "platform/posix/gtk/fixed_area.h"
#include "platform/posix/gtk/layout.h"
#include "platform/posix/gtk/look.h"
#include "platform/posix/gtk/pictures.h"

namespace hw::gtk {

FormWindow::FormWindow(const WindowData& definition) : definition_(definition) { Create(); }

FormWindow::~FormWindow() { DestroyWidgets(); }

// The controls go into the window in the table's order, which is the order
// they are seen in, top to bottom: screen readers read them so, the
// heading and sentences before the buttons. The keyboard follows the tab
// order instead (SetFocusChain).
void FormWindow::Create() {
  DestroyWidgets();
  InstallCompactStyle();
  controls_.clear();
  visible_ = false;
  building_ = true;
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), definition_.caption.c_str());
  gtk_window_set_role(GTK_WINDOW(window_), definition_.name.c_str());
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_style_context_add_class(gtk_widget_get_style_context(window_), "hostwarden");
  GList* icons = nullptr;
  for (int size : {32, 16})
    if (GdkPixbuf* icon = PicturePixbuf(definition_.icon, size)) icons = g_list_append(icons, icon);
  gtk_window_set_icon_list(GTK_WINDOW(window_), icons);
  g_list_free(icons);
  if (definition_.border == Border::FixedDialog) {
    // Kept in the taskbar and in Alt+Tab: a desktop that leaves skip-taskbar
    // windows out of its window switcher would leave the warning
    // unreachable by keyboard once another window is in front.
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
    if (AtkObject* accessible = gtk_widget_get_accessible(window_)) atk_object_set_role(accessible, ATK_ROLE_ALERT);
  }
  g_signal_connect(window_, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                     static_cast<FormWindow*>(self)->CloseByTitleBar();
                     return TRUE;  // unloaded already, or kept by the handler
                   }),
                   this);
  fixed_ = NewFixedArea();
  gtk_container_add(GTK_CONTAINER(window_), fixed_);
  gtk_widget_show(fixed_);
  for (const ControlData& definition : definition_.controls) {
    auto control = std::make_unique<FormControl>(*this, definition);
    gtk_fixed_put(GTK_FIXED(fixed_), control->Build(), 0, 0);
    controls_.emplace(definition.name, std::move(control));
  }
  RelateCaptions();
  SetFocusChain();
  building_ = false;
  PixelRect client = ClientPixels(definition_, scale_);
  gtk_window_move(GTK_WINDOW(window_), client.x, client.y);
}

void FormWindow::RelateCaptions() {
  for (auto& [name, control] : controls_) {
    const ControlData* caption = NamingLabel(definition_, control->Definition());
    if (!caption) continue;
    control->NameFor(caption->caption, controls_.find(caption->name)->second->Widget());
  }
}

void FormWindow::SetFocusChain() {
  GList* chain = nullptr;
  for (const ControlData* definition : TabOrder(definition_))
    chain = g_list_append(chain, controls_.find(definition->name)->second->Widget());
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gtk_container_set_focus_chain(GTK_CONTAINER(fixed_), chain);
  G_GNUC_END_IGNORE_DEPRECATIONS
  g_list_free(chain);
}

// The least factor at which every control's text fits its box, measured
// with the desktop's font and theme; each control in turn raises it.
void FormWindow::Layout() {
  if (!window_ || building_) return;
  double scale = 1;
  for (auto& [name, control] : controls_)
    while (scale < kLargestScale && !control->FitsAt(scale)) scale += kScaleStep;
  scale_ = scale;
  for (auto& [name, control] : controls_) control->Place(scale_);
  PixelRect client = ClientPixels(definition_, scale_);
  SetFixedAreaSize(fixed_, client.w, client.h);
}

// Measuring is done when the window is shown; a hidden window's texts may
// change many times before (the check fills them one by one).
void FormWindow::TextChanged() {
  if (visible_) Layout();
}

void FormWindow::DestroyWidgets() {
  if (!window_) return;
  for (auto& [name, control] : controls_) control->Detach();
  GtkWidget* window = window_;
  window_ = nullptr;
  fixed_ = nullptr;
  gtk_widget_destroy(window);
}

Control& FormWindow::operator[](std::string_view control) {
  auto it = controls_.find(control);
  if (it == controls_.end()) ThrowNoSuchControl(definition_, control);
  return *it->second;
}

void FormWindow::Show() {
  if (!window_) Create();
  visible_ = true;
  Layout();
  std::string first = FirstFocusable(*this);
  if (!first.empty()) gtk_widget_grab_focus(controls_.find(first)->second->FocusWidget());
  gtk_window_present(GTK_WINDOW(window_));
}

void FormWindow::Hide() {
  visible_ = false;
  if (window_) gtk_widget_hide(window_);
}

void FormWindow::Unload() {
  DestroyWidgets();
  visible_ = false;
}

void FormWindow::OnClick(std::string_view control, std::function<void()> handler) {
  (*this)[control];  // an unknown control fails where the handler is set, not at the click
  onClick_[std::string(control)] = std::move(handler);
}

// The control that has the window's focus; a window keeps it while another
// window has the keyboard.
std::string FormWindow::FocusedControl() const {
  if (!window_ || !visible_) return "";
  for (const auto& [name, control] : controls_)
    if (control->HasFocus()) return name;
  return "";
}

// The handler is copied first: it may unload and reload this very window,
// which replaces the controls and would destroy a handler that is running.
void FormWindow::Clicked(const std::string& control) {
  auto it = onClick_.find(control);
  if (it == onClick_.end() || !it->second) return;
  std::function<void()> handler = it->second;
  RunGuarded(handler);
}

void FormWindow::CloseByTitleBar() {
  if (!window_) return;
  std::function<void()> handler = onClose_;
  if (handler) RunGuarded(handler);
  if (window_) Unload();
}

}  // namespace hw::gtk
