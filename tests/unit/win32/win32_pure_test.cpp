// The parts of the Windows layer that need no Windows: the argument text of a
// command line, which DNS records hold a name pointer, how many token groups
// fit a buffer, the Z order that screen readers follow, and what the display
// settings decide (placement, dpi, high-contrast colours).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win32/forms/screen_rules.h"
#include "platform/win32/forms/z_order.h"
#include "platform/win32/program/command_line.h"
#include "platform/win32/os/dns_query_ex_records.h"
#include "platform/win32/os/dns_record_data.h"
#include "platform/win32/os/multi_string.h"
#include "platform/win32/os/token_groups_layout.h"
#include "text/catalogue.h"
#include "ui/window_tables.h"

namespace hw::win32 {
void PrintTo(const PixelRect& r, std::ostream* out) {
  *out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}
}  // namespace hw::win32

namespace {

using hw::win32::ArgumentsAfterProgramPath;
using hw::win32::MultiStringItems;

struct CommandLineCase {
  const char* name;
  std::wstring line;
  std::wstring arguments;
};
void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << c.name; }

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, ArgumentsFollowTheProgramPath) {
  EXPECT_EQ(std::wstring(ArgumentsAfterProgramPath(GetParam().line)), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    testing::Values(
        CommandLineCase{"Switch", L"hostwarden.exe /Q", L"/Q"},
        CommandLineCase{"Empty", L"", L""},
        // A quoted path may hold blanks, and even the switch's letters.
        CommandLineCase{"QuotedPathWithBlanks", L"\"C:\\Program Files\\Hostwarden\\hostwarden.exe\" -q", L"-q"},
        // A quote without its partner: the whole line is the path.
        CommandLineCase{"UnclosedQuote", L"\"C:\\Tools\\hostwarden.exe /Q", L""},
        // The blanks after the path go, the rest stays as typed.
        CommandLineCase{"BlanksAndTabs", L"hostwarden.exe \t  /Q  extra ", L"/Q  extra "},
        // A quoted path ends at its closing quote, blank or not.
        CommandLineCase{"SwitchAfterClosingQuote", L"\"C:\\hw\\hostwarden.exe\"/Q", L"/Q"},
        // A switch glued to an unquoted path is part of the path.
        CommandLineCase{"SwitchGluedToPath", L"hostwarden.exe/Q", L""}),
    [](const testing::TestParamInfo<CommandLineCase>& info) { return std::string(info.param.name); });

TEST(RecordDataIsName, PtrFamilyAndTypesLeadingWithAHostName) {
  for (uint16_t type : {12, 5, 2, 39, 6, 15, 33, 14, 17, 18, 21, 3, 4, 7, 8, 9})
    EXPECT_TRUE(hw::win32::RecordDataIsName(type)) << type;
}

TEST(RecordDataIsName, TypesWithNumbersOrAddressesThere) {
  // A (an address), TXT (a count), AAAA, NULL, WKS, OPT, NAPTR (numbers first), unknown types.
  for (uint16_t type : {0, 1, 16, 28, 10, 11, 41, 35, 255, 65535})
    EXPECT_FALSE(hw::win32::RecordDataIsName(type)) << type;
}

struct GroupsLayoutCase {
  const char* name;
  std::size_t bufferLength;
  std::uint32_t claimed;
  std::size_t expected;
};
void PrintTo(const GroupsLayoutCase& c, std::ostream* out) { *out << c.name; }

class EntriesWithinTest : public testing::TestWithParam<GroupsLayoutCase> {};

// TOKEN_GROUPS on 32-bit Windows: a 4-byte count, 8-byte entries.
TEST_P(EntriesWithinTest, NeverBeyondTheBuffer) {
  EXPECT_EQ(hw::win32::EntriesWithin(GetParam().bufferLength, 4, 8, GetParam().claimed), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, EntriesWithinTest,
    testing::Values(GroupsLayoutCase{"Usual", 4012, 3, 3},  // entries and SIDs fit
                    GroupsLayoutCase{"ExactlyFull", 4012, 501, 501},  // the 501 entries of 4012 bytes
                    GroupsLayoutCase{"CountBeyondBuffer", 4012, 502, 501},
                    GroupsLayoutCase{"CountWithoutEntries", 4, 7, 0},
                    GroupsLayoutCase{"NoRoomForCount", 3, 1, 0},
                    GroupsLayoutCase{"PartialEntry", 27, 4, 2},
                    GroupsLayoutCase{"CountThatWouldWrap", 4012, 0x20000001u, 501}),  // count * 8 wraps in 32 bits
    [](const testing::TestParamInfo<GroupsLayoutCase>& info) { return std::string(info.param.name); });

// DnsQueryEx's list of one IPv6 server, as windns.h lays it out: the
// array's header, then the SOCKADDR_IN6 with port 53 in network order and
// the address after the flow label.
TEST(Ipv6ServerList, OneServerAsSockaddrIn6) {
  const std::array<std::uint8_t, 16> server = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x53};
  const hw::win32::DnsAddrArrayOfOne list = hw::win32::Ipv6ServerList(server);
  EXPECT_EQ(list.MaxCount, 1u);
  EXPECT_EQ(list.AddrCount, 1u);
  EXPECT_EQ(list.Family, 23u);
  const auto& sa = list.AddrArray[0].MaxSa;
  std::uint16_t family = 0;
  std::memcpy(&family, sa.data(), 2);
  EXPECT_EQ(family, 23u);
  EXPECT_EQ(sa[2], 0);
  EXPECT_EQ(sa[3], 53);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(sa[i], 0) << "flow label " << i;
  EXPECT_TRUE(std::equal(server.begin(), server.end(), sa.begin() + 8));
  for (std::size_t i = 24; i < sa.size(); ++i) EXPECT_EQ(sa[i], 0) << "scope and the rest " << i;
}

// ---- Z order: what a screen reader reads, and in which order ----------------------

using hw::ControlKind;
using hw::WindowData;
using hw::win32::PixelRect;
using testing::ElementsAre;

std::size_t IndexOf(const WindowData& window, const std::string& name) {
  for (std::size_t i = 0; i < window.controls.size(); ++i)
    if (window.controls[i].name == name) return i;
  ADD_FAILURE() << "no control " << name;
  return 0;
}

std::vector<std::string> ZOrderNames(const WindowData& window) {
  std::vector<std::string> names;
  for (std::size_t i : hw::win32::CreationOrder(window)) names.push_back(window.controls[i].name);
  return names;
}

// MSAA and UI Automation name a field after the static just before it.
TEST(ZOrder, EachFieldOfTheMainWindowFollowsItsCaption) {
  const WindowData& form1 = hw::Form1Window();
  std::vector<std::string> order = ZOrderNames(form1);
  for (auto [field, caption] : {std::pair{"cbo_IP", hw::Msg::WindowAddresses}, {"txt_CN", hw::Msg::WindowComputerName},
                                {"txt_NB", hw::Msg::WindowNetbiosName}, {"txt_DNS", hw::Msg::WindowDnsHostName}}) {
    auto at = std::find(order.begin(), order.end(), field);
    ASSERT_NE(at, order.end()) << field;
    ASSERT_NE(at, order.begin()) << field;
    EXPECT_EQ(form1.controls[IndexOf(form1, *(at - 1))].caption, hw::Text(caption)) << field;
  }
}

// The dialog manager's Tab walks the tab stops in Z order.
TEST(ZOrder, TabStopsKeepTheirTabIndexOrder) {
  std::vector<std::string> stops;
  for (const std::string& name : ZOrderNames(hw::Form1Window()))
    if (hw::win32::TakesFocus(hw::Form1Window().controls[IndexOf(hw::Form1Window(), name)].kind))
      stops.push_back(name);
  EXPECT_THAT(stops, ElementsAre("cmd_Sync", "cbo_IP", "txt_CN", "txt_NB", "txt_DNS"));
}

TEST(ZOrder, TheDialogReadsHeadingAndSentencesBeforeItsButtons) {
  EXPECT_THAT(ZOrderNames(hw::FrmInfoWindow()),
              ElementsAre("Label1", "Label2", "Label3", "Label4", "OKButton", "CancelButton", "Line1"));
}

TEST(ZOrder, TheMainWindowsOtherTextsComeInReadingOrder) {
  std::vector<std::string> order = ZOrderNames(hw::Form1Window());
  EXPECT_THAT(std::vector<std::string>(order.begin(), order.begin() + 9),
              ElementsAre("Label4", "lbl_System", "label6", "lbl_IE", "Label5", "lbl_Username", "Label1",
                          "lbl_Conn", "img_Warn"));
  EXPECT_EQ(order.back(), "Line1");
}

WindowData FieldWith(std::vector<hw::ControlData> labels) {
  WindowData w;
  w.controls = std::move(labels);
  w.controls.push_back({"field", ControlKind::TextBox, "", 1200, 600, 2000, 285, 0});
  return w;
}

struct CaptionCase {
  const char* name;
  std::vector<hw::ControlData> labels;
  std::optional<std::size_t> caption;
};
void PrintTo(const CaptionCase& c, std::ostream* out) { *out << c.name; }

class CaptionOfTest : public testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionOfTest, NamesTheNearestLabelAboveOrBeside) {
  WindowData window = FieldWith(GetParam().labels);
  EXPECT_EQ(hw::win32::CaptionOf(window, window.controls.size() - 1), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, CaptionOfTest,
    testing::Values(
        CaptionCase{"Above", {{"a", ControlKind::Label, "Name", 1200, 360, 900, 255, 1}}, 0},
        CaptionCase{"BesideOnItsRow", {{"a", ControlKind::Label, "Name:", 240, 630, 900, 255, 1}}, 0},
        // The nearer of two labels above the field.
        CaptionCase{"NearestAbove",
                    {{"far", ControlKind::Label, "Far", 1200, 0, 900, 255, 1},
                     {"near", ControlKind::Label, "Near", 1200, 360, 900, 255, 2}},
                    1},
        // A value label (no caption of its own) names nothing.
        CaptionCase{"EmptyLabel", {{"a", ControlKind::Label, "", 1200, 360, 900, 255, 1}}, std::nullopt},
        CaptionCase{"TooFarAbove", {{"a", ControlKind::Label, "Name", 1200, 0, 900, 255, 1}}, std::nullopt},
        CaptionCase{"AboveButBesideTheField", {{"a", ControlKind::Label, "Name", 3300, 360, 900, 255, 1}},
                    std::nullopt},
        CaptionCase{"BelowTheField", {{"a", ControlKind::Label, "Name", 1200, 900, 900, 255, 1}}, std::nullopt}),
    [](const testing::TestParamInfo<CaptionCase>& info) { return std::string(info.param.name); });

TEST(ZOrder, ALabelNamesOneFieldOnly) {
  WindowData w;
  w.controls = {{"caption", ControlKind::Label, "Name", 120, 120, 900, 255, 0},
                {"first", ControlKind::TextBox, "", 120, 360, 900, 285, 1},
                {"second", ControlKind::TextBox, "", 120, 360, 900, 285, 2}};
  EXPECT_THAT(ZOrderNames(w), ElementsAre("caption", "first", "second"));
}

// Where the Z order puts a control above one that used to show over it, the
// upper one leaves that part out: the screen stays as it was.
std::vector<PixelRect> RectsAt96(const WindowData& window) {
  std::vector<PixelRect> rects;
  for (const auto& c : window.controls) {
    PixelRect r{hw::TwipsToPixels(c.left), hw::TwipsToPixels(c.top), hw::TwipsToPixels(c.left + c.width),
                hw::TwipsToPixels(c.top + c.height)};
    r.right = std::max(r.right, r.left + 1);
    r.bottom = std::max(r.bottom, r.top + 1);
    rects.push_back(r);
  }
  return rects;
}

struct CoverCase {
  const char* upper;
  std::vector<const char*> uncovered;
};

TEST(CoveredSiblings, CaptionsLeaveWhatShowedOverThemUncovered) {
  const WindowData& form1 = hw::Form1Window();
  std::vector<PixelRect> rects = RectsAt96(form1);
  auto covered = hw::win32::CoveredSiblings(form1, rects);
  for (const CoverCase& c : std::vector<CoverCase>{
           {"Label2", {"cbo_IP"}},  // one pixel row of the combo box under its caption
           {"Label7", {"txt_CN"}},
           {"lbl_NB", {"txt_NB"}},
           {"Label3", {"txt_DNS"}},
           {"Label4", {"lbl_System", "label6", "lbl_IE"}},  // "System:" reaches into its value
           {"label6", {"lbl_IE", "Line1"}},
           {"cmd_Sync", {}},
           {"img_Warn", {}}}) {
    std::vector<PixelRect> expected;
    for (const char* name : c.uncovered) expected.push_back(rects[IndexOf(form1, name)]);
    EXPECT_THAT(covered[IndexOf(form1, c.upper)], testing::UnorderedElementsAreArray(expected)) << c.upper;
  }
}

// The property the clipping gives: wherever two controls overlap, the one
// that showed on top before still shows.
TEST(CoveredSiblings, TheDrawingOrderWinsEveryOverlap) {
  for (const WindowData* window : {&hw::Form1Window(), &hw::FrmInfoWindow()}) {
    std::vector<PixelRect> rects = RectsAt96(*window);
    auto covered = hw::win32::CoveredSiblings(*window, rects);
    std::vector<std::size_t> z = hw::win32::CreationOrder(*window), drawing = hw::win32::DrawingOrder(*window);
    auto rank = [](const std::vector<std::size_t>& order, std::size_t i) {
      return std::find(order.begin(), order.end(), i) - order.begin();
    };
    for (std::size_t a = 0; a < rects.size(); ++a)
      for (std::size_t b = 0; b < rects.size(); ++b) {
        if (a == b || !hw::win32::Overlap(rects[a], rects[b])) continue;
        bool aShows = rank(drawing, a) < rank(drawing, b), aAbove = rank(z, a) < rank(z, b);
        if (aShows || !aAbove) continue;
        EXPECT_NE(std::find(covered[a].begin(), covered[a].end(), rects[b]), covered[a].end())
            << window->name << ": " << window->controls[a].name << " covers " << window->controls[b].name;
      }
  }
}

// ---- Display settings ---------------------------------------------------------------

struct PlaceCase {
  const char* name;
  PixelRect window, workArea, placed;
};
void PrintTo(const PlaceCase& c, std::ostream* out) { *out << c.name; }

class PlaceInsideTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceInsideTest, MovesOntoTheWorkAreaWithoutResizing) {
  EXPECT_EQ(hw::win32::PlaceInside(GetParam().window, GetParam().workArea), GetParam().placed);
}

constexpr PixelRect kFullHd{0, 0, 1920, 1040};  // 1920 x 1080 less a taskbar

INSTANTIATE_TEST_SUITE_P(
    Places, PlaceInsideTest,
    testing::Values(
        PlaceCase{"AlreadyInside", {9, 66, 329, 293}, kFullHd, {9, 66, 329, 293}},
        // The dialog at 300 %: its stored place would end 1233 pixels down.
        PlaceCase{"PastTheBottom", {552, 750, 1338, 1233}, kFullHd, {552, 557, 1338, 1040}},
        PlaceCase{"PastTheRight", {1800, 100, 2100, 300}, kFullHd, {1620, 100, 1920, 300}},
        PlaceCase{"LeftOfTheArea", {-50, 10, 250, 110}, kFullHd, {0, 10, 300, 110}},
        // A window larger than the area keeps its top-left corner (and title bar) on it.
        PlaceCase{"LargerThanTheArea", {100, 100, 2100, 1300}, kFullHd, {0, 0, 2000, 1200}},
        // A second monitor left of the primary one has negative coordinates.
        PlaceCase{"MonitorLeftOfThePrimary", {-300, 700, 100, 900}, {-1280, 0, 0, 984}, {-400, 700, 0, 900}},
        PlaceCase{"TaskbarAtTheTop", {10, 0, 310, 200}, {0, 40, 1920, 1080}, {10, 40, 310, 240}}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

// Where a function is missing (Windows 95 has no monitor functions) or
// answers nothing, the next one counts.
TEST(WorkAreaOf, TakesTheMonitorsThenTheDesktopsThenTheScreen) {
  PixelRect monitor{0, 0, 1920, 1040}, desktop{0, 0, 1024, 738}, screen{0, 0, 1024, 768};
  EXPECT_EQ(hw::win32::WorkAreaOf(monitor, desktop, screen), monitor);
  EXPECT_EQ(hw::win32::WorkAreaOf(std::nullopt, desktop, screen), desktop);
  EXPECT_EQ(hw::win32::WorkAreaOf(PixelRect{}, desktop, screen), desktop);  // a failed call's empty answer
  EXPECT_EQ(hw::win32::WorkAreaOf(std::nullopt, std::nullopt, screen), screen);
}

TEST(LayoutDpi, TheWindowsOwnWhereTheSystemTellsIt) {
  EXPECT_EQ(hw::win32::LayoutDpi(288u, 96), 288);
  EXPECT_EQ(hw::win32::LayoutDpi(std::nullopt, 192), 192);  // before Windows 10 1607
  EXPECT_EQ(hw::win32::LayoutDpi(0u, 120), 120);            // an invalid window
  EXPECT_EQ(hw::win32::LayoutDpi(std::nullopt, 0), 96);     // no screen to ask
}

TEST(TextColourFor, HighContrastGivesEveryTextTheThemesColour) {
  constexpr uint32_t red = hw::Rgb(192, 0, 0), themeText = hw::Rgb(255, 255, 0);
  EXPECT_EQ(hw::win32::TextColourFor(red, false, themeText), red);
  EXPECT_EQ(hw::win32::TextColourFor(red, true, themeText), themeText);
  EXPECT_EQ(hw::win32::TextColourFor(hw::kSystemColour, false, themeText), themeText);
  EXPECT_EQ(hw::win32::TextColourFor(hw::kSystemColour, true, themeText), themeText);
}

// A policy list is read to its end: an empty item (as a .reg import writes
// it) is skipped, never taken for the list's end.
TEST(MultiStringItems, EveryItemToTheEndEmptyOnesSkipped) {
  using Items = std::vector<std::wstring>;
  struct Case { std::wstring data; Items items; };
  for (const auto& c : {
           Case{std::wstring(L"a.de\0b.de\0\0", 11), {L"a.de", L"b.de"}},
           Case{std::wstring(L"klinikum-falkenau.de\0\0uni-falkenau.de\0\0", 39),
                {L"klinikum-falkenau.de", L"uni-falkenau.de"}},
           Case{std::wstring(L"\0a.de\0\0\0b.de", 12), {L"a.de", L"b.de"}},  // empty first, no closing NUL
           Case{std::wstring(L"\0\0", 2), {}},
           Case{L"", {}},
       }) {
    EXPECT_EQ(MultiStringItems({c.data.begin(), c.data.end()}), c.items) << c.items.size();
  }
}

}  // namespace
