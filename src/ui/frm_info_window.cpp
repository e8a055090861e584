// The warning dialog of the quiet mode.
#include "text/catalogue.h"
#include "ui/window_tables.h"

namespace hw {

namespace {

WindowData FrmInfoIn(Language language) {
  using K = ControlKind;
  auto text = [language](Msg msg) { return std::string(TextIn(language, msg)); };
  WindowData w;
  w.name = kFrmInfo;
  w.caption = "Hostwarden";
  w.clientWidth = 3900;
  w.clientHeight = 2520;
  w.left = 2760;
  w.top = 3750;
  w.border = Border::FixedDialog;
  w.showInTaskbar = false;
  w.icon = Picture::Warning;
  //            name            kind        caption  left  top  width height tab
  w.controls = {
      {kInfoHeading,   K::Label,  text(Msg::DialogHeading), 1440,  120,  855, 255, 2},
      {"Line1",        K::Line,   "",                      240,  360, 3360,   0, -1},
      {"Label2",       K::Label,
       text(Msg::DialogNamesDiffer),
                                                           240,  480, 3495, 495, 3},
      {"Label3",       K::Label,
       text(Msg::DialogAgainstRules),
                                                           240,  960, 3615, 495, 4},
      {"Label4",       K::Label,
       text(Msg::DialogClickOk),
                                                           240, 1440, 3495, 375, 5},
      {kOkButton,      K::Button, text(Msg::ButtonOk),     600, 2040, 1215, 375, 0},
      {kCancelButton,  K::Button, text(Msg::DialogDetails), 2040, 2040, 1215, 375, 1},
  };
  ControlData& heading = w.ControlNamed(kInfoHeading);
  heading.bold = true;
  heading.textColour = Rgb(192, 0, 0);
  return w;
}

}  // namespace

const WindowData& FrmInfoWindow() {
  static const WindowData german = FrmInfoIn(Language::German), english = FrmInfoIn(Language::English);
  return LanguageInUse() == Language::English ? english : german;
}

}  // namespace hw
