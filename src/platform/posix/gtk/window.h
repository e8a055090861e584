// A window of the program drawn with GTK, built from its window data: the
// controls on a GtkFixed at the table's places, grown by one factor when
// the desktop's font or scale needs more room.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "interfaces/forms.h"
#include "platform/posix/gtk/control.h"

typedef struct _GtkWidget GtkWidget;

namespace hw::gtk {

class FormWindow : public Window {
 public:
  explicit FormWindow(const WindowData& definition);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

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

  // Creates the GTK window and its controls from the window data, hidden.
  void Create();
  // A button was clicked: runs its handler.
  void Clicked(const std::string& control);
  // The title bar's close: the close handler, then the window is unloaded.
  void CloseByTitleBar();
  // A label's or button's text changed: a shown window is measured again.
  void TextChanged();
  // The GTK window while loaded, else null (for tests and tools).
  GtkWidget* GtkWindowWidget() const { return window_; }
  // The layout's factor over the table at 100% (1 or more).
  double Scale() const { return scale_; }

 private:
  void DestroyWidgets();
  void Layout();
  void RelateCaptions();
  void SetFocusChain();

  WindowData definition_;
  std::map<std::string, std::unique_ptr<FormControl>, std::less<>> controls_;
  std::map<std::string, std::function<void()>, std::less<>> onClick_;
  std::function<void()> onClose_;
  GtkWidget* window_ = nullptr;
  GtkWidget* fixed_ = nullptr;
  bool visible_ = false;
  bool building_ = false;
  double scale_ = 1;
};

}  // namespace hw::gtk
