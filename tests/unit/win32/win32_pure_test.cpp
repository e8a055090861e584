// The parts of the Windows layer that need no Windows: the argument text of a
// command line, which DNS records hold a name pointer, and how many token
// groups fit a buffer.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "platform/win32/program/command_line.h"
#include "platform/win32/os/dns_record_data.h"
#include "platform/win32/os/multi_string.h"
#include "platform/win32/os/token_groups_layout.h"

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
