#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "check/guard.h"
#include "interfaces/headless/headless_forms.h"
#include "ui/window_tables.h"
#include "text/catalogue.h"

namespace hw {
namespace {

struct Row {
  const char* name;
  ControlKind kind;
  std::string caption;
  int left, top, width, height, tab;
};

void ExpectControls(const WindowData& w, const std::vector<Row>& rows) {
  ASSERT_EQ(w.controls.size(), rows.size()) << w.name;
  for (const Row& r : rows) {
    const ControlData* c = w.Find(r.name);
    ASSERT_NE(c, nullptr) << w.name << " lacks " << r.name;
    EXPECT_EQ(c->kind, r.kind) << r.name;
    EXPECT_EQ(c->caption, r.caption) << r.name;
    EXPECT_EQ((std::array{c->left, c->top, c->width, c->height, c->tabIndex}),
              (std::array{r.left, r.top, r.width, r.height, r.tab}))
        << r.name << ": left, top, width, height, tab index";
  }
}

// A control's caption from the catalogue, in the language in use.
std::string T(Msg msg) { return std::string(Text(msg)); }

TEST(MainWindow, ControlTableToTheTwip) {
  using K = ControlKind;
  const WindowData& w = Form1Window();
  EXPECT_EQ(w.caption, "Hostwarden");
  EXPECT_EQ(w.clientWidth, 4650);
  EXPECT_EQ(w.clientHeight, 3015);
  EXPECT_EQ(w.border, Border::FixedSingle);
  EXPECT_TRUE(w.showInTaskbar);
  EXPECT_EQ(w.icon, Picture::Network);
  // The line runs from (120, 600) to (4440, 600).
  ExpectControls(w, {
      {"Label4", K::Label, T(Msg::WindowSystem), 120, 120, 975, 255, 2},
      {"lbl_System", K::Label, "", 960, 120, 3615, 255, 4},
      {"label6", K::Label, T(Msg::WindowIeVersion), 120, 360, 975, 255, 3},
      {"lbl_IE", K::Label, "", 960, 360, 975, 255, 5},
      {"Line1", K::Line, "", 120, 600, 4440 - 120, 0, -1},
      {"Label5", K::Label, T(Msg::WindowUserName), 120, 720, 855, 255, 8},
      {"lbl_Username", K::Label, "", 960, 720, 1935, 255, 9},
      {"Label1", K::Label, T(Msg::WindowConnection), 2920, 720, 855, 255, 15},
      {"lbl_Conn", K::Label, "", 3840, 720, 615, 255, 16},
      {"Label7", K::Label, T(Msg::WindowComputerName), 120, 1080, 1215, 255, 10},
      {"lbl_NB", K::Label, T(Msg::WindowNetbiosName), 2520, 1080, 1215, 255, 12},
      {"txt_CN", K::TextBox, "", 120, 1320, 2265, 285, 11},
      {"txt_NB", K::TextBox, "", 2520, 1320, 1935, 285, 13},
      {"Label3", K::Label, T(Msg::WindowDnsHostName), 120, 1680, 1335, 255, 1},
      {"txt_DNS", K::TextBox, "", 120, 1920, 4335, 285, 14},
      {"Label2", K::Label, T(Msg::WindowAddresses), 120, 2280, 1095, 255, 6},
      {"img_Warn", K::Image, "", 2160, 2400, 480, 480, -1},
      {"cmd_Sync", K::Button, T(Msg::WindowSyncButton), 2640, 2480, 1815, 375, 0},
      {"cbo_IP", K::ComboBox, "", 120, 2520, 1695, 315, 7},
  });
  const ControlData* warn = w.Find("img_Warn");
  EXPECT_FALSE(warn->visible);
  EXPECT_EQ(warn->picture, Picture::Warning);
  const ControlData* sync = w.Find("cmd_Sync");
  EXPECT_FALSE(sync->enabled);
  EXPECT_EQ(sync->tooltip, T(Msg::WindowSyncTooltip));
}

TEST(WarningDialog, ControlTableToTheTwip) {
  using K = ControlKind;
  const WindowData& w = FrmInfoWindow();
  EXPECT_EQ(w.caption, "Hostwarden");
  EXPECT_EQ(w.clientWidth, 3900);
  EXPECT_EQ(w.clientHeight, 2520);
  EXPECT_EQ(w.border, Border::FixedDialog);
  EXPECT_FALSE(w.showInTaskbar);
  EXPECT_EQ(w.icon, Picture::Warning);
  ExpectControls(w, {
      {"Label1", K::Label, T(Msg::DialogHeading), 1440, 120, 855, 255, 2},
      {"Line1", K::Line, "", 240, 360, 3600 - 240, 0, -1},
      {"Label2", K::Label, T(Msg::DialogNamesDiffer),
       240, 480, 3495, 495, 3},
      {"Label3", K::Label, T(Msg::DialogAgainstRules),
       240, 960, 3615, 495, 4},
      {"Label4", K::Label, T(Msg::DialogClickOk),
       240, 1440, 3495, 375, 5},
      {"OKButton", K::Button, T(Msg::ButtonOk), 600, 2040, 1215, 375, 0},
      {"CancelButton", K::Button, T(Msg::DialogDetails), 2040, 2040, 1215, 375, 1},
  });
  const ControlData* heading = w.Find("Label1");
  EXPECT_TRUE(heading->bold);
  EXPECT_EQ(heading->textColour, Rgb(192, 0, 0));
}

TEST(Windows, TabIndexesAreUniqueAndFocusFollowsThem) {
  for (const WindowData* w : {&Form1Window(), &FrmInfoWindow()}) {
    std::set<int> seen;
    for (const auto& c : w->controls)
      if (c.tabIndex >= 0) {
        EXPECT_TRUE(seen.insert(c.tabIndex).second) << w->name << " " << c.name;
      }
  }
  HeadlessForms forms;
  Window& form1 = forms.Load(Form1Window());
  form1.Show();
  EXPECT_EQ(form1.FocusedControl(), "cbo_IP");  // the button starts disabled
  Window& dialog = forms.Load(FrmInfoWindow());
  dialog.Show();
  EXPECT_EQ(dialog.FocusedControl(), "OKButton");
}

TEST(Windows, TwipsBecomePixelsAtTheScreensDpi) {
  EXPECT_EQ(TwipsToPixels(4650), 310);
  EXPECT_EQ(TwipsToPixels(3015), 201);
  EXPECT_EQ(TwipsToPixels(480), 32);
  EXPECT_EQ(TwipsToPixels(4650, 144), 465);
  EXPECT_EQ(TwipsToPixels(8, 96), 1);  // rounds to the nearest pixel
}

// A control name that no window table has is a fault of the program: it
// stops the run wherever it is used, through the guards that skip a failed
// step, while a control that exists but fails is still skipped.
TEST(Windows, AMisspeltControlNameFailsLoudlyARealFailureIsSkipped) {
  HeadlessForms forms;
  Window& form1 = forms.Load(Form1Window());
  for (const char* misspelt : {"cmd_sync", "cmd_Sync ", "txt_DNS2", "OKButton", ""}) {
    SCOPED_TRACE(misspelt);
    EXPECT_THROW(form1[misspelt], NoSuchControl);
    EXPECT_THROW(attempt([&] { form1[misspelt].SetEnabled(true); }), NoSuchControl);
    EXPECT_THROW(passes([&] { return form1[misspelt].Visible(); }), NoSuchControl);
    EXPECT_THROW(form1.OnClick(misspelt, [] {}), NoSuchControl);
    EXPECT_THROW(RunThenEnd(forms, [&] { form1[misspelt].SetText("x"); }), NoSuchControl);
  }
  bool reached = false;
  attempt([&] {
    form1[kCboIp].SetListIndex(5);  // an empty list: the runtime refuses
    reached = true;
  });
  EXPECT_FALSE(reached);
  EXPECT_TRUE(passes([&] {
    form1[kTxtCn].AddItem("x");  // not a combo box: the runtime refuses, the test counts as passed
    return false;
  }));
}

// Every name the program uses reaches a control of its window's table.
TEST(Windows, EveryControlNameTheProgramUsesIsInItsTable) {
  for (const char* name : {kLblSystem, kLblIe, kLblUsername, kLblConn, kLblNb, kTxtCn, kTxtNb, kTxtDns, kImgWarn,
                           kCmdSync, kCboIp})
    EXPECT_NE(Form1Window().Find(name), nullptr) << name;
  for (const char* name : {kInfoHeading, kOkButton, kCancelButton})
    EXPECT_NE(FrmInfoWindow().Find(name), nullptr) << name;
  EXPECT_EQ(Form1Window().name, kForm1);
  EXPECT_EQ(FrmInfoWindow().name, kFrmInfo);
  WindowData copy = Form1Window();
  EXPECT_THROW(copy.ControlNamed("img_warn"), NoSuchControl);
  EXPECT_EQ(&copy.ControlNamed(kImgWarn), copy.Find(kImgWarn));
}

}  // namespace
}  // namespace hw
