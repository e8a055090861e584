#include "platform/posix/gtk/control.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>

#include "platform/posix/gtk/layout.h"
#include "platform/posix/gtk/look.h"
#include "platform/posix/gtk/pictures.h"
#include "platform/posix/gtk/window.h"

namespace hw::gtk {
namespace {

constexpr int kPictureSize = 32;  // the picture's natural size at 100%

GtkEntry* EntryOf(GtkWidget* widget, ControlKind kind) {
  if (kind == ControlKind::TextBox) return GTK_ENTRY(widget);
  return GTK_ENTRY(gtk_bin_get_child(GTK_BIN(widget)));
}

// The picture grows with the layout by whole pixels, never blurred.
int PictureSizeAt(double scale) { return kPictureSize * std::max(1, static_cast<int>(std::floor(scale + 1e-9))); }

}  // namespace

FormControl::FormControl(FormWindow& window, const ControlData& definition)
    : window_(window), definition_(definition), text_(definition.caption), visible_(definition.visible),
      enabled_(definition.enabled) {}

FormControl::~FormControl() = default;  // the window destroys the widgets

std::string FormControl::Text() const {
  if (!widget_) return text_;
  switch (definition_.kind) {
    case ControlKind::TextBox:
    case ControlKind::ComboBox: return gtk_entry_get_text(EntryOf(widget_, definition_.kind));
    default: return text_;
  }
}

void FormControl::SetText(const std::string& text) {
  text_ = text;
  ShowText();
}

void FormControl::SetVisible(bool visible) {
  visible_ = visible;
  if (widget_) gtk_widget_set_visible(widget_, visible);
}

void FormControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (widget_) gtk_widget_set_sensitive(widget_, enabled);
}

void FormControl::AddItem(const std::string& item) {
  RequireComboBox(definition_, "AddItem");
  items_.push_back(item);
  ShowItems();
}

void FormControl::SetListIndex(int index) {
  RequireComboBox(definition_, "ListIndex");
  RequireListIndex(definition_, index, items_.size());
  listIndex_ = index;
  if (index >= 0) SetText(items_[static_cast<std::size_t>(index)]);
  ShowListIndex();
}

void FormControl::ShowListIndex() {
  if (!widget_) return;
  gtk_combo_box_set_active(GTK_COMBO_BOX(widget_), listIndex_);
  if (listIndex_ < 0) gtk_entry_set_text(EntryOf(widget_, definition_.kind), text_.c_str());
}

// The entry the user picked last, or the one the program selected, as long
// as the text still shows it; -1 once the text was typed over.
int FormControl::ListIndex() const {
  if (definition_.kind != ControlKind::ComboBox) return -1;
  int index = listIndex_;
  if (widget_) {
    int picked = gtk_combo_box_get_active(GTK_COMBO_BOX(widget_));
    if (picked >= 0) index = picked;
  }
  if (index < 0 || index >= static_cast<int>(items_.size())) return -1;
  return Text() == items_[static_cast<std::size_t>(index)] ? index : -1;
}

// A longer label or button text may need a larger layout: the window
// measures again.
void FormControl::ShowText() {
  if (!widget_) return;
  switch (definition_.kind) {
    case ControlKind::Label:
      gtk_label_set_text(GTK_LABEL(widget_), text_.c_str());
      window_.TextChanged();
      break;
    case ControlKind::TextBox:
    case ControlKind::ComboBox: gtk_entry_set_text(EntryOf(widget_, definition_.kind), text_.c_str()); break;
    case ControlKind::Button:
      gtk_button_set_label(GTK_BUTTON(widget_), text_.c_str());
      window_.TextChanged();
      break;
    case ControlKind::Image:
    case ControlKind::Line: break;  // nothing to show
  }
}

void FormControl::ShowItems() {
  if (!widget_) return;
  GtkComboBoxText* combo = GTK_COMBO_BOX_TEXT(widget_);
  gtk_combo_box_text_remove_all(combo);
  for (const auto& item : items_) gtk_combo_box_text_append_text(combo, item.c_str());
  ShowListIndex();
}

GtkWidget* FormControl::MakeWidget() {
  switch (definition_.kind) {
    case ControlKind::Label: {
      // Left-aligned from the top, broken at blanks (and inside a word
      // longer than the line) onto further lines; the text exactly as it
      // is, without mnemonics or markup.
      GtkWidget* label = gtk_label_new(nullptr);
      gtk_label_set_xalign(GTK_LABEL(label), 0);
      gtk_label_set_yalign(GTK_LABEL(label), 0);
      gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
      gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
      // The box gives the width: a label never asks for its whole text on
      // one line, which would widen the window.
      gtk_label_set_max_width_chars(GTK_LABEL(label), 1);
      if (definition_.bold) {
        PangoAttrList* bold = pango_attr_list_new();
        pango_attr_list_insert(bold, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
        gtk_label_set_attributes(GTK_LABEL(label), bold);
        pango_attr_list_unref(bold);
      }
      if (definition_.textColour != kSystemColour) KeepTextColour(label, definition_.textColour);
      return label;
    }
    case ControlKind::TextBox: {
      GtkWidget* entry = gtk_entry_new();
      gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);  // the table gives the width
      return entry;
    }
    case ControlKind::ComboBox: {
      GtkWidget* combo = gtk_combo_box_text_new_with_entry();
      gtk_entry_set_width_chars(EntryOf(combo, definition_.kind), 1);
      return combo;
    }
    case ControlKind::Button: {
      GtkWidget* button = gtk_button_new_with_label("");
      g_signal_connect(button, "clicked", G_CALLBACK(+[](GtkButton*, gpointer control) {
                         auto* self = static_cast<FormControl*>(control);
                         self->window_.Clicked(self->definition_.name);
                       }),
                       this);
      return button;
    }
    case ControlKind::Image: {
      GtkWidget* image = gtk_image_new();
      gtk_widget_set_halign(image, GTK_ALIGN_START);
      gtk_widget_set_valign(image, GTK_ALIGN_START);
      // What the picture means comes with the window's data, as on Windows.
      const std::string& description = definition_.description;
      AtkObject* accessible = gtk_widget_get_accessible(image);
      if (!description.empty() && accessible) {
        atk_object_set_name(accessible, description.c_str());
        if (ATK_IS_IMAGE(accessible)) atk_image_set_image_description(ATK_IMAGE(accessible), description.c_str());
      }
      return image;
    }
    case ControlKind::Line: {
      bool vertical = std::abs(definition_.height) > std::abs(definition_.width);
      return gtk_separator_new(vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL);
    }
  }
  throw FormsError("unknown kind of control " + definition_.name);
}

GtkWidget* FormControl::Build() {
  widget_ = MakeWidget();
  if (!definition_.tooltip.empty()) gtk_widget_set_tooltip_text(widget_, definition_.tooltip.c_str());
  ShowText();
  if (definition_.kind == ControlKind::ComboBox) ShowItems();
  gtk_widget_set_visible(widget_, visible_);
  gtk_widget_set_sensitive(widget_, enabled_);
  return widget_;
}

void FormControl::Detach() {
  if (!widget_) return;
  text_ = Text();
  listIndex_ = ListIndex();
  widget_ = nullptr;
  pictureSize_ = 0;
}

GtkWidget* FormControl::FocusWidget() const {
  if (widget_ && definition_.kind == ControlKind::ComboBox) return GTK_WIDGET(EntryOf(widget_, definition_.kind));
  return widget_;
}

bool FormControl::HasFocus() const {
  if (!widget_) return false;
  GtkWidget* toplevel = gtk_widget_get_toplevel(widget_);
  GtkWidget* focus = GTK_IS_WINDOW(toplevel) ? gtk_window_get_focus(GTK_WINDOW(toplevel)) : nullptr;
  return focus && (focus == widget_ || gtk_widget_is_ancestor(focus, widget_));
}

// Labels must show their whole text within their box, broken onto the
// lines the box has room for; buttons their caption on one line; text
// fields a line of text within their frame.
bool FormControl::FitsAt(double scale) const {
  if (!widget_) return true;
  PixelRect box = ControlPixels(definition_, scale);
  int minimum = 0, natural = 0;
  switch (definition_.kind) {
    case ControlKind::Label: {
      if (text_.empty()) return true;
      gtk_widget_get_preferred_width(widget_, &minimum, &natural);
      if (minimum > box.w) return false;
      gtk_widget_get_preferred_height_for_width(widget_, box.w, &minimum, &natural);
      return minimum <= box.h;
    }
    case ControlKind::Button:
      gtk_widget_get_preferred_width(widget_, &minimum, &natural);
      if (natural > box.w) return false;
      gtk_widget_get_preferred_height(widget_, &minimum, &natural);
      return natural <= box.h;
    case ControlKind::TextBox:
    case ControlKind::ComboBox:
      gtk_widget_get_preferred_width(widget_, &minimum, &natural);
      if (minimum > box.w) return false;
      gtk_widget_get_preferred_height(widget_, &minimum, &natural);
      return minimum <= box.h;
    case ControlKind::Image:
    case ControlKind::Line: return true;
  }
  return true;
}

void FormControl::Place(double scale) {
  if (!widget_) return;
  PixelRect box = ControlPixels(definition_, scale);
  if (definition_.kind == ControlKind::Image && PictureSizeAt(scale) != pictureSize_) {
    pictureSize_ = PictureSizeAt(scale);
    GdkPixbuf* picture = PictureAtSize(definition_.picture, pictureSize_);
    gtk_image_set_from_pixbuf(GTK_IMAGE(widget_), picture);
    if (picture) g_object_unref(picture);
  }
  if (definition_.kind == ControlKind::Line) {
    bool vertical = box.h > box.w;
    box = vertical ? PixelRect{box.x, box.y, 1, box.h} : PixelRect{box.x, box.y, box.w, 1};
  }
  GtkWidget* parent = gtk_widget_get_parent(widget_);
  if (parent && GTK_IS_FIXED(parent)) gtk_fixed_move(GTK_FIXED(parent), widget_, box.x, box.y);
  gtk_widget_set_size_request(widget_, box.w, box.h);
}

void FormControl::NameFor(const std::string& caption, GtkWidget* label) {
  if (!widget_) return;
  AtkObject* accessible = gtk_widget_get_accessible(widget_);
  AtkObject* named = label ? gtk_widget_get_accessible(label) : nullptr;
  if (!accessible) return;
  // A value label's name stays its value; a field is named by its caption.
  if (definition_.kind != ControlKind::Label) atk_object_set_name(accessible, caption.c_str());
  if (named) {
    atk_object_add_relationship(accessible, ATK_RELATION_LABELLED_BY, named);
    atk_object_add_relationship(named, ATK_RELATION_LABEL_FOR, accessible);
  }
  if (definition_.kind == ControlKind::ComboBox) {
    AtkObject* field = gtk_widget_get_accessible(FocusWidget());
    if (field) {
      atk_object_set_name(field, caption.c_str());
      if (named) {
        atk_object_add_relationship(field, ATK_RELATION_LABELLED_BY, named);
        atk_object_add_relationship(named, ATK_RELATION_LABEL_FOR, field);
      }
    }
  }
}

}  // namespace hw::gtk
