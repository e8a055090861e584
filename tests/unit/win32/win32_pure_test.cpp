// The parts of the Windows layer that need no Windows: the argument text of a
// command line, which DNS records hold a name pointer, and how many token
// groups fit a buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

#include "platform/win32/program/command_line.h"
#include "platform/win32/os/dns_query_ex_records.h"
#include "platform/win32/os/dns_record_data.h"
#include "platform/win32/os/token_groups_layout.h"

namespace {

using hw::win32::ArgumentsAfterProgramPath;

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

}  // namespace
