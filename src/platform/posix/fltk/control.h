// One control of an FLTK window. The control keeps its state itself and
// mirrors it into its widget while the window is loaded, so operations on a
// control of an unloaded window are defined too (as in the headless runtime).
#pragma once

#include <FL/Fl_Widget.H>

#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/posix/fltk/look.h"

namespace hw::fltk {

class FltkWindow;

class FltkControl : public Control {
 public:
  FltkControl(FltkWindow& window, const ControlData& definition);
  ~FltkControl() override;
  FltkControl(const FltkControl&) = delete;
  FltkControl& operator=(const FltkControl&) = delete;

  std::string Text() const override;
  void SetText(const std::string& text) override;
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override;
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override;
  void AddItem(const std::string& item) override;
  void SetListIndex(int index) override;
  int ListIndex() const override;
  std::vector<std::string> Items() const override { return items_; }
  // Linux asks for no elevation this way: the mark is kept, nothing is drawn.
  void SetElevationRequired(bool required) override { elevationRequired_ = required; }
  bool ElevationRequired() const override { return elevationRequired_; }

  const ControlData& Definition() const { return definition_; }
  // Creates the widget, for the window to add; the window owns it from then on.
  Fl_Widget& Build(const FltkLook& look);
  // The window and its widgets are being destroyed: keep what the user typed.
  void Detach();
  Fl_Widget* Widget() const { return widget_; }
  // Whether the widget, or a part of it, has FLTK's keyboard focus.
  bool HasFocus() const;

 private:
  Fl_Widget* MakeWidget(const FltkLook& look);
  void ShowText();
  void ShowItems();
  void ShowListIndex();
  void FitText();
  static void Clicked(Fl_Widget*, void* control);

  FltkWindow& window_;
  ControlData definition_;
  std::string text_;
  bool visible_, enabled_;
  std::vector<std::string> items_;
  int listIndex_ = -1;
  bool elevationRequired_ = false;
  int designedTextSize_ = 0;  // the window's font size; a text that does not fit gets less
  Fl_Widget* widget_ = nullptr;
};

}  // namespace hw::fltk
