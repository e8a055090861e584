// The warning dialog of the quiet mode.
#include "ui/windows.h"

namespace hw {

const WindowData& FrmInfoWindow() {
  using K = ControlKind;
  static const WindowData dialog = [] {
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
        {kInfoHeading,   K::Label,  "Warnung",              1440,  120,  855, 255, 2},
        {"Line1",        K::Line,   "",                      240,  360, 3360,   0, -1},
        {"Label2",       K::Label,
         "Der Computername Ihres PCs stimmt nicht mit dem zugeteilten IP-Hostnamen überein.",
                                                             240,  480, 3495, 495, 3},
        {"Label3",       K::Label,
         "Sie verstossen damit gegen  die Betriebsregelung für das Datennetz der Universität Falkenau.",
                                                             240,  960, 3615, 495, 4},
        {"Label4",       K::Label,
         "Bitte klicken Sie auf die Schaltfläche OK, um Ihren Computernamen zu synchronisieren.",
                                                             240, 1440, 3495, 375, 5},
        {kOkButton,      K::Button, "OK",                    600, 2040, 1215, 375, 0},
        {kCancelButton,  K::Button, "Details >>",           2040, 2040, 1215, 375, 1},
    };
    ControlData& heading = w.ControlNamed(kInfoHeading);
    heading.bold = true;
    heading.textColour = Rgb(192, 0, 0);
    return w;
  }();
  return dialog;
}

}  // namespace hw
