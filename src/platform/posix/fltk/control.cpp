#include "platform/posix/fltk/control.h"

#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Input_Choice.H>

#include "platform/posix/fltk/layout.h"
#include "platform/posix/fltk/pictures.h"
#include "platform/posix/fltk/text_fit.h"
#include "platform/posix/fltk/widgets.h"
#include "platform/posix/fltk/window.h"

namespace hw::fltk {
namespace {

constexpr int kPictureSize = 32;  // the picture's natural size, never stretched

Fl_Color ToFlColour(uint32_t colour, Fl_Color system) {
  if (colour == kSystemColour) return system;
  return fl_rgb_color(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace

FltkControl::FltkControl(FltkWindow& window, const ControlData& definition)
    : window_(window), definition_(definition), text_(definition.caption), visible_(definition.visible), enabled_(definition.enabled) {}

FltkControl::~FltkControl() = default;  // the window deletes the widgets

std::string FltkControl::Text() const {
  if (!widget_) return text_;
  switch (definition_.kind) {
    case ControlKind::TextBox: return static_cast<Fl_Input*>(widget_)->value();
    case ControlKind::ComboBox: return static_cast<Fl_Input_Choice*>(widget_)->value();
    default: return text_;
  }
}

void FltkControl::SetText(const std::string& text) {
  text_ = text;
  ShowText();
}

void FltkControl::SetVisible(bool visible) {
  visible_ = visible;
  if (!widget_) return;
  if (visible) widget_->show(); else widget_->hide();
  if (widget_->parent()) widget_->parent()->redraw();  // an opaque neighbour may lie under it
}

void FltkControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!widget_) return;
  if (enabled) widget_->activate(); else widget_->deactivate();
}

void FltkControl::AddItem(const std::string& item) {
  RequireComboBox(definition_, "AddItem");
  items_.push_back(item);
  ShowItems();
}

void FltkControl::SetListIndex(int index) {
  RequireComboBox(definition_, "ListIndex");
  RequireListIndex(definition_, index, items_.size());
  listIndex_ = index;
  if (index >= 0) SetText(items_[static_cast<std::size_t>(index)]);
  ShowListIndex();
}

void FltkControl::ShowListIndex() {
  if (!widget_) return;
  Fl_Menu_Button* menu = static_cast<Fl_Input_Choice*>(widget_)->menubutton();
  if (listIndex_ >= 0)
    menu->value(listIndex_);
  else
    menu->value(static_cast<const Fl_Menu_Item*>(nullptr));
}

// The entry the user picked last, or the one the program selected, as long
// as the text still shows it; -1 once the text was typed over.
int FltkControl::ListIndex() const {
  if (definition_.kind != ControlKind::ComboBox) return -1;
  int index = listIndex_;
  if (widget_) {
    int picked = static_cast<Fl_Input_Choice*>(widget_)->menubutton()->value();
    if (picked >= 0) index = picked;
  }
  if (index < 0 || index >= static_cast<int>(items_.size())) return -1;
  return Text() == items_[static_cast<std::size_t>(index)] ? index : -1;
}

void FltkControl::ShowText() {
  if (!widget_) return;
  switch (definition_.kind) {
    case ControlKind::Label: static_cast<CaptionBox*>(widget_)->text(text_); break;
    case ControlKind::TextBox: static_cast<Fl_Input*>(widget_)->value(text_.c_str()); break;
    case ControlKind::ComboBox: static_cast<Fl_Input_Choice*>(widget_)->value(text_.c_str()); break;
    case ControlKind::Button: widget_->copy_label(text_.c_str()); break;
    case ControlKind::Image:
    case ControlKind::Line: break;  // nothing to show
  }
  FitText();
}

// Labels, buttons and the combo box draw their text a size smaller where it
// would overflow the box; a combo box fits its longest entry, since picking
// one changes the text without the program being told.
void FltkControl::FitText() {
  if (!widget_ || designedTextSize_ <= 0) return;
  switch (definition_.kind) {
    case ControlKind::Label:
      widget_->labelsize(FittingTextSize({text_}, widget_->labelfont(), designedTextSize_, LabelRoom(*widget_)));
      break;
    case ControlKind::Button:
      widget_->labelsize(FittingTextSize({text_}, widget_->labelfont(), designedTextSize_, ButtonRoom(*widget_)));
      break;
    case ControlKind::ComboBox: {
      auto* combo = static_cast<Fl_Input_Choice*>(widget_);
      std::vector<std::string> texts = items_;
      texts.push_back(combo->value());
      combo->textsize(FittingTextSize(texts, combo->textfont(), designedTextSize_, ComboBoxRoom(*combo)));
      break;
    }
    default: break;
  }
  widget_->redraw();
}

// Menu entries are set with replace(), which takes the text as it is (add()
// would read "/" as a submenu separator).
void FltkControl::ShowItems() {
  if (!widget_) return;
  Fl_Menu_Button* menu = static_cast<Fl_Input_Choice*>(widget_)->menubutton();
  menu->clear();
  for (const auto& item : items_) {
    int at = menu->add("-");
    menu->replace(at, item.c_str());
  }
  ShowListIndex();
  FitText();
}

Fl_Widget* FltkControl::MakeWidget(const FltkLook& look) {
  PixelRect r = ControlPixels(definition_, look.dpi);
  Fl_Font font = definition_.bold ? look.boldFont : look.font;
  switch (definition_.kind) {
    case ControlKind::Label: {
      auto* label = new CaptionBox(r.x, r.y, r.w, r.h);
      label->labelfont(font);
      label->labelsize(look.fontSize);
      label->labelcolor(ToFlColour(definition_.textColour, FL_FOREGROUND_COLOR));
      return label;
    }
    case ControlKind::TextBox: {
      auto* input = new Fl_Input(r.x, r.y, r.w, r.h);
      input->textfont(font);
      input->textsize(look.fontSize);
      input->textcolor(ToFlColour(definition_.textColour, FL_FOREGROUND_COLOR));
      return input;
    }
    case ControlKind::ComboBox: {
      auto* combo = new Fl_Input_Choice(r.x, r.y, r.w, r.h);
      combo->textfont(font);
      combo->textsize(look.fontSize);
      combo->menubutton()->textfont(font);
      combo->menubutton()->textsize(look.fontSize);
      return combo;
    }
    case ControlKind::Button: {
      auto* button = new PushButton(r.x, r.y, r.w, r.h);
      button->labelfont(font);
      button->labelsize(look.fontSize);
      button->labelcolor(ToFlColour(definition_.textColour, FL_FOREGROUND_COLOR));
      button->callback(&FltkControl::Clicked, this);
      return button;
    }
    case ControlKind::Image: {
      auto* image = new Fl_Box(r.x, r.y, r.w, r.h);
      image->box(FL_NO_BOX);
      image->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
      if (const Fl_RGB_Image* picture = PictureImage(definition_.picture, kPictureSize))
        image->image(const_cast<Fl_RGB_Image*>(picture));  // shared, never deleted by the box
      return image;
    }
    case ControlKind::Line: {
      bool fallsToTheRight = (definition_.width >= 0) == (definition_.height >= 0);
      auto* line = new RuleLine(r.x, r.y, r.w, r.h, fallsToTheRight);
      line->color(ToFlColour(definition_.textColour, FL_FOREGROUND_COLOR));
      return line;
    }
  }
  throw FormsError("unknown kind of control " + definition_.name);
}

Fl_Widget& FltkControl::Build(const FltkLook& look) {
  designedTextSize_ = look.fontSize;
  widget_ = MakeWidget(look);
  if (!definition_.tooltip.empty()) widget_->copy_tooltip(definition_.tooltip.c_str());
  ShowText();
  if (definition_.kind == ControlKind::ComboBox) {
    ShowItems();
  }
  if (!visible_) widget_->hide();
  if (!enabled_) widget_->deactivate();
  return *widget_;
}

void FltkControl::Detach() {
  if (!widget_) return;
  text_ = Text();
  listIndex_ = ListIndex();
  widget_ = nullptr;
}

bool FltkControl::HasFocus() const {
  Fl_Widget* focus = Fl::focus();
  if (!widget_ || !focus) return false;
  if (focus == widget_) return true;
  Fl_Group* group = widget_->as_group();
  return group && group->contains(focus);
}

// FLTK calls this for a button click; the window runs the handler in a
// guard, since nothing may unwind through FLTK.
void FltkControl::Clicked(Fl_Widget*, void* control) {
  auto* self = static_cast<FltkControl*>(control);
  self->window_.Clicked(self->definition_.name);
}

}  // namespace hw::fltk
