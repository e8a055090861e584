#include <gtest/gtest.h>

#include "resolve/text_helpers.h"

using namespace std::string_literals;

namespace hw {
namespace {

TEST(TrimAtNul, CutsAtTheFirstNulOnly) {
  struct Case { std::string in, out; };
  for (const auto& c : {Case{"", ""}, Case{"\0abc"s, ""}, Case{"abc", "abc"}, Case{"ab\0cd\0ef"s, "ab"},
                        Case{"name\0   "s, "name"}, Case{"   ", "   "}}) {
    EXPECT_EQ(TrimAtNul(c.in), c.out) << "input of " << c.in.size() << " bytes";
  }
}

TEST(HiByteLoByte, SplitTheWinsockVersionWord) {
  EXPECT_EQ(LoByte(0x0101), 1);
  EXPECT_EQ(HiByte(0x0101), 1);
  EXPECT_EQ(LoByte(0x0002), 2);  // version 2.0
  EXPECT_EQ(HiByte(0x0002), 0);
  EXPECT_EQ(LoByte(0xFF00), 0);
  EXPECT_EQ(HiByte(0xFF00), 255);
}

TEST(ReverseDottedName, ReversesEveryPartEmptyOnesIncluded) {
  struct Case { const char* in; const char* out; };
  for (const auto& c : {Case{"", ""}, Case{"abc", "abc"}, Case{"192.168.10.7", "7.10.168.192"},
                        Case{"10.0.0.1.", ".1.0.0.10"}, Case{".a.b", "b.a."}, Case{"a..b", "b..a"},
                        Case{".", "."}, Case{"..", ".."}}) {
    EXPECT_EQ(ReverseDottedName(c.in), c.out) << "input " << c.in;
  }
}

TEST(ToLower, LowersAsciiAndLatin1LettersOnly) {
  EXPECT_EQ(ToLower("WS-17.Uni-Falkenau.DE"), "ws-17.uni-falkenau.de");
  EXPECT_EQ(ToLower("MÜLLER-PC"), "müller-pc");
  EXPECT_EQ(ToLower("×ß"), "×ß");  // the multiplication sign and sharp s have no other case
}

TEST(CharacterCount, CountsCharactersNotBytes) {
  EXPECT_EQ(CharacterCount(""), 0u);
  EXPECT_EQ(CharacterCount("abc"), 3u);
  EXPECT_EQ(CharacterCount("MÜLLER"), 6u);
}

}  // namespace
}  // namespace hw
