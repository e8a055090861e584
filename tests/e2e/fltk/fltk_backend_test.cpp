// The FLTK forms backend in process, on a private Xvfb screen at 96 dpi
// (see fltk_e2e.py xvfb-run): geometry from the window tables, control
// state, focus and tab order, clicks and keys, closing, ending, message boxes.
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
#include "platform/posix/fltk/fltk_layout.h"
#include "platform/posix/fltk/fltk_message_box.h"
#include "platform/posix/fltk/fltk_runtime.h"
#include "platform/posix/fltk/fltk_text_fit.h"
#include "platform/posix/fltk/fltk_widgets.h"
#include "platform/posix/fltk/ico_image.h"
#include "platform/posix/fltk/message_lines.h"
#include "platform/posix/fltk/x11_window_hints.h"
#include "ui/windows.h"

#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/fl_draw.H>

namespace hw {
namespace {

using ::testing::ElementsAre;

// ---- Icons ----------------------------------------------------------------------

// The character art the icons are drawn from, read from the generator.
struct Art {
  std::map<char, std::array<int, 3>> palette;
  std::map<std::string, std::vector<std::string>> images;
};

Art ReadArt() {
  std::ifstream in(std::string(HOSTWARDEN_SOURCE_DIR) + "/resources/icons/draw_icons.py");
  std::stringstream text;
  text << in.rdbuf();
  std::string source = text.str();
  Art art;
  std::regex colour(R"re(\("(.)", \(0x([0-9A-F]{2}), 0x([0-9A-F]{2}), 0x([0-9A-F]{2})\)\))re");
  for (std::sregex_iterator it(source.begin(), source.end(), colour), end; it != end; ++it)
    art.palette[(*it)[1].str()[0]] = {std::stoi((*it)[2], nullptr, 16), std::stoi((*it)[3], nullptr, 16),
                                      std::stoi((*it)[4], nullptr, 16)};
  std::regex block(R"re((\w+_\d+) = \[\n((?:    "[^"]*",\n)+)\])re");
  std::regex row(R"re("([^"]*)")re");
  for (std::sregex_iterator it(source.begin(), source.end(), block), end; it != end; ++it) {
    std::string rows = (*it)[2];
    for (std::sregex_iterator r(rows.begin(), rows.end(), row); r != end; ++r)
      art.images[(*it)[1]].push_back((*r)[1]);
  }
  return art;
}

void ExpectImageIsArt(const IconImage& image, const std::vector<std::string>& rows, const Art& art) {
  ASSERT_EQ(image.height, static_cast<int>(rows.size()));
  for (int y = 0; y < image.height; ++y) {
    ASSERT_EQ(image.width, static_cast<int>(rows[y].size()));
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = &image.rgba[(y * image.width + x) * 4];
      char c = rows[y][x];
      if (c == '.') {
        EXPECT_EQ(p[3], 0) << "pixel " << x << "," << y << " should be transparent";
        continue;
      }
      auto rgb = art.palette.at(c);
      EXPECT_EQ(std::vector<int>({p[0], p[1], p[2], p[3]}), std::vector<int>({rgb[0], rgb[1], rgb[2], 255}))
          << "pixel " << x << "," << y << " ('" << c << "')";
    }
  }
}

TEST(EmbeddedIcons, HoldExactlyTheArtTheyAreDrawnFrom) {
  Art art = ReadArt();
  ASSERT_EQ(art.palette.size(), 16u);
  ASSERT_EQ(art.images.size(), 4u);
  auto network = DecodeIco(NetworkIconFile());
  auto warning = DecodeIco(WarningIconFile());
  ASSERT_EQ(network.size(), 2u);
  ASSERT_EQ(warning.size(), 2u);
  ExpectImageIsArt(network[0], art.images["NETWORK_32"], art);
  ExpectImageIsArt(network[1], art.images["NETWORK_16"], art);
  ExpectImageIsArt(warning[0], art.images["WARNING_32"], art);
  ExpectImageIsArt(warning[1], art.images["WARNING_16"], art);
}

// A small .ico built here: one image, palette entry i is colour (i, 2i, 3i).
std::vector<unsigned char> MakeIco(int width, int height, int bits, const std::vector<int>& indices,
                                   const std::vector<bool>& transparent) {
  auto put16 = [](std::vector<unsigned char>& v, unsigned x) { v.push_back(x & 0xFF); v.push_back(x >> 8 & 0xFF); };
  auto put32 = [&](std::vector<unsigned char>& v, unsigned x) { put16(v, x & 0xFFFF); put16(v, x >> 16); };
  int colours = 1 << bits;
  std::size_t xorRow = (width * bits + 31) / 32 * 4, andRow = (width + 31) / 32 * 4;
  std::vector<unsigned char> image;
  put32(image, 40); put32(image, width); put32(image, height * 2); put16(image, 1); put16(image, bits);
  for (int i = 0; i < 6; ++i) put32(image, 0);
  for (int i = 0; i < colours; ++i) { image.push_back(3 * i & 0xFF); image.push_back(2 * i & 0xFF); image.push_back(i); image.push_back(0); }
  for (int y = height - 1; y >= 0; --y) {
    std::vector<unsigned char> row(xorRow);
    for (int x = 0; x < width; ++x) {
      int bit = x * bits;
      row[bit / 8] |= indices[y * width + x] << (8 - bits - bit % 8);
    }
    image.insert(image.end(), row.begin(), row.end());
  }
  for (int y = height - 1; y >= 0; --y) {
    std::vector<unsigned char> row(andRow);
    for (int x = 0; x < width; ++x)
      if (transparent[y * width + x]) row[x / 8] |= 0x80 >> (x % 8);
    image.insert(image.end(), row.begin(), row.end());
  }
  std::vector<unsigned char> file;
  put16(file, 0); put16(file, 1); put16(file, 1);
  file.push_back(width); file.push_back(height); file.push_back(0); file.push_back(0);
  put16(file, 1); put16(file, bits); put32(file, image.size()); put32(file, 22);
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

struct DepthCase { int bits, width, height; };
class IcoDepths : public ::testing::TestWithParam<DepthCase> {};

// Odd widths need row padding; the first row is stored last.
TEST_P(IcoDepths, DecodesEveryPixelAndTheMask) {
  auto [bits, width, height] = GetParam();
  std::vector<int> indices;
  std::vector<bool> transparent;
  for (int i = 0; i < width * height; ++i) {
    indices.push_back((i * 7 + 3) % (1 << bits));
    transparent.push_back(i % 5 == 0);
  }
  auto images = DecodeIco(MakeIco(width, height, bits, indices, transparent));
  ASSERT_EQ(images.size(), 1u);
  ASSERT_EQ(images[0].width, width);
  ASSERT_EQ(images[0].height, height);
  for (int i = 0; i < width * height; ++i) {
    const std::uint8_t* p = &images[0].rgba[i * 4];
    if (transparent[i]) {
      EXPECT_EQ(p[3], 0) << i;
    } else {
      int c = indices[i];
      EXPECT_EQ(std::vector<int>({p[0], p[1], p[2], p[3]}), std::vector<int>({c, 2 * c & 0xFF, 3 * c & 0xFF, 255})) << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, IcoDepths,
                         ::testing::Values(DepthCase{1, 9, 3}, DepthCase{4, 5, 4}, DepthCase{4, 32, 32},
                                           DepthCase{8, 3, 2}, DepthCase{1, 33, 2}));

struct BrokenCase { const char* what; std::function<void(std::vector<unsigned char>&)> damage; };
class BrokenIco : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenIco, IsRefusedWithIcoError) {
  std::vector<unsigned char> file = MakeIco(4, 4, 4, std::vector<int>(16, 1), std::vector<bool>(16, false));
  GetParam().damage(file);
  EXPECT_THROW(DecodeIco(file), IcoError);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, BrokenIco,
    ::testing::Values(
        BrokenCase{"empty", [](auto& f) { f.clear(); }},
        BrokenCase{"cursor type", [](auto& f) { f[2] = 2; }},
        BrokenCase{"no images", [](auto& f) { f[4] = 0; }},
        BrokenCase{"cut in the mask", [](auto& f) { f.resize(f.size() - 3); }},
        BrokenCase{"cut in the directory", [](auto& f) { f.resize(10); }},
        BrokenCase{"offset past the end", [](auto& f) { f[18] = 0xF0; }},
        BrokenCase{"24 bits a pixel", [](auto& f) { f[22 + 14] = 24; }},
        BrokenCase{"compressed", [](auto& f) { f[22 + 16] = 1; }},
        BrokenCase{"odd doubled height", [](auto& f) { f[22 + 8] = 7; }},
        BrokenCase{"negative width", [](auto& f) { f[22 + 7] = 0x80; }},
        BrokenCase{"two images announced", [](auto& f) { f[4] = 2; }}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& c : name) if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

TEST(IconOfSize, PicksByWidthAndRefusesAMissingSize) {
  EXPECT_EQ(IconOfSize(WarningIconFile(), 16).width, 16);
  EXPECT_EQ(IconOfSize(WarningIconFile(), 32).width, 32);
  EXPECT_THROW(IconOfSize(WarningIconFile(), 48), IcoError);
}

// ---- Layout ---------------------------------------------------------------------

struct DpiCase { double reported; int used; };
class LayoutDpiCases : public ::testing::TestWithParam<DpiCase> {};
TEST_P(LayoutDpiCases, RoundsToTheWindowsSteps) { EXPECT_EQ(LayoutDpi(GetParam().reported), GetParam().used); }
INSTANTIATE_TEST_SUITE_P(Reported, LayoutDpiCases,
                         ::testing::Values(DpiCase{0, 96}, DpiCase{-5, 96}, DpiCase{NAN, 96}, DpiCase{75, 96},
                                           DpiCase{96, 96}, DpiCase{100, 96}, DpiCase{107.9, 96},
                                           DpiCase{108, 120}, DpiCase{120, 120}, DpiCase{144, 144},
                                           DpiCase{192, 192}, DpiCase{100000, 480}));

const ControlSpec& ControlOf(const WindowSpec& window, const char* name) {
  const ControlSpec* control = window.Find(name);
  if (!control) throw std::logic_error(std::string("no control ") + name);
  return *control;
}

TEST(ControlPixels, ConvertsTheMainWindowTable) {
  const WindowSpec& form1 = Form1Window();
  EXPECT_EQ(ClientPixels(form1, 96), (PixelRect{3, 22, 310, 201}));
  EXPECT_EQ(ControlPixels(ControlOf(form1, "cmd_Sync"), 96), (PixelRect{176, 165, 121, 25}));
  EXPECT_EQ(ControlPixels(ControlOf(form1, "cbo_IP"), 96), (PixelRect{8, 168, 113, 21}));
  EXPECT_EQ(ControlPixels(ControlOf(form1, "img_Warn"), 96), (PixelRect{144, 160, 32, 32}));
  EXPECT_EQ(ControlPixels(ControlOf(form1, "Line1"), 96), (PixelRect{8, 40, 289, 1}));
  EXPECT_EQ(ClientPixels(FrmInfoWindow(), 96), (PixelRect{184, 250, 260, 168}));
  EXPECT_EQ(ClientPixels(form1, 144), (PixelRect{5, 33, 465, 302}));
}

TEST(ControlPixels, LineBoxHoldsBothEndsWhicheverWayItRuns) {
  ControlSpec line{"l", ControlKind::Line, "", 300, 300, -150, 150};
  EXPECT_EQ(ControlPixels(line, 96), (PixelRect{10, 20, 11, 11}));
  ControlSpec vertical{"v", ControlKind::Line, "", 150, 300, 0, -300};
  EXPECT_EQ(ControlPixels(vertical, 96), (PixelRect{10, 0, 1, 21}));
}

std::vector<std::string> Names(const std::vector<const ControlSpec*>& controls) {
  std::vector<std::string> names;
  for (const ControlSpec* c : controls) names.push_back(c->name);
  return names;
}

TEST(CreationOrder, FollowsTabIndexesWithUnindexedControlsLast) {
  EXPECT_THAT(Names(CreationOrder(FrmInfoWindow())),
              ElementsAre("OKButton", "CancelButton", "Label1", "Label2", "Label3", "Label4", "Line1"));
  auto form1 = Names(CreationOrder(Form1Window()));
  ASSERT_EQ(form1.size(), 19u);
  EXPECT_EQ(form1.front(), "cmd_Sync");
  EXPECT_THAT(std::vector<std::string>(form1.end() - 2, form1.end()), ElementsAre("Line1", "img_Warn"));
}

// ---- Message texts ----------------------------------------------------------------

struct LinesCase { const char* text; std::vector<std::string> lines; };
class MessageLinesCases : public ::testing::TestWithParam<LinesCase> {};
TEST_P(MessageLinesCases, BreakAtCrLfAndLoneBreaks) { EXPECT_EQ(MessageLines(GetParam().text), GetParam().lines); }
INSTANTIATE_TEST_SUITE_P(
    Texts, MessageLinesCases,
    ::testing::Values(LinesCase{"", {""}}, LinesCase{"one", {"one"}}, LinesCase{"a\r\nb", {"a", "b"}},
                      LinesCase{"a\r\n", {"a", ""}}, LinesCase{"\r\nb", {"", "b"}},
                      LinesCase{"a\r\n\r\nb", {"a", "", "b"}}, LinesCase{"a\rb\nc", {"a", "b", "c"}},
                      LinesCase{"a\n\rb", {"a", "", "b"}}, LinesCase{"Der DNS-Name  kann", {"Der DNS-Name  kann"}}));

TEST(MessageDisplayText, KeepsLeadingAndDoubledBreaks) {
  EXPECT_EQ(MessageDisplayText("\r\nx\r\n\r\ny"), "\nx\n\ny");
}

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
  for (const WindowSpec* definition : {&Form1Window(), &FrmInfoWindow()}) {
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
  for (const WindowSpec* definition : {&Form1Window(), &FrmInfoWindow()}) {
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
  EXPECT_STREQ(WidgetOf(form1, "cmd_Sync")->label(), "Namen synchronisieren");
  EXPECT_STREQ(WidgetOf(form1, "cmd_Sync")->tooltip(), "DNS-Kurzname wird Computer- und NetBios-Name");
  EXPECT_EQ(static_cast<CaptionBox*>(WidgetOf(form1, "Label2"))->text(), "IP-Addresse(n)");
  EXPECT_TRUE(WidgetOf(form1, "lbl_NB")->visible());
  EXPECT_EQ(form1["txt_DNS"].Text(), "");

  FltkWindow& dialog = LoadDialog();
  Fl_Widget* heading = WidgetOf(dialog, "Label1");
  EXPECT_EQ(heading->labelfont(), forms_->Look().boldFont);
  EXPECT_EQ(heading->labelcolor(), fl_rgb_color(192, 0, 0));
  EXPECT_EQ(heading->labelsize(), 11);
  EXPECT_EQ(WidgetOf(dialog, "Label2")->labelfont(), forms_->Look().font);
  EXPECT_EQ(static_cast<CaptionBox*>(WidgetOf(dialog, "Label3"))->text(),
            "Sie verstossen damit gegen  die Betriebsregelung für das Datennetz der Universität Falkenau.");
}

// What FLTK itself measures for a text in a widget's font: wrapped at
// `wrapWidth`, or on one line when it is 0.
PixelRect Measured(const std::string& text, Fl_Font font, int size, int wrapWidth) {
  fl_font(font, size);
  int w = wrapWidth, h = 0;
  fl_measure(text.c_str(), w, h, 0);
  return {0, 0, w, h};
}

void ExpectEveryTextFits(FltkWindow& window, const WindowSpec& definition) {
  for (const ControlSpec& control : definition.controls) {
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
}  // namespace hw
