#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "check/guard.h"
#include "interfaces/headless/headless_forms.h"
#include "ui/window_tables.h"
#include "text/catalogue.h"

namespace hw {
namespace {

const std::vector<const WindowData*>& BothWindows() {
  static const std::vector<const WindowData*> windows = {&Form1Window(), &FrmInfoWindow()};
  return windows;
}

int Right(const ControlData& c) { return c.left + c.width; }
int Bottom(const ControlData& c) { return c.top + c.height; }

// How far one span reaches into another: the shorter way to move them apart;
// zero or less when they do not meet. A line (no height) inside a label
// counts by its distance to the label's nearer edge.
int Reach(int startA, int endA, int startB, int endB) { return std::min(endA - startB, endB - startA); }

// How far two controls overlap: the smaller of their reaches across and down.
int Overlap(const ControlData& a, const ControlData& b) {
  return std::min(Reach(a.left, Right(a), b.left, Right(b)), Reach(a.top, Bottom(a), b.top, Bottom(b)));
}

// Rows of labels 240 twips apart with 255 twips' height share one pixel's
// edge (15 twips at 96 dpi), as do a line and the label it runs under: the
// eye sees no overlap there.
constexpr int kOnePixel = 15;

// The captions beside the system and browser lines are wider than the gap
// to their value labels, which start over the caption's last 135 twips; the
// captions' texts end well before that.
const std::set<std::pair<std::string, std::string>> kKnownOverlaps = {{"Label4", "lbl_System"}, {"label6", "lbl_IE"}};
constexpr int kKnownOverlap = 135;

bool IsField(const ControlData& c) { return c.kind == ControlKind::TextBox || c.kind == ControlKind::ComboBox; }

// A label with a caption just above the field (its left edge within the
// field's width, at most half a label's height away) or just left of it on
// the same row.
bool CaptionsField(const ControlData& label, const ControlData& field) {
  if (label.kind != ControlKind::Label || label.caption.empty()) return false;
  bool above = label.top < field.top && label.left >= field.left && label.left < Right(field) &&
               field.top - Bottom(label) <= 120;
  bool sameRow = label.top < Bottom(field) && field.top < Bottom(label);
  bool beside = sameRow && Right(label) <= field.left + kOnePixel && field.left - Right(label) <= 240;
  return above || beside;
}

TEST(Windows, EveryControlLiesInsideItsWindowsClientArea) {
  for (const WindowData* w : BothWindows())
    for (const ControlData& c : w->controls) {
      EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.width >= 0 && c.height >= 0) << w->name << " " << c.name;
      EXPECT_LE(Right(c), w->clientWidth) << w->name << " " << c.name;
      EXPECT_LE(Bottom(c), w->clientHeight) << w->name << " " << c.name;
    }
}

TEST(Windows, NoTwoControlsOverlapBeyondTheKnownPairs) {
  std::set<std::pair<std::string, std::string>> seen;
  for (const WindowData* w : BothWindows())
    for (std::size_t i = 0; i < w->controls.size(); ++i)
      for (std::size_t j = i + 1; j < w->controls.size(); ++j) {
        const ControlData &a = w->controls[i], &b = w->controls[j];
        int overlap = Overlap(a, b);
        if (overlap <= kOnePixel) continue;
        auto pair = std::minmax(a.name, b.name);
        bool known = w == &Form1Window() && (kKnownOverlaps.count({a.name, b.name}) || kKnownOverlaps.count({b.name, a.name}));
        EXPECT_TRUE(known) << w->name << ": " << pair.first << " and " << pair.second << " overlap by " << overlap;
        if (known) {
          EXPECT_EQ(overlap, kKnownOverlap) << a.name << " and " << b.name;
          seen.insert({a.name, b.name});
        }
      }
  EXPECT_EQ(seen.size(), kKnownOverlaps.size()) << "a known overlap went: take it off the list";
}

TEST(Windows, EveryFieldHasACaptionAboveOrBesideIt) {
  for (const WindowData* w : BothWindows())
    for (const ControlData& field : w->controls) {
      if (!IsField(field)) continue;
      bool captioned = std::any_of(w->controls.begin(), w->controls.end(),
                                   [&](const ControlData& label) { return CaptionsField(label, field); });
      EXPECT_TRUE(captioned) << w->name << " " << field.name << " has no caption above it or left of it";
    }
}

TEST(Windows, TabIndexesAreUniqueAndFocusFollowsThem) {
  for (const WindowData* w : BothWindows()) {
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
  // Tab goes from OK to Details.
  EXPECT_LT(FrmInfoWindow().Find(kOkButton)->tabIndex, FrmInfoWindow().Find(kCancelButton)->tabIndex);
}

// The main window opens with the synchronise button disabled and the warning
// picture hidden until the check finds a difference.
TEST(MainWindow, OpensWithNothingToSynchroniseAndNoWarning) {
  const WindowData& w = Form1Window();
  EXPECT_FALSE(w.Find(kImgWarn)->visible);
  EXPECT_EQ(w.Find(kImgWarn)->picture, Picture::Warning);
  EXPECT_FALSE(w.Find(kCmdSync)->enabled);
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
