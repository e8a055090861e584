// The GTK forms backend in process, on a private Xvfb screen at 96 dpi
// (see gtk_e2e.py xvfb-run): geometry from the window tables and how it
// grows, control state, focus and tab order, clicks and keys, closing,
// ending, message boxes, what screen readers get (ATK), and the heading's
// colour on the theme. Its pure functions (icons, layout arithmetic,
// message texts, contrast) are unit tests in tests/unit/gtk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "platform/posix/gtk/forms.h"
#include "platform/posix/gtk/layout.h"
#include "platform/posix/gtk/look.h"
#include "platform/posix/gtk/message_box.h"
#include "platform/posix/gtk/runtime.h"
#include "text/catalogue.h"
#include "ui/window_tables.h"

namespace hw::gtk {
namespace {

using ::testing::ElementsAre;

// A lock file of its own for each runtime, in a directory of this test's
// that goes when the test ends.
std::string UniqueInstanceName() {
  struct LockDirectory {
    std::filesystem::path path;
    LockDirectory() {
      std::string pattern = (std::filesystem::temp_directory_path() / "hostwarden-gtk-test-XXXXXX").string();
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

void Settle() {
  for (int i = 0; i < 200 && g_main_context_pending(nullptr); ++i) g_main_context_iteration(nullptr, FALSE);
}

// Until the window is on the screen: GTK drops key events for a window
// the display does not show yet.
void WaitUntilViewable(GtkWidget* window) {
  for (int i = 0; i < 400; ++i) {
    GdkWindow* shown = gtk_widget_get_window(window);
    if (shown && gdk_window_is_viewable(shown)) return;
    g_main_context_iteration(nullptr, FALSE);
    g_usleep(5000);
  }
}

// The window gets the keyboard, as from a window manager: GTK moves the
// focus between controls only in a window that has it.
void GiveKeyboard(GtkWidget* window) {
  GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
  event->focus_change.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
  event->focus_change.in = TRUE;
  gtk_widget_send_focus_change(window, event);
  gdk_event_free(event);
}

// A key as GDK gets it from the display, sent to the window, which hands
// it to its focused widget.
void PressKey(GtkWidget* window, guint keyval) {
  WaitUntilViewable(window);
  GiveKeyboard(window);
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  guint16 keycode = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), keyval, &keys, &count) &&
      count > 0)
    keycode = static_cast<guint16>(keys[0].keycode);
  g_free(keys);
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  // A button acts on the release (or a moment after the press).
  for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
    GdkEvent* event = gdk_event_new(type);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    event->key.keyval = keyval;
    event->key.send_event = TRUE;
    event->key.hardware_keycode = keycode;
    gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
    gtk_widget_event(window, event);
    gdk_event_free(event);
  }
  Settle();
}

class GtkRuntime : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OpenDisplay()) GTEST_SKIP() << "no display";
    forms_ = std::make_unique<GtkForms>("-Q extra", UniqueInstanceName());
  }
  void TearDown() override {
    forms_.reset();
    Settle();
  }

  FormWindow& LoadForm1() { return static_cast<FormWindow&>(forms_->Load(Form1Window())); }
  FormWindow& LoadDialog() { return static_cast<FormWindow&>(forms_->Load(FrmInfoWindow())); }
  static GtkWidget* WidgetOf(FormWindow& window, const char* control) {
    return static_cast<FormControl&>(window[control]).Widget();
  }
  static void Fill(FormWindow& form1) {
    form1["lbl_System"].SetText("Linux 6.1.0-28-amd64 (Debian GNU/Linux 12 (bookworm))");
    form1["lbl_IE"].SetText("");
    form1["lbl_Username"].SetText("hildegard.muster");
    form1["lbl_Conn"].SetText("LAN");
    form1["txt_CN"].SetText("ws-17");
    form1["cbo_IP"].AddItem("192.0.2.7");
    form1["cbo_IP"].SetListIndex(0);
  }

  std::unique_ptr<GtkForms> forms_;
};

TEST_F(GtkRuntime, WindowsAreAtLeastTheTableSizeFixedAndTheirCaption) {
  for (const WindowData* definition : {&Form1Window(), &FrmInfoWindow()}) {
    auto& window = static_cast<FormWindow&>(forms_->Load(*definition));
    window.Show();
    Settle();
    GtkWidget* gw = window.GtkWindowWidget();
    PixelRect table = ClientPixels(*definition, 1), scaled = ClientPixels(*definition, window.Scale());
    EXPECT_GE(window.Scale(), 1.0);
    EXPECT_GE(scaled.w, table.w);
    EXPECT_EQ(gtk_widget_get_allocated_width(gw), scaled.w) << definition->name;
    EXPECT_EQ(gtk_widget_get_allocated_height(gw), scaled.h) << definition->name;
    EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(gw)));
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(gw)), "Hostwarden");
    EXPECT_STREQ(gtk_window_get_role(GTK_WINDOW(gw)), definition->name.c_str());
    // Kept in the taskbar and so in the desktop's window switcher.
    EXPECT_FALSE(gtk_window_get_skip_taskbar_hint(GTK_WINDOW(gw)));
  }
}

// Each widget at its table place times the window's one factor, and as
// large as that, so the e2e tests find a control at (table place) * scale.
TEST_F(GtkRuntime, EveryWidgetLiesWhereTheTableSaysTimesTheScale) {
  for (const WindowData* definition : {&Form1Window(), &FrmInfoWindow()}) {
    auto& window = static_cast<FormWindow&>(forms_->Load(*definition));
    window.Show();
    Settle();
    for (const ControlData& control : definition->controls) {
      GtkWidget* widget = WidgetOf(window, control.name.c_str());
      if (!gtk_widget_get_visible(widget)) continue;
      GtkAllocation a;
      gtk_widget_get_allocation(widget, &a);
      PixelRect r = ControlPixels(control, window.Scale());
      EXPECT_EQ(a.x, r.x) << control.name;
      EXPECT_EQ(a.y, r.y) << control.name;
      if (control.kind == ControlKind::Line) {
        EXPECT_EQ(a.width, r.w) << control.name;
        EXPECT_GE(a.height, 1) << control.name;
      } else if (control.kind != ControlKind::Image) {
        EXPECT_EQ(a.width, r.w) << control.name;
        EXPECT_EQ(a.height, r.h) << control.name;
      }
    }
  }
}

TEST_F(GtkRuntime, StartsWithTheTablesInitialStates) {
  FormWindow& form1 = LoadForm1();
  EXPECT_FALSE(form1.Visible());
  EXPECT_FALSE(gtk_widget_get_visible(WidgetOf(form1, "img_Warn")));
  EXPECT_FALSE(gtk_widget_get_sensitive(WidgetOf(form1, "cmd_Sync")));
  EXPECT_EQ(gtk_button_get_label(GTK_BUTTON(WidgetOf(form1, "cmd_Sync"))), Text(Msg::WindowSyncButton));
  gchar* tip = gtk_widget_get_tooltip_text(WidgetOf(form1, "cmd_Sync"));
  EXPECT_EQ(std::string(tip ? tip : ""), Text(Msg::WindowSyncTooltip));
  g_free(tip);
  EXPECT_EQ(gtk_label_get_text(GTK_LABEL(WidgetOf(form1, "Label2"))), Text(Msg::WindowAddresses));
  EXPECT_TRUE(gtk_widget_get_visible(WidgetOf(form1, "lbl_NB")));
  EXPECT_EQ(form1["txt_DNS"].Text(), "");

  FormWindow& dialog = LoadDialog();
  PangoAttrList* attributes = gtk_label_get_attributes(GTK_LABEL(WidgetOf(dialog, "Label1")));
  ASSERT_NE(attributes, nullptr);
  PangoAttrIterator* it = pango_attr_list_get_iterator(attributes);
  auto* weight = reinterpret_cast<PangoAttrInt*>(pango_attr_iterator_get(it, PANGO_ATTR_WEIGHT));
  ASSERT_NE(weight, nullptr);
  EXPECT_EQ(weight->value, PANGO_WEIGHT_BOLD);
  pango_attr_iterator_destroy(it);
  EXPECT_EQ(gtk_label_get_text(GTK_LABEL(WidgetOf(dialog, "Label3"))), Text(Msg::DialogAgainstRules));
}

// The font of a widget's text, in Pango units.
int FontSizeOf(GtkWidget* widget) {
  PangoFontDescription* font = nullptr;
  gtk_style_context_get(gtk_widget_get_style_context(widget), GTK_STATE_FLAG_NORMAL, "font", &font, nullptr);
  int size = font ? pango_font_description_get_size(font) : 0;
  if (font) pango_font_description_free(font);
  return size;
}

// Every text fits its box as GTK measures it, with the desktop's body
// font: the window grows instead of the text shrinking.
TEST_F(GtkRuntime, EveryTextFitsItsBoxInTheBodyFont) {
  FormWindow& form1 = LoadForm1();
  Fill(form1);
  form1.Show();
  FormWindow& dialog = LoadDialog();
  dialog.Show();
  Settle();
  GtkWidget* plain = gtk_label_new("x");
  int body = FontSizeOf(plain);
  gtk_widget_destroy(plain);
  for (FormWindow* window : {&form1, &dialog}) {
    for (const ControlData& control : window->Definition().controls) {
      auto& c = static_cast<FormControl&>((*window)[control.name]);
      EXPECT_TRUE(c.FitsAt(window->Scale())) << control.name;
      if (control.kind == ControlKind::Label || control.kind == ControlKind::Button) {
        EXPECT_GE(FontSizeOf(c.Widget()), body) << control.name;
      }
    }
  }
  // A longer text grows the window rather than break out of its box.
  double before = form1.Scale();
  form1["lbl_Conn"].SetText("Dial-Up-Verbindung über ein Modem");
  EXPECT_GT(form1.Scale(), before);
  EXPECT_TRUE(static_cast<FormControl&>(form1["lbl_Conn"]).FitsAt(form1.Scale()));
}

TEST_F(GtkRuntime, LabelsAndTextBoxesShowAndReturnTheirText) {
  FormWindow& form1 = LoadForm1();
  form1["lbl_Username"].SetText("anna@REALM & co <b>_x");
  EXPECT_EQ(form1["lbl_Username"].Text(), "anna@REALM & co <b>_x");
  EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(WidgetOf(form1, "lbl_Username"))), "anna@REALM & co <b>_x");
  form1["txt_CN"].SetText("ws-17");
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(WidgetOf(form1, "txt_CN"))), "ws-17");
  gtk_entry_set_text(GTK_ENTRY(WidgetOf(form1, "txt_DNS")), "typed by the user");
  EXPECT_EQ(form1["txt_DNS"].Text(), "typed by the user");
}

TEST_F(GtkRuntime, ComboBoxKeepsOrderSelectsByIndexAndNoticesTyping) {
  FormWindow& form1 = LoadForm1();
  Control& combo = form1["cbo_IP"];
  combo.AddItem("198.51.100.9");
  combo.AddItem("192.0.2.7");
  combo.AddItem("a/b&c");
  EXPECT_EQ(combo.ListIndex(), -1);
  combo.SetListIndex(1);
  EXPECT_EQ(combo.Text(), "192.0.2.7");
  EXPECT_EQ(combo.ListIndex(), 1);
  EXPECT_THAT(combo.Items(), ElementsAre("198.51.100.9", "192.0.2.7", "a/b&c"));
  GtkWidget* widget = WidgetOf(form1, "cbo_IP");
  GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(widget));
  ASSERT_EQ(gtk_tree_model_iter_n_children(model, nullptr), 3);
  gtk_combo_box_set_active(GTK_COMBO_BOX(widget), 0);  // the user picks the first entry from the list
  EXPECT_EQ(combo.Text(), "198.51.100.9");
  EXPECT_EQ(combo.ListIndex(), 0);
  gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(widget))), "10.0.0.1");
  EXPECT_EQ(combo.Text(), "10.0.0.1");
  EXPECT_EQ(combo.ListIndex(), -1);
  EXPECT_THROW(combo.SetListIndex(3), FormsError);
  EXPECT_THROW(combo.SetListIndex(-2), FormsError);
  EXPECT_THROW(form1["txt_CN"].AddItem("x"), FormsError);
  EXPECT_THROW(form1["no_such_control"], FormsError);
}

TEST_F(GtkRuntime, VisibilityAndEnabledReachTheWidgets) {
  FormWindow& form1 = LoadForm1();
  form1["img_Warn"].SetVisible(true);
  form1["cmd_Sync"].SetEnabled(true);
  form1["txt_NB"].SetVisible(false);
  EXPECT_TRUE(gtk_widget_get_visible(WidgetOf(form1, "img_Warn")));
  EXPECT_TRUE(gtk_widget_get_sensitive(WidgetOf(form1, "cmd_Sync")));
  EXPECT_FALSE(gtk_widget_get_visible(WidgetOf(form1, "txt_NB")));
  EXPECT_TRUE(form1["img_Warn"].Visible());
  EXPECT_FALSE(form1["txt_NB"].Visible());
}

TEST_F(GtkRuntime, FocusGoesToTheFirstFocusableControlOnShow) {
  FormWindow& form1 = LoadForm1();
  EXPECT_EQ(form1.FocusedControl(), "");
  form1.Show();
  EXPECT_EQ(form1.FocusedControl(), "cbo_IP");  // the button is still disabled
  form1.Hide();
  form1["cmd_Sync"].SetEnabled(true);
  form1.Show();
  EXPECT_EQ(form1.FocusedControl(), "cmd_Sync");

  FormWindow& dialog = LoadDialog();
  dialog.Show();
  EXPECT_EQ(dialog.FocusedControl(), "OKButton");
  EXPECT_EQ(form1.FocusedControl(), "cmd_Sync");  // kept while the dialog has the keyboard
}

TEST_F(GtkRuntime, TabWalksTheFocusableControlsInTabOrder) {
  FormWindow& form1 = LoadForm1();
  form1["cmd_Sync"].SetEnabled(true);
  form1.Show();
  Settle();
  std::vector<std::string> visited{form1.FocusedControl()};
  for (int i = 0; i < 5; ++i) {
    PressKey(form1.GtkWindowWidget(), GDK_KEY_Tab);
    visited.push_back(form1.FocusedControl());
  }
  EXPECT_THAT(visited, ElementsAre("cmd_Sync", "cbo_IP", "txt_CN", "txt_NB", "txt_DNS", "cmd_Sync"));
}

TEST_F(GtkRuntime, SpaceAndEnterPressTheFocusedButtonAndEscapeDoesNothing) {
  FormWindow& dialog = LoadDialog();
  int clicks = 0;
  dialog.OnClick("OKButton", [&] { ++clicks; });
  dialog.Show();
  Settle();
  PressKey(dialog.GtkWindowWidget(), GDK_KEY_space);
  PressKey(dialog.GtkWindowWidget(), GDK_KEY_Return);
  EXPECT_EQ(clicks, 2);
  PressKey(dialog.GtkWindowWidget(), GDK_KEY_Escape);
  EXPECT_TRUE(dialog.Loaded());
  EXPECT_TRUE(dialog.Visible());
  EXPECT_EQ(clicks, 2);
}

TEST_F(GtkRuntime, TheTitleBarCloseUnloads) {
  FormWindow& dialog = LoadDialog();
  std::vector<std::string> events;
  dialog.OnClose([&] { events.push_back(dialog.Loaded() ? "close while loaded" : "close after unload"); });
  dialog.Show();
  Settle();
  gtk_window_close(GTK_WINDOW(dialog.GtkWindowWidget()));  // what the window manager's close sends
  Settle();
  EXPECT_THAT(events, ElementsAre("close while loaded"));
  EXPECT_FALSE(dialog.Loaded());
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(dialog.GtkWindowWidget(), nullptr);
}

TEST_F(GtkRuntime, AWindowUnloadedFromItsOwnClickComesBackFresh) {
  FormWindow& dialog = LoadDialog();
  FormWindow& form1 = LoadForm1();
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
  gtk_button_clicked(GTK_BUTTON(WidgetOf(dialog, "CancelButton")));
  Settle();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(dialog.Loaded());
  EXPECT_TRUE(form1.Visible());
  EXPECT_EQ(form1["txt_CN"].Text(), "");  // shown again means loaded again, from the table

  Window& again = forms_->Load(FrmInfoWindow());
  EXPECT_EQ(&again, &dialog);
  again.Show();
  gtk_button_clicked(GTK_BUTTON(WidgetOf(dialog, "CancelButton")));
  EXPECT_EQ(clicks, 2);  // handlers stay with the window across loads
}

TEST_F(GtkRuntime, ADisabledButtonRaisesNoClick) {
  FormWindow& form1 = LoadForm1();
  int clicks = 0;
  form1.OnClick("cmd_Sync", [&] { ++clicks; });
  form1.Show();
  Settle();
  gtk_widget_activate(WidgetOf(form1, "cmd_Sync"));
  EXPECT_EQ(clicks, 0);
}

TEST_F(GtkRuntime, AnErrorInAHandlerIsReportedAndTheProgramGoesOn) {
  FormWindow& dialog = LoadDialog();
  dialog.OnClick("OKButton", [] { throw FormsError("the handler failed"); });
  dialog.Show();
  ::testing::internal::CaptureStderr();
  gtk_button_clicked(GTK_BUTTON(WidgetOf(dialog, "OKButton")));
  EXPECT_THAT(::testing::internal::GetCapturedStderr(), ::testing::HasSubstr("the handler failed"));
  EXPECT_TRUE(dialog.Visible());
}

TEST_F(GtkRuntime, EndClosesEveryWindowAndThrowsEndProgram) {
  LoadForm1().Show();
  LoadDialog().Show();
  EXPECT_THROW(forms_->End(), EndProgram);
  EXPECT_FALSE(forms_->AnyWindowLoaded());
}

TEST_F(GtkRuntime, EndingFromAClickEndsTheProcessWithStatusZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        FormWindow& dialog = LoadDialog();
        dialog.OnClick("OKButton", [this] {
          std::printf("written before the end");
          forms_->End();
        });
        dialog.Show();
        gtk_button_clicked(GTK_BUTTON(WidgetOf(dialog, "OKButton")));
        std::fprintf(stderr, "the click returned\n");
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(GtkRuntime, RunReturnsOnceNoWindowIsLoaded) {
  struct Later {
    FormWindow* window;
    bool ran = false;
  } later{&LoadForm1()};
  later.window->Show();
  later.window->Hide();  // hidden is still loaded
  g_timeout_add(50, +[](gpointer data) -> gboolean {
    auto* self = static_cast<Later*>(data);
    self->ran = true;
    self->window->Unload();
    return G_SOURCE_REMOVE;
  }, &later);
  forms_->Run();
  EXPECT_TRUE(later.ran);
  EXPECT_FALSE(forms_->AnyWindowLoaded());
}

// ---- Message boxes ------------------------------------------------------------------

struct BoxSeen {
  std::string title, text, role;
  bool modal = false, okHasFocus = false, hasImage = false;
  AtkRole atkRole = ATK_ROLE_INVALID;
  std::string okLabel;
};

struct BoxCase { const char* name; int style; guint closingKey; bool image; };
void PrintTo(const BoxCase& c, std::ostream* out) { *out << c.name; }
class MessageBoxes : public GtkRuntime, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(MessageBoxes, AreModalTitledAndReturnWhenClosed) {
  BoxSeen seen;
  RunMessageBox("Der DNS-Name  kann nicht\r\nBitte wenden Sie sich", GetParam().style, [&](GtkWidget* box) {
    gchar* text = nullptr;
    g_object_get(box, "text", &text, nullptr);
    GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GtkWidget* image = gtk_message_dialog_get_image(GTK_MESSAGE_DIALOG(box));
    G_GNUC_END_IGNORE_DEPRECATIONS
    seen = {gtk_window_get_title(GTK_WINDOW(box)), text ? text : "", gtk_window_get_role(GTK_WINDOW(box)),
            static_cast<bool>(gtk_window_get_modal(GTK_WINDOW(box))), ok && gtk_window_get_focus(GTK_WINDOW(box)) == ok,
            image && gtk_widget_get_visible(image) && GTK_IS_IMAGE(image) &&
                gtk_image_get_storage_type(GTK_IMAGE(image)) == GTK_IMAGE_PIXBUF,
            atk_object_get_role(gtk_widget_get_accessible(box))};
    if (ok) seen.okLabel = gtk_button_get_label(GTK_BUTTON(ok));
    g_free(text);
    PressKey(box, GetParam().closingKey);
  });
  EXPECT_EQ(seen.title, "Hostwarden");
  EXPECT_EQ(seen.text, "Der DNS-Name  kann nicht\nBitte wenden Sie sich");
  EXPECT_EQ(seen.role, "MsgBox");
  EXPECT_EQ(seen.okLabel, Text(Msg::ButtonOk));  // the catalogue's, not GTK's stock "_OK"
  EXPECT_TRUE(seen.modal);
  EXPECT_TRUE(seen.okHasFocus);
  EXPECT_EQ(seen.hasImage, GetParam().image);
  EXPECT_EQ(seen.atkRole, ATK_ROLE_ALERT);
}

INSTANTIATE_TEST_SUITE_P(StylesAndKeys, MessageBoxes,
                         ::testing::Values(BoxCase{"NoIconClosedWithReturn", 0, GDK_KEY_Return, false},
                                           BoxCase{"StopClosedWithSpace", 16, GDK_KEY_space, true},
                                           BoxCase{"WarningClosedWithEscape", 48, GDK_KEY_Escape, true},
                                           BoxCase{"InformationClosedWithReturn", 64, GDK_KEY_Return, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GtkRuntime, ReportsTheCommandLineAndOneInstancePerName) {
  EXPECT_EQ(forms_->Command(), "-Q extra");
  std::string name = UniqueInstanceName();
  GtkForms first("", name), second("", name);
  EXPECT_FALSE(first.PrevInstance());
  EXPECT_TRUE(second.PrevInstance());
  EXPECT_FALSE(first.PrevInstance());  // the answer holds for the run
}

// ---- What screen readers get ----------------------------------------------------------

std::vector<AtkObject*> Related(AtkObject* object, AtkRelationType type) {
  std::vector<AtkObject*> targets;
  AtkRelationSet* set = atk_object_ref_relation_set(object);
  if (AtkRelation* relation = atk_relation_set_get_relation_by_type(set, type)) {
    GPtrArray* all = atk_relation_get_target(relation);
    for (guint i = 0; i < all->len; ++i) targets.push_back(ATK_OBJECT(g_ptr_array_index(all, i)));
  }
  g_object_unref(set);
  return targets;
}

TEST_F(GtkRuntime, EveryControlHasItsRoleAndNameAndCaptionsNameTheirFields) {
  FormWindow& form1 = LoadForm1();
  Fill(form1);
  form1.Show();
  struct Expected { const char* control; AtkRole role; std::string name; const char* caption; };
  const std::string computerName(Text(Msg::WindowComputerName)), addresses(Text(Msg::WindowAddresses));
  for (const Expected& e : {
           Expected{"txt_CN", ATK_ROLE_TEXT, computerName, "Label7"},
           Expected{"txt_NB", ATK_ROLE_TEXT, std::string(Text(Msg::WindowNetbiosName)), "lbl_NB"},
           Expected{"txt_DNS", ATK_ROLE_TEXT, std::string(Text(Msg::WindowDnsHostName)), "Label3"},
           Expected{"cbo_IP", ATK_ROLE_COMBO_BOX, addresses, "Label2"},
           Expected{"lbl_System", ATK_ROLE_LABEL, "Linux 6.1.0-28-amd64 (Debian GNU/Linux 12 (bookworm))", "Label4"},
           Expected{"lbl_Username", ATK_ROLE_LABEL, "hildegard.muster", "Label5"},
           Expected{"lbl_Conn", ATK_ROLE_LABEL, "LAN", "Label1"},
           Expected{"cmd_Sync", ATK_ROLE_PUSH_BUTTON, std::string(Text(Msg::WindowSyncButton)), nullptr},
           Expected{"img_Warn", ATK_ROLE_ICON, std::string(Text(Msg::WindowWarningPicture)), nullptr},
           Expected{"Label7", ATK_ROLE_LABEL, computerName, nullptr},
       }) {
    SCOPED_TRACE(e.control);
    AtkObject* accessible = gtk_widget_get_accessible(WidgetOf(form1, e.control));
    EXPECT_EQ(atk_object_get_role(accessible), e.role);
    EXPECT_EQ(atk_object_get_name(accessible), e.name);
    if (!e.caption) continue;
    AtkObject* caption = gtk_widget_get_accessible(WidgetOf(form1, e.caption));
    EXPECT_THAT(Related(accessible, ATK_RELATION_LABELLED_BY), ElementsAre(caption));
    EXPECT_THAT(Related(caption, ATK_RELATION_LABEL_FOR), ::testing::Contains(accessible));
  }
  AtkObject* field = gtk_widget_get_accessible(gtk_bin_get_child(GTK_BIN(WidgetOf(form1, "cbo_IP"))));
  EXPECT_EQ(atk_object_get_name(field), addresses);
  EXPECT_EQ(atk_object_get_role(gtk_widget_get_accessible(form1.GtkWindowWidget())), ATK_ROLE_FRAME);
}

// The warning dialog is an alert, and a reader meets its heading and
// sentences in the order they are seen, before its buttons.
TEST_F(GtkRuntime, TheWarningDialogIsAnAlertReadTopToBottom) {
  FormWindow& dialog = LoadDialog();
  dialog.Show();
  Settle();
  AtkObject* window = gtk_widget_get_accessible(dialog.GtkWindowWidget());
  EXPECT_EQ(atk_object_get_role(window), ATK_ROLE_ALERT);
  std::vector<std::string> read;
  std::function<void(AtkObject*)> walk = [&](AtkObject* object) {
    for (int i = 0; i < atk_object_get_n_accessible_children(object); ++i) {
      AtkObject* child = atk_object_ref_accessible_child(object, i);
      AtkRole role = atk_object_get_role(child);
      if (role == ATK_ROLE_LABEL || role == ATK_ROLE_PUSH_BUTTON) read.push_back(atk_object_get_name(child));
      else walk(child);
      g_object_unref(child);
    }
  };
  walk(window);
  EXPECT_THAT(read, ElementsAre(Text(Msg::DialogHeading), Text(Msg::DialogNamesDiffer), Text(Msg::DialogAgainstRules),
                                Text(Msg::DialogClickOk), Text(Msg::ButtonOk), Text(Msg::DialogDetails)));
}

// ---- The heading's colour on the theme -----------------------------------------------

Colour ShownColour(GtkWidget* widget) {
  GdkRGBA c;
  gtk_style_context_get_color(gtk_widget_get_style_context(widget), GTK_STATE_FLAG_NORMAL, &c);
  return {c.red, c.green, c.blue};
}

Colour ThemeColour(GtkWidget* widget, const char* name) {
  GdkRGBA c{};
  gtk_style_context_lookup_color(gtk_widget_get_style_context(widget), name, &c);
  return {c.red, c.green, c.blue};
}

struct ThemeCase { const char* theme; bool dark; bool highContrast; };
// The case's name: the theme's, with "Dark" for its dark variant.
std::string NameOf(const ThemeCase& c) { return std::string(c.theme) + (c.dark ? "Dark" : ""); }
void PrintTo(const ThemeCase& c, std::ostream* out) { *out << NameOf(c); }
class Themes : public GtkRuntime, public ::testing::WithParamInterface<ThemeCase> {};

TEST_P(Themes, TheHeadingStaysReadable) {
  GtkSettings* settings = gtk_settings_get_default();
  g_object_set(settings, "gtk-theme-name", GetParam().theme, "gtk-application-prefer-dark-theme",
               GetParam().dark, nullptr);
  FormWindow& dialog = LoadDialog();
  dialog.Show();
  Settle();
  GtkWidget* heading = WidgetOf(dialog, "Label1");
  Colour shown = ShownColour(heading);
  Colour background = ThemeColour(heading, "theme_bg_color");
  EXPECT_GE(ContrastRatio(shown, background), kLeastTextContrast);
  if (GetParam().highContrast) {
    Colour foreground = ThemeColour(heading, "theme_fg_color");
    EXPECT_NEAR(shown.r, foreground.r, 0.01);
    EXPECT_NEAR(shown.g, foreground.g, 0.01);
    EXPECT_NEAR(shown.b, foreground.b, 0.01);
  } else {
    EXPECT_GT(shown.r, shown.g + 0.2);  // still red
  }
  g_object_set(settings, "gtk-theme-name", "Adwaita", "gtk-application-prefer-dark-theme", FALSE, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Named, Themes,
                         ::testing::Values(ThemeCase{"Adwaita", false, false}, ThemeCase{"Adwaita", true, false},
                                           ThemeCase{"HighContrast", false, true},
                                           ThemeCase{"HighContrastInverse", false, true}),
                         [](const auto& info) { return NameOf(info.param); });

}  // namespace
}  // namespace hw::gtk
