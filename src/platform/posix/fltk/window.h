// A window of the program drawn with FLTK, built from its window data.
#pragma once

#include <FL/Fl_Double_Window.H>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/forms.h"
#include "platform/posix/fltk/control.h"
#include "platform/posix/fltk/look.h"

namespace hw::fltk {

class FltkWindow : public Window {
 public:
  FltkWindow(const WindowData& definition, const FltkLook& look);
  ~FltkWindow() override;
  FltkWindow(const FltkWindow&) = delete;
  FltkWindow& operator=(const FltkWindow&) = delete;

  const WindowData& Definition() const override { return definition_; }
  Control& operator[](std::string_view control) override;
  void Show() override;
  void Hide() override;
  void Unload() override;
  bool Loaded() const override { return window_ != nullptr; }
  bool Visible() const override { return window_ && visible_; }
  void OnClick(std::string_view control, std::function<void()> handler) override;
  void OnClose(std::function<void()> handler) override { onClose_ = std::move(handler); }
  std::string FocusedControl() const override;

  // Creates the FLTK window and its controls from the window data, hidden.
  void Create();
  // A button was clicked: runs its handler.
  void Clicked(const std::string& control);
  // The title bar's close: the close handler, then the window is unloaded.
  void CloseByTitleBar();
  // The FLTK window while loaded, else null (for tests and tools).
  Fl_Double_Window* FlWindow() const { return window_; }

 private:
  static void WindowCallback(Fl_Widget*, void* window);
  void DestroyWidgets();

  WindowData definition_;
  FltkLook look_;
  std::map<std::string, std::unique_ptr<FltkControl>, std::less<>> controls_;
  std::map<std::string, std::function<void()>, std::less<>> onClick_;
  std::function<void()> onClose_;
  Fl_Double_Window* window_ = nullptr;
  bool visible_ = false;
  // The control that had the focus last while this window had it; a window
  // keeps it while another window has the keyboard.
  mutable std::string lastFocus_;
};

}  // namespace hw::fltk
