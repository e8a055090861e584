// One control of a GTK window. The control keeps its state itself and
// mirrors it into its widget while the window is loaded, so operations on a
// control of an unloaded window are defined too (as in the headless runtime).
#pragma once

#include <string>
#include <vector>

#include "interfaces/forms.h"

typedef struct _GtkWidget GtkWidget;

namespace hw::gtk {

class FormWindow;

class FormControl : public Control {
 public:
  FormControl(FormWindow& window, const ControlData& definition);
  ~FormControl() override;
  FormControl(const FormControl&) = delete;
  FormControl& operator=(const FormControl&) = delete;

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
  // Creates the widget, for the window to place; the window owns it from then on.
  GtkWidget* Build();
  // The window and its widgets are being destroyed: keep what the user typed.
  void Detach();
  GtkWidget* Widget() const { return widget_; }
  // The widget that takes the keyboard focus (a combo box's text field).
  GtkWidget* FocusWidget() const;
  // Whether the widget, or a part of it, has its window's keyboard focus.
  bool HasFocus() const;
  // Whether the control's text fits its box at that scale of the layout.
  bool FitsAt(double scale) const;
  // Puts the widget at its box for that scale.
  void Place(double scale);
  // What screen readers call the control: `caption` names it, `label` is
  // the caption label's widget (related to it both ways).
  void NameFor(const std::string& caption, GtkWidget* label);

 private:
  GtkWidget* MakeWidget();
  void ShowText();
  void ShowItems();
  void ShowListIndex();

  FormWindow& window_;
  ControlData definition_;
  std::string text_;
  bool visible_, enabled_;
  std::vector<std::string> items_;
  int listIndex_ = -1;
  bool elevationRequired_ = false;
  int pictureSize_ = 0;  // the size the image's picture is shown at
  GtkWidget* widget_ = nullptr;
};

}  // namespace hw::gtk
