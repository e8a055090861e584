// The window module's pure functions: the icons and their decoder, the
// layout arithmetic from the window tables, which caption names which
// field, the message texts and the contrast of a coloured text. They draw
// nothing, so they need no screen (the window runtime itself is tested
// under Xvfb in tests/e2e/gtk).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/posix/gtk/embedded_icons.h"
#include "platform/posix/gtk/ico_image.h"
#include "platform/posix/gtk/layout.h"
#include "platform/posix/gtk/look.h"
#include "platform/posix/gtk/message_lines.h"
#include "platform/posix/gtk/pictures.h"
#include "ui/window_tables.h"

namespace hw::gtk {
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

struct DepthCase { const char* name; int bits, width, height; };
void PrintTo(const DepthCase& c, std::ostream* out) { *out << c.name; }
class IcoDepths : public ::testing::TestWithParam<DepthCase> {};

// Odd widths need row padding; the first row is stored last.
TEST_P(IcoDepths, DecodesEveryPixelAndTheMask) {
  auto [name, bits, width, height] = GetParam();
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
                         ::testing::Values(DepthCase{"OneBitRowsPadded", 1, 9, 3},
                                           DepthCase{"FourBitsOddWidth", 4, 5, 4},
                                           DepthCase{"FourBitsFullSize", 4, 32, 32},
                                           DepthCase{"EightBitsOddWidth", 8, 3, 2},
                                           DepthCase{"OneBitPastAWord", 1, 33, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BrokenCase { const char* what; std::function<void(std::vector<unsigned char>&)> damage; };
void PrintTo(const BrokenCase& c, std::ostream* out) { *out << c.what; }
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

TEST(LeastFittingScale, GrowsInStepsFromOneAndStopsAtTheLargest) {
  EXPECT_EQ(LeastFittingScale([](double) { return true; }), 1.0);
  EXPECT_EQ(LeastFittingScale([](double scale) { return scale >= 1.3; }), 1.3125);
  EXPECT_EQ(LeastFittingScale([](double scale) { return scale >= 2; }), 2.0);
  EXPECT_EQ(LeastFittingScale([](double) { return false; }), kLargestScale);
}

const ControlData& ControlOf(const WindowData& window, const char* name) {
  const ControlData* control = window.Find(name);
  if (!control) throw std::logic_error(std::string("no control ") + name);
  return *control;
}

TEST(ControlPixels, ConvertsTheMainWindowTableAndScalesIt) {
  const WindowData& form1 = Form1Window();
  EXPECT_EQ(ClientPixels(form1, 1), (PixelRect{3, 22, 310, 201}));
  EXPECT_EQ(ControlPixels(ControlOf(form1, "cmd_Sync"), 1), (PixelRect{176, 165, 121, 25}));
  EXPECT_EQ(ControlPixels(ControlOf(form1, "cbo_IP"), 1), (PixelRect{8, 168, 113, 21}));
  EXPECT_EQ(ControlPixels(ControlOf(form1, "img_Warn"), 1), (PixelRect{144, 160, 32, 32}));
  EXPECT_EQ(ControlPixels(ControlOf(form1, "Line1"), 1), (PixelRect{8, 40, 289, 1}));
  EXPECT_EQ(ClientPixels(FrmInfoWindow(), 1), (PixelRect{184, 250, 260, 168}));
  // The stored place stays; the sizes grow, every one by the same factor.
  EXPECT_EQ(ClientPixels(form1, 1.5), (PixelRect{3, 22, 465, 302}));
  EXPECT_EQ(ControlPixels(ControlOf(form1, "cmd_Sync"), 2), (PixelRect{352, 330, 242, 50}));
}

TEST(ControlPixels, LineBoxHoldsBothEndsWhicheverWayItRuns) {
  ControlData line{"l", ControlKind::Line, "", 300, 300, -150, 150};
  EXPECT_EQ(ControlPixels(line, 1), (PixelRect{10, 20, 11, 11}));
  ControlData vertical{"v", ControlKind::Line, "", 150, 300, 0, -300};
  EXPECT_EQ(ControlPixels(vertical, 1), (PixelRect{10, 0, 1, 21}));
}

std::vector<std::string> Names(const std::vector<const ControlData*>& controls) {
  std::vector<std::string> names;
  for (const ControlData* c : controls) names.push_back(c->name);
  return names;
}

TEST(TabOrder, FollowsTabIndexesAndLeavesOutControlsWithout) {
  EXPECT_THAT(Names(TabOrder(FrmInfoWindow())),
              ElementsAre("OKButton", "CancelButton", "Label1", "Label2", "Label3", "Label4"));
  auto form1 = Names(TabOrder(Form1Window()));
  ASSERT_EQ(form1.size(), 17u);
  EXPECT_EQ(form1.front(), "cmd_Sync");
  EXPECT_EQ(form1.back(), "lbl_Conn");
}

// Which caption names which value control, as a screen reader says it.
TEST(NamingLabel, PairsEveryValueControlOfTheMainWindowWithItsCaption) {
  const WindowData& form1 = Form1Window();
  std::map<std::string, std::string> named;
  for (const auto& control : form1.controls)
    if (const ControlData* caption = NamingLabel(form1, control)) named[control.name] = caption->caption;
  EXPECT_EQ(named, (std::map<std::string, std::string>{{"lbl_System", "System:"},
                                                        {"lbl_IE", "IE-Version:"},
                                                        {"lbl_Username", "Username:"},
                                                        {"lbl_Conn", "Verbindung:"},
                                                        {"txt_CN", "Computername"},
                                                        {"txt_NB", "NetBIOS-Name"},
                                                        {"txt_DNS", "DNS-Hostname"},
                                                        {"cbo_IP", "IP-Addresse(n)"}}));
  for (const auto& control : FrmInfoWindow().controls)
    EXPECT_EQ(NamingLabel(FrmInfoWindow(), control), nullptr) << control.name;
}

// ---- Message texts ----------------------------------------------------------------

struct LinesCase { const char* name; const char* text; std::vector<std::string> lines; };
void PrintTo(const LinesCase& c, std::ostream* out) { *out << c.name; }
class MessageLinesCases : public ::testing::TestWithParam<LinesCase> {};
TEST_P(MessageLinesCases, BreakAtCrLfAndLoneBreaks) { EXPECT_EQ(MessageLines(GetParam().text), GetParam().lines); }
INSTANTIATE_TEST_SUITE_P(
    Texts, MessageLinesCases,
    ::testing::Values(LinesCase{"Empty", "", {""}}, LinesCase{"OneLine", "one", {"one"}},
                      LinesCase{"CrLf", "a\r\nb", {"a", "b"}}, LinesCase{"TrailingCrLf", "a\r\n", {"a", ""}},
                      LinesCase{"LeadingCrLf", "\r\nb", {"", "b"}},
                      LinesCase{"DoubledCrLf", "a\r\n\r\nb", {"a", "", "b"}},
                      LinesCase{"LoneCrAndLoneLf", "a\rb\nc", {"a", "b", "c"}},
                      LinesCase{"LfThenCr", "a\n\rb", {"a", "", "b"}},
                      LinesCase{"DoubledBlanksKept", "Der DNS-Name  kann", {"Der DNS-Name  kann"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageDisplayText, KeepsLeadingAndDoubledBreaks) {
  EXPECT_EQ(MessageDisplayText("\r\nx\r\n\r\ny"), "\nx\n\ny");
}

// ---- Pictures and message icons -------------------------------------------------------

TEST(Pictures, StylesPickTheirIcons) {
  EXPECT_EQ(IconForStyle(kMbIconHand), MessageIcon::Stop);
  EXPECT_EQ(IconForStyle(kMbIconExclamation), MessageIcon::Warning);
  EXPECT_EQ(IconForStyle(kMbIconInformation), MessageIcon::Information);
  for (int style : {kMbOk, 1, 32, 80}) EXPECT_EQ(IconForStyle(style), MessageIcon::NoIcon) << style;
}

// The drawn message icons: a disc of their colour, their mark in the
// middle, and the corners left clear for the dialog's background.
TEST(Pictures, DrawnMessageIconsAreDiscsWithTheirMark) {
  using Rgba = std::array<int, 4>;
  struct Case {
    MessageIcon icon;
    Rgba disc, mark;
  };
  const Rgba red{204, 0, 0, 255}, white{255, 255, 255, 255}, blue{0, 0, 204, 255}, clear{0, 0, 0, 0};
  for (const Case& c : {Case{MessageIcon::Stop, red, white}, Case{MessageIcon::Information, white, blue}}) {
    GdkPixbuf* icon = MessageIconPixbuf(c.icon);
    ASSERT_NE(icon, nullptr);
    ASSERT_EQ(gdk_pixbuf_get_width(icon), 32);
    ASSERT_TRUE(gdk_pixbuf_get_has_alpha(icon));
    const auto pixel = [&](int x, int y) {
      const guint8* p = gdk_pixbuf_read_pixels(icon) + y * gdk_pixbuf_get_rowstride(icon) + x * 4;
      return Rgba{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(pixel(6, 16), c.disc) << static_cast<int>(c.icon);
    EXPECT_EQ(pixel(16, 16), c.mark) << static_cast<int>(c.icon);
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) EXPECT_EQ(pixel(x, y), clear) << x << "," << y;
    g_object_unref(icon);
  }
}

// ---- Contrast ---------------------------------------------------------------------------

constexpr Colour kBlack{0, 0, 0}, kWhite{1, 1, 1};
const Colour kTableRed = ColourOfTable(Rgb(192, 0, 0));
const Colour kGreyDialog = ColourOfTable(Rgb(192, 192, 192));
const Colour kAdwaitaLight = ColourOfTable(Rgb(246, 245, 244)), kAdwaitaDark = ColourOfTable(Rgb(53, 53, 53));

TEST(Contrast, MeasuresAsTheGuidelinesDo) {
  EXPECT_NEAR(ContrastRatio(kBlack, kWhite), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(kWhite, kBlack), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(kTableRed, kTableRed), 1.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(kTableRed, kGreyDialog), 3.56, 0.01);  // too little on a grey dialog
}

struct ReadableCase { const char* what; Colour background; };
void PrintTo(const ReadableCase& c, std::ostream* out) { *out << c.what; }
class Readable : public ::testing::TestWithParam<ReadableCase> {};

// The colour stands out enough, stays as near the wanted one as it can,
// and is left alone where it already stands out.
TEST_P(Readable, TheTableRedOnAnyBackground) {
  Colour background = GetParam().background;
  Colour shown = ReadableColour(kTableRed, background);
  EXPECT_GE(ContrastRatio(shown, background), kLeastTextContrast);
  if (ContrastRatio(kTableRed, background) >= kLeastTextContrast) {
    EXPECT_EQ(shown, kTableRed);
  } else {
    EXPECT_NE(shown, kTableRed);
    EXPECT_GE(shown.r, shown.g);  // reddish, not a different hue
  }
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, Readable,
                         ::testing::Values(ReadableCase{"white", kWhite}, ReadableCase{"grey", kGreyDialog},
                                           ReadableCase{"light", kAdwaitaLight}, ReadableCase{"dark", kAdwaitaDark},
                                           ReadableCase{"black", kBlack},
                                           ReadableCase{"mid", ColourOfTable(Rgb(120, 120, 120))}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(Contrast, AHighContrastThemeGetsItsOwnForeground) {
  EXPECT_EQ(TextColourOnTheme(kTableRed, kWhite, kBlack, true), kBlack);
  EXPECT_EQ(TextColourOnTheme(kTableRed, kBlack, kWhite, true), kWhite);
  EXPECT_EQ(TextColourOnTheme(kTableRed, kWhite, kBlack, false), kTableRed);
  for (const char* name : {"HighContrast", "HighContrastInverse", "Adwaita-high-contrast", "High Contrast"})
    EXPECT_TRUE(IsHighContrastTheme(name)) << name;
  for (const char* name : {"Adwaita", "Adwaita-dark", "", "Contrast"}) EXPECT_FALSE(IsHighContrastTheme(name)) << name;
}

}  // namespace
}  // namespace hw::gtk
