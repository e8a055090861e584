#include "platform/posix/fltk/window.h"

#include <FL/Fl.H>

#include "platform/posix/fltk/event_guard.h"
#include "platform/posix/fltk/layout.h"
#include "platform/posix/fltk/pictures.h"
#include "platform/posix/fltk/x11_window_hints.h"

namespace hw::fltk {

FltkWindow::FltkWindow(const WindowData& definition, const FltkLook& look) : definition_(definition), look_(look) { Create(); }

FltkWindow::~FltkWindow() { DestroyWidgets(); }

void FltkWindow::Create() {
  DestroyWidgets();
  controls_.clear();
  visible_ = false;
  lastFocus_.clear();
  PixelRect client = ClientPixels(definition_, look_.dpi);
  window_ = new Fl_Double_Window(client.x, client.y, client.w, client.h);
  window_->end();  // widgets are added one by one: a failing one leaves no group open
  window_->copy_label(definition_.caption.c_str());
  window_->xclass("hostwarden");
  window_->callback(&FltkWindow::WindowCallback, this);
  for (const ControlData* definition : CreationOrder(definition_)) {
    auto control = std::make_unique<FltkControl>(*this, *definition);
    window_->add(control->Build(look_));
    controls_.emplace(definition->name, std::move(control));
  }
  window_->size_range(client.w, client.h, client.w, client.h);  // fixed size, nothing resizable
  const Fl_RGB_Image* icons[] = {PictureImage(definition_.icon, 32), PictureImage(definition_.icon, 16)};
  if (icons[0]) window_->icons(icons, 2);
}

void FltkWindow::DestroyWidgets() {
  if (!window_) return;
  for (auto& [name, control] : controls_) control->Detach();
  window_->hide();
  // Deleting later is safe from inside one of the window's own callbacks.
  Fl::delete_widget(window_);
  window_ = nullptr;
}

Control& FltkWindow::operator[](std::string_view control) {
  auto it = controls_.find(control);
  if (it == controls_.end()) ThrowNoSuchControl(definition_, control);
  return *it->second;
}

void FltkWindow::Show() {
  if (!window_) Create();
  visible_ = true;
  window_->show();
  DescribeShownWindow(*window_, definition_.name.c_str(), definition_.showInTaskbar);
  lastFocus_ = FirstFocusable(*this);
  if (!lastFocus_.empty()) controls_.find(lastFocus_)->second->Widget()->take_focus();
}

void FltkWindow::Hide() {
  visible_ = false;
  if (window_) window_->hide();
}

void FltkWindow::Unload() {
  DestroyWidgets();
  visible_ = false;
  lastFocus_.clear();
}

void FltkWindow::OnClick(std::string_view control, std::function<void()> handler) {
  (*this)[control];  // an unknown control fails where the handler is set, not at the click
  onClick_[std::string(control)] = std::move(handler);
}

std::string FltkWindow::FocusedControl() const {
  if (!window_ || !visible_) return "";
  for (const auto& [name, control] : controls_)
    if (control->HasFocus()) return lastFocus_ = name;
  return lastFocus_;
}

// The handler is copied first: it may unload and reload this very window,
// which replaces the controls and would destroy a handler that is running.
void FltkWindow::Clicked(const std::string& control) {
  auto it = onClick_.find(control);
  if (it == onClick_.end() || !it->second) return;
  std::function<void()> handler = it->second;
  RunGuarded(handler);
}

void FltkWindow::CloseByTitleBar() {
  if (!window_) return;
  std::function<void()> handler = onClose_;
  if (handler) RunGuarded(handler);
  if (window_) Unload();
}

// FLTK calls the window's callback for the title bar's close and for Escape;
// only the close counts, Escape does nothing.
void FltkWindow::WindowCallback(Fl_Widget*, void* window) {
  if (Fl::event() != FL_CLOSE) return;
  static_cast<FltkWindow*>(window)->CloseByTitleBar();
}

}  // namespace hw::fltk
