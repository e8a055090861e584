// The FLTK forms backend in process, on a private Xvfb screen at 96 dpi
// (see fltk_e2e.py xvfb-run): geometry from the window tables, control
// state, focus and tab order, clicks and keys, closing, ending, message boxes.
// Its pure functions (icons, layout arithmetic, message texts) are unit
// tests in tests/unit/fltk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <unistd.h>

#include "platform/posix/fltk/embedded_icons.h"
#include "text/catalogue.h"
#include "platform/posix/fltk/layout.h"
#include "platform/posix/fltk/message_box.h"
#include "platform/posix/fltk/runtime.h"
#include "platform/posix/fltk/text_fit.h"
#include "platform/posix/fltk/widgets.h"
#include "platform/posix/fltk/ico_image.h"
#include "platform/posix/fltk/message_lines.h"
#include "platform/posix/fltk/x11_window_hints.h"
#include "ui/windows.h"

#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/fl_draw.H>

namespace hw::fltk {
namespace {

using ::testing::ElementsAre;

// ---- The runtime on the screen ----------------------------------------------------

// A lock file of its own for each runtime, in a directory of this test's
// that goes when the test ends.
std::string UniqueInstanceName() {
  struct LockDirectory {
    std::filesystem::path path;
    LockDirectory() {
      std::string pattern = (std::filesystem::temp_directory_path() / "hostwarden-fltk-test-XXXXXX").string();
      if (::mkdtemp(pattern.data())) path = pattern;
    }
    ~LockDirectory() {
      if (!path.empty()) std::filesystem::remove_all(path);
    }
  };
  static const LockDirectory directory;
  static int counter = 0;
  return (directory.path / ("instance-" + std::to_string(++counter) + ".lock")).string();
}

class FltkRuntime : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OpenDisplay()) GTEST_SKIP() << "no X display";
    forms_ = std::make_unique<FltkForms>("-Q extra", UniqueInstanceName());
  }
  void TearDown() override {
    forms_.reset();
    Fl::do_widget_deletion();
  }

  FltkWindow& LoadForm1() { return static_cast<FltkWindow&>(forms_->Load(Form1Window())); }
  FltkWindow& LoadDialog() { return static_cast<FltkWindow&>(forms_->Load(FrmInfoWindow())); }
  static Fl_Widget* WidgetOf(FltkWindow& window, const char* control) {
    return static_cast<FltkControl&>(window[control]).Widget();
  }
  // A key as FLTK gets it from X, sent to the window with the focus.
  static void PressKey(FltkWindow& window, int key) {
    Fl::e_keysym = key;
    Fl::e_state = 0;
    static char text[2] = {0, 0};
    text[0] = key < 128 ? static_cast<char>(key) : 0;
    Fl::e_text = text;
    Fl::e_length = text[0] ? 1 : 0;
    Fl::handle(FL_KEYBOARD, window.FlWindow());
  }

  std::unique_ptr<FltkForms> forms_;
};

TEST_F(FltkRuntime, LaysOutAt96DpiWithElevenPixelFonts) {
  EXPECT_EQ(forms_->Look().dpi, 96);
  EXPECT_EQ(forms_->Look().fontSize, 11);
}

TEST_F(FltkRuntime, WindowsHaveTheTableSizeFixedAndTheirCaption) {
  for (const WindowData* definition : {&Form1Window(), &FrmInfoWindow()}) {
    auto& window = static_cast<FltkWindow&>(forms_->Load(*definition));
    window.Show();
    Fl_Window* fl = window.FlWindow();
    PixelRect client = ClientPixels(*definition, 96);
    EXPECT_EQ(fl->w(), client.w) << definition->name;
    EXPECT_EQ(fl->h(), client.h) << definition->name;
    EXPECT_EQ(fl->resizable(), nullptr) << definition->name;
    EXPECT_STREQ(fl->label(), "Hostwarden");
  }
}

TEST_F(FltkRuntime, EveryWidgetLiesWhereTheTableSaysInTabOrder) {
  for (const WindowData* definition : {&Form1Window(), &FrmInfoWindow()}) {
    auto& window = static_cast<FltkWindow&>(forms_->Load(*definition));
    Fl_Window* fl = window.FlWindow();
    auto order = CreationOrder(*definition);
    ASSERT_EQ(fl->children(), static_cast<int>(order.size()));
    for (int i = 0; i < fl->children(); ++i) {
      Fl_Widget* widget = fl->child(i);
      EXPECT_EQ(widget, WidgetOf(window, order[i]->name.c_str())) << order[i]->name;
      PixelRect r = ControlPixels(*order[i], 96);
      EXPECT_EQ((PixelRect{widget->x(), widget->y(), widget->w(), widget->h()}), r) << order[i]->name;
    }
  }
}

TEST_F(FltkRuntime, StartsWithTheTablesInitialStates) {
  FltkWindow& form1 = LoadForm1();
  EXPECT_FALSE(form1.Visible());
  EXPECT_FALSE(WidgetOf(form1, "img_Warn")->visible());
  EXPECT_FALSE(WidgetOf(form1, "cmd_Sync")->active());
  EXPECT_EQ(std::string(WidgetOf(form1, "cmd_Sync")->label()), Text(Msg::WindowSyncButton));
  EXPECT_EQ(std::string(WidgetOf(form1, "cmd_Sync")->tooltip()), Text(Msg::WindowSyncTooltip));
  EXPECT_EQ(static_cast<CaptionBox*>(WidgetOf(form1, "Label2"))->text(), Text(Msg::WindowAddresses));
  EXPECT_TRUE(WidgetOf(form1, "lbl_NB")->visible());
  EXPECT_EQ(form1["txt_DNS"].Text(), "");

  FltkWindow& dialog = LoadDialog();
  Fl_Widget* heading = WidgetOf(dialog, "Label1");
  EXPECT_EQ(heading->labelfont(), forms_->Look().boldFont);
  EXPECT_EQ(heading->labelcolor(), fl_rgb_color(192, 0, 0));
  EXPECT_EQ(heading->labelsize(), 11);
  EXPECT_EQ(WidgetOf(dialog, "Label2")->labelfont(), forms_->Look().font);
  EXPECT_EQ(static_cast<CaptionBox*>(WidgetOf(dialog, "Label3"))->text(), Text(Msg::DialogAgainstRules));
}

// What FLTK itself measures for a text in a widget's font: wrapped at
// `wrapWidth`, or on one line when it is 0.
PixelRect Measured(const std::string& text, Fl_Font font, int size, int wrapWidth) {
  fl_font(font, size);
  int w = wrapWidth, h = 0;
  fl_measure(text.c_str(), w, h, 0);
  return {0, 0, w, h};
}

void ExpectEveryTextFits(FltkWindow& window, const WindowData& definition) {
  for (const ControlData& control : definition.controls) {
    Fl_Widget* widget = static_cast<FltkControl&>(window[control.name]).Widget();
    SCOPED_TRACE(control.name);
    switch (control.kind) {
      case ControlKind::Label: {
        const std::string& text = static_cast<CaptionBox*>(widget)->text();
        PixelRect m = Measured(text, widget->labelfont(), widget->labelsize(), widget->w());
        EXPECT_LE(m.w, widget->w()) << text;
        EXPECT_LE(m.h, widget->h()) << text;
        break;
      }
      case ControlKind::Button: {
        // Clear of the dotted focus rectangle, a pixel inside the frame.
        PixelRect m = Measured(widget->label(), widget->labelfont(), widget->labelsize(), 0);
        EXPECT_LE(m.w, widget->w() - Fl::box_dw(widget->box()) - 4) << widget->label();
        EXPECT_LE(m.h, widget->h() - Fl::box_dh(widget->box())) << widget->label();
        break;
      }
      case ControlKind::ComboBox: {
        auto* combo = static_cast<Fl_Input_Choice*>(widget);
        Fl_Input* field = combo->input();
        std::vector<std::string> texts = window[control.name].Items();
        texts.push_back(combo->value());
        for (const auto& text : texts) {
          PixelRect m = Measured(text, field->textfont(), field->textsize(), 0);
          EXPECT_LE(m.w, field->w() - Fl::box_dw(field->box())) << text;
          EXPECT_LE(m.h, field->h() - Fl::box_dh(field->box())) << text;
        }
        break;
      }
      default: break;
    }
  }
}

// Every label, button and combo-box text of both windows fits its box as
// FLTK measures it, with the longest texts the program puts there.
TEST_F(FltkRuntime, EveryTextFitsItsBox) {
  FltkWindow& form1 = LoadForm1();
  form1["lbl_System"].SetText("Linux 6.18 build 44 (Debian 12)");
  form1["lbl_IE"].SetText("");
  form1["lbl_Username"].SetText("hildegard.muster");
  form1["lbl_Conn"].SetText("Dial-Up");
  form1["cbo_IP"].AddItem("192.0.2.7");
  form1["cbo_IP"].AddItem("203.113.255.255");
  form1["cbo_IP"].SetListIndex(0);
  form1.Show();
  ExpectEveryTextFits(form1, Form1Window());
  FltkWindow& dialog = LoadDialog();
  dialog.Show();
  ExpectEveryTextFits(dialog, FrmInfoWindow());
  // Texts that fit keep the window's font size.
  for (const char* fits : {"Label4", "Label5", "lbl_System", "label6"})
    EXPECT_EQ(WidgetOf(form1, fits)->labelsize(), forms_->Look().fontSize) << fits;
  EXPECT_EQ(WidgetOf(dialog, "OKButton")->labelsize(), forms_->Look().fontSize);
}

TEST_F(FltkRuntime, ATextThatWouldOverflowIsDrawnSmallerDownToALimit) {
  const Fl_Font font = forms_->Look().font;
  const int size = forms_->Look().fontSize;
  struct Case { const char* text; TextRoom room; bool smaller; bool smallest; };
  for (const auto& c : {
           Case{"System:", {65, 17, true}, false, false},
           Case{"", {0, 0, false}, false, false},
           Case{"Namen synchronisieren", {60, 25, false}, true, true},
           Case{"Namen synchronisieren", {110, 25, false}, true, false},
           Case{"eins zwei drei vier", {80, 17, true}, true, false},  // one line, not two
           Case{"Wort", {200, 5, false}, true, true},                 // no size is low enough
       }) {
    int fitted = FittingTextSize({c.text}, font, size, c.room);
    EXPECT_EQ(fitted < size, c.smaller) << c.text << " in " << c.room.w;
    EXPECT_EQ(fitted == kSmallestTextSize, c.smallest) << c.text << " in " << c.room.w;
    if (fitted > kSmallestTextSize) {
      EXPECT_TRUE(TextFits(c.text, font, fitted, c.room)) << c.text;
      if (fitted < size) EXPECT_FALSE(TextFits(c.text, font, fitted + 1, c.room)) << c.text;
    }
  }
}

TEST_F(FltkRuntime, LabelsAndTextBoxesShowAndReturnTheirText) {
  FltkWindow& form1 = LoadForm1();
  form1["lbl_Username"].SetText("anna@REALM & co");
  EXPECT_EQ(form1["lbl_Username"].Text(), "anna@REALM & co");
  EXPECT_EQ(static_cast<CaptionBox*>(WidgetOf(form1, "lbl_Username"))->text(), "anna@REALM & co");
  form1["txt_CN"].SetText("ws-17");
  EXPECT_STREQ(static_cast<Fl_Input*>(WidgetOf(form1, "txt_CN"))->value(), "ws-17");
  static_cast<Fl_Input*>(WidgetOf(form1, "txt_DNS"))->value("typed by the user");
  EXPECT_EQ(form1["txt_DNS"].Text(), "typed by the user");
}

TEST_F(FltkRuntime, ComboBoxKeepsOrderSelectsByIndexAndNoticesTyping) {
  FltkWindow& form1 = LoadForm1();
  Control& combo = form1["cbo_IP"];
  combo.AddItem("198.51.100.9");
  combo.AddItem("192.0.2.7");
  combo.AddItem("a/b&c");
  EXPECT_EQ(combo.ListIndex(), -1);
  combo.SetListIndex(1);
  EXPECT_EQ(combo.Text(), "192.0.2.7");
  EXPECT_EQ(combo.ListIndex(), 1);
  EXPECT_THAT(combo.Items(), ElementsAre("198.51.100.9", "192.0.2.7", "a/b&c"));
  auto* choice = static_cast<Fl_Input_Choice*>(WidgetOf(form1, "cbo_IP"));
  ASSERT_EQ(choice->menubutton()->size(), 4);  // three entries and the end marker
  EXPECT_STREQ(choice->menubutton()->menu()[2].label(), "a/b&c");
  EXPECT_STREQ(choice->value(), "192.0.2.7");
  choice->menubutton()->value(0);
  choice->menubutton()->do_callback();  // the user picks the first entry from the list
  EXPECT_EQ(combo.Text(), "198.51.100.9");
  EXPECT_EQ(combo.ListIndex(), 0);
  choice->value("10.0.0.1");
  EXPECT_EQ(combo.Text(), "10.0.0.1");
  EXPECT_EQ(combo.ListIndex(), -1);
  EXPECT_THROW(combo.SetListIndex(3), FormsError);
  EXPECT_THROW(combo.SetListIndex(-2), FormsError);
  EXPECT_THROW(form1["txt_CN"].AddItem("x"), FormsError);
  EXPECT_THROW(form1["no_such_control"], FormsError);
}

TEST_F(FltkRuntime, VisibilityAndEnabledReachTheWidgets) {
  FltkWindow& form1 = LoadForm1();
  form1["img_Warn"].SetVisible(true);
  form1["cmd_Sync"].SetEnabled(true);
  form1["txt_NB"].SetVisible(false);
  EXPECT_TRUE(WidgetOf(form1, "img_Warn")->visible());
  EXPECT_TRUE(WidgetOf(form1, "cmd_Sync")->active());
  EXPECT_FALSE(WidgetOf(form1, "txt_NB")->visible());
  EXPECT_TRUE(form1["img_Warn"].Visible());
  EXPECT_FALSE(form1["txt_NB"].Visible());
}

TEST_F(FltkRuntime, FocusGoesToTheFirstFocusableControlOnShow) {
  FltkWindow& form1 = LoadForm1();
  EXPECT_EQ(form1.FocusedControl(), "");
  form1.Show();
  EXPECT_EQ(form1.FocusedControl(), "cbo_IP");  // the button is still disabled
  form1.Hide();
  form1["cmd_Sync"].SetEnabled(true);
  form1.Show();
  EXPECT_EQ(form1.FocusedControl(), "cmd_Sync");

  FltkWindow& dialog = LoadDialog();
  dialog.Show();
  EXPECT_EQ(dialog.FocusedControl(), "OKButton");
  EXPECT_EQ(form1.FocusedControl(), "cmd_Sync");  // kept while the dialog has the keyboard
}

TEST_F(FltkRuntime, TabWalksTheFocusableControlsInTabOrder) {
  FltkWindow& form1 = LoadForm1();
  form1["cmd_Sync"].SetEnabled(true);
  form1.Show();
  std::vector<std::string> visited{form1.FocusedControl()};
  for (int i = 0; i < 5; ++i) {
    PressKey(form1, FL_Tab);
    visited.push_back(form1.FocusedControl());
  }
  EXPECT_THAT(visited, ElementsAre("cmd_Sync", "cbo_IP", "txt_CN", "txt_NB", "txt_DNS", "cmd_Sync"));
}

TEST_F(FltkRuntime, SpaceAndEnterPressTheFocusedButton) {
  FltkWindow& dialog = LoadDialog();
  int clicks = 0;
  dialog.OnClick("OKButton", [&] { ++clicks; });
  dialog.Show();
  PressKey(dialog, ' ');
  PressKey(dialog, FL_Enter);
  EXPECT_EQ(clicks, 2);
}

TEST_F(FltkRuntime, EscapeDoesNothingAndTheTitleBarCloseUnloads) {
  FltkWindow& dialog = LoadDialog();
  std::vector<std::string> events;
  dialog.OnClose([&] { events.push_back(dialog.Loaded() ? "close while loaded" : "close after unload"); });
  dialog.Show();
  PressKey(dialog, FL_Escape);
  ASSERT_TRUE(dialog.Loaded());
  EXPECT_TRUE(dialog.Visible());
  Fl::handle(FL_CLOSE, dialog.FlWindow());  // what FLTK does for WM_DELETE_WINDOW
  EXPECT_THAT(events, ElementsAre("close while loaded"));
  EXPECT_FALSE(dialog.Loaded());
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(dialog.FlWindow(), nullptr);
}

TEST_F(FltkRuntime, AWindowUnloadedFromItsOwnClickComesBackFresh) {
  FltkWindow& dialog = LoadDialog();
  FltkWindow& form1 = LoadForm1();
  form1["txt_CN"].SetText("kept?");
  form1.Unload();
  EXPECT_EQ(form1["txt_CN"].Text(), "kept?");  // a control of an unloaded window still answers
  int clicks = 0;
  dialog.OnClick("CancelButton", [&] {
    ++clicks;
    dialog.Unload();
    form1.Show();
  });
  dialog.Show();
  WidgetOf(dialog, "CancelButton")->take_focus();
  PressKey(dialog, ' ');
  Fl::do_widget_deletion();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(dialog.Loaded());
  EXPECT_TRUE(form1.Visible());
  EXPECT_EQ(form1["txt_CN"].Text(), "");  // shown again means loaded again, from the table

  Window& again = forms_->Load(FrmInfoWindow());
  EXPECT_EQ(&again, &dialog);
  again.Show();
  WidgetOf(dialog, "CancelButton")->take_focus();
  PressKey(dialog, ' ');
  EXPECT_EQ(clicks, 2);  // handlers stay with the window across loads
}

TEST_F(FltkRuntime, AnErrorInAHandlerIsReportedAndTheProgramGoesOn) {
  FltkWindow& dialog = LoadDialog();
  dialog.OnClick("OKButton", [] { throw FormsError("the handler failed"); });
  dialog.Show();
  ::testing::internal::CaptureStderr();
  PressKey(dialog, ' ');
  EXPECT_THAT(::testing::internal::GetCapturedStderr(), ::testing::HasSubstr("the handler failed"));
  EXPECT_TRUE(dialog.Visible());
}

TEST_F(FltkRuntime, EndClosesEveryWindowAndThrowsEndProgram) {
  LoadForm1().Show();
  LoadDialog().Show();
  EXPECT_THROW(forms_->End(), EndProgram);
  EXPECT_FALSE(forms_->AnyWindowLoaded());
  EXPECT_EQ(Fl::first_window(), nullptr);
}

TEST_F(FltkRuntime, EndingFromAClickEndsTheProcessWithStatusZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        FltkWindow& dialog = LoadDialog();
        dialog.OnClick("OKButton", [this] {
          std::printf("written before the end");
          forms_->End();
        });
        dialog.Show();
        PressKey(dialog, ' ');
        std::fprintf(stderr, "the click returned\n");
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(FltkRuntime, RunReturnsOnceNoWindowIsLoaded) {
  struct Later {
    FltkWindow* window;
    bool ran = false;
  } later{&LoadForm1()};
  later.window->Show();
  later.window->Hide();  // hidden is still loaded
  Fl::add_timeout(0.05, [](void* data) {
    auto* self = static_cast<Later*>(data);
    self->ran = true;
    self->window->Unload();
  }, &later);
  forms_->Run();
  EXPECT_TRUE(later.ran);
  EXPECT_FALSE(forms_->AnyWindowLoaded());
}

// Closes the message box that is up, the way a user does, after a moment.
struct BoxSeen {
  std::string title, text;
  int style = -1;
  bool modal = false;
  bool okHasFocus = false;
};

void CloseBoxLater(BoxSeen& seen, int key) {
  static int closingKey;
  closingKey = key;
  Fl::add_timeout(0.05, [](void* data) {
    auto* box = dynamic_cast<MessageBoxWindow*>(Fl::modal());
    auto& seen = *static_cast<BoxSeen*>(data);
    if (!box) return;
    seen = {box->label(), box->Text(), box->Style(), Fl::modal() == box, Fl::focus() == &box->OkButton()};
    Fl::e_keysym = closingKey;
    Fl::e_state = 0;
    Fl::e_text = const_cast<char*>(closingKey == ' ' ? " " : "");
    Fl::e_length = closingKey == ' ' ? 1 : 0;
    Fl::handle(FL_KEYBOARD, box);
  }, &seen);
}

struct BoxCase { int style; int closingKey; };
class MessageBoxes : public FltkRuntime, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(MessageBoxes, AreModalTitledAndReturnWhenClosed) {
  BoxSeen seen;
  CloseBoxLater(seen, GetParam().closingKey);
  forms_->MsgBox("Der DNS-Name  kann nicht\r\nBitte wenden Sie sich", GetParam().style);
  EXPECT_EQ(seen.title, "Hostwarden");
  EXPECT_EQ(seen.text, "Der DNS-Name  kann nicht\nBitte wenden Sie sich");
  EXPECT_EQ(seen.style, GetParam().style);
  EXPECT_TRUE(seen.modal);
  EXPECT_TRUE(seen.okHasFocus);
  EXPECT_EQ(Fl::modal(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(StylesAndKeys, MessageBoxes,
                         ::testing::Values(BoxCase{0, FL_Enter}, BoxCase{16, ' '}, BoxCase{48, FL_Escape},
                                           BoxCase{64, FL_Enter}));

TEST_F(FltkRuntime, ReportsTheCommandLineAndOneInstancePerName) {
  EXPECT_EQ(forms_->Command(), "-Q extra");
  std::string name = UniqueInstanceName();
  FltkForms first("", name), second("", name);
  EXPECT_FALSE(first.PrevInstance());
  EXPECT_TRUE(second.PrevInstance());
  EXPECT_FALSE(first.PrevInstance());  // the answer holds for the run
}

}  // namespace
}  // namespace hw::fltk
