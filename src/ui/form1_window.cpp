// The main window: what the startup check found, the warning picture and the
// button that makes the DNS short name the computer name.
#include "text/catalogue.h"
#include "ui/window_tables.h"

namespace hw {

namespace {

WindowData Form1In(Language language) {
  using K = ControlKind;
  auto text = [language](Msg msg) { return std::string(TextIn(language, msg)); };
  WindowData w;
  w.name = kForm1;
  w.caption = "Hostwarden";
  w.clientWidth = 4650;
  w.clientHeight = 3015;
  w.left = 45;
  w.top = 330;
  w.border = Border::FixedSingle;
  w.showInTaskbar = true;
  w.icon = Picture::Network;
  //            name            kind          caption                  left  top  width height tab
  w.controls = {
      {"Label4",       K::Label,    text(Msg::WindowSystem),  120,  120,  975, 255,  2},
      {kLblSystem,     K::Label,    "",                      960,  120, 3615, 255,  4},
      {"label6",       K::Label,    text(Msg::WindowIeVersion), 120,  360,  975, 255,  3},
      {kLblIe,         K::Label,    "",                      960,  360,  975, 255,  5},
      {"Line1",        K::Line,     "",                      120,  600, 4320,   0, -1},
      {"Label5",       K::Label,    text(Msg::WindowUserName), 120,  720,  855, 255,  8},
      {kLblUsername,   K::Label,    "",                      960,  720, 1935, 255,  9},
      {"Label1",       K::Label,    text(Msg::WindowConnection), 2920,  720,  855, 255, 15},
      {kLblConn,       K::Label,    "",                     3840,  720,  615, 255, 16},
      {"Label7",       K::Label,    text(Msg::WindowComputerName), 120, 1080, 1215, 255, 10},
      {kLblNb,         K::Label,    text(Msg::WindowNetbiosName), 2520, 1080, 1215, 255, 12},
      {kTxtCn,         K::TextBox,  "",                      120, 1320, 2265, 285, 11},
      {kTxtNb,         K::TextBox,  "",                     2520, 1320, 1935, 285, 13},
      {"Label3",       K::Label,    text(Msg::WindowDnsHostName), 120, 1680, 1335, 255,  1},
      {kTxtDns,        K::TextBox,  "",                      120, 1920, 4335, 285, 14},
      {"Label2",       K::Label,    text(Msg::WindowAddresses), 120, 2280, 1095, 255,  6},
      {kImgWarn,       K::Image,    "",                     2160, 2400,  480, 480, -1},
      {kCmdSync,       K::Button,   text(Msg::WindowSyncButton), 2640, 2480, 1815, 375,  0},
      {kCboIp,         K::ComboBox, "",                      120, 2520, 1695, 315,  7},
  };
  ControlData& warning = w.ControlNamed(kImgWarn);
  warning.picture = Picture::Warning;
  warning.visible = false;
  warning.description = text(Msg::WindowWarningPicture);
  ControlData& sync = w.ControlNamed(kCmdSync);
  sync.enabled = false;
  sync.tooltip = text(Msg::WindowSyncTooltip);
  return w;
}

}  // namespace

const WindowData& Form1Window() {
  static const WindowData german = Form1In(Language::German), english = Form1In(Language::English);
  return LanguageInUse() == Language::English ? english : german;
}

}  // namespace hw
