#include <gtest/gtest.h>

#include "text/names.h"
#include "text/text.h"

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

TEST(EqualsIgnoringAsciiCase, OnlyAsciiLettersMeetTheirOtherCase) {
  struct Case { const char* a; const char* b; bool equal; };
  for (const auto& c : {Case{"", "", true}, Case{"ws-17", "WS-17", true},
                        Case{"/setcomputername:", "/SetComputerName:", true}, Case{"ws-17", "ws-17.", false},
                        Case{"ws-17", "ws-1", false}, Case{"ws-17", "ws-18", false},
                        Case{"MÜLLER", "müller", false},  // Latin-1 letters are compared as bytes
                        Case{"@", "`", false}, Case{"[", "{", false}}) {  // 0x20 apart, yet not letters
    EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(EqualsIgnoringAsciiCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
  }
}

TEST(CharacterCount, CountsCharactersNotBytes) {
  EXPECT_EQ(CharacterCount(""), 0u);
  EXPECT_EQ(CharacterCount("abc"), 3u);
  EXPECT_EQ(CharacterCount("MÜLLER"), 6u);
}

TEST(FirstLabel, PartBeforeTheFirstDotInTheAnswersLetterCase) {
  struct Case { const char* name; const char* label; };
  for (const auto& c : {Case{"Ws-17.Uni-Falkenau.de", "Ws-17"}, Case{"ws-17", "ws-17"},
                        Case{".uni-falkenau.de", ""}, Case{"ws-17.", "ws-17"}, Case{"", ""}}) {
    EXPECT_EQ(FirstLabel(c.name), c.label) << c.name;
  }
}

// Windows cuts a long DNS short name to its first 15 characters for the
// NetBIOS name; a character is never split, however many bytes it takes.
TEST(NetbiosNameOf, FirstFifteenCharactersNeverHalfACharacter) {
  struct Case { std::string shortName, netbios; };
  for (const auto& c : {Case{"ws-17", "ws-17"}, Case{"hoersaal-pc-012", "hoersaal-pc-012"},
                        Case{"hoersaal-pc-0123", "hoersaal-pc-012"}, Case{"", ""},
                        Case{"müllermüllermüller", "müllermüllermül"}, Case{"ÄÖÜäöüÄÖÜäöüÄÖÜä", "ÄÖÜäöüÄÖÜäöüÄÖÜ"}}) {
    EXPECT_EQ(NetbiosNameOf(c.shortName), c.netbios) << c.shortName;
    EXPECT_EQ(FirstCharacters(c.shortName, kNetbiosNameLength), c.netbios) << c.shortName;
  }
  EXPECT_EQ(FirstCharacters("Müller", 0), "");
  EXPECT_EQ(FirstCharacters("Müller", 2), "Mü");
}

// The same inputs through both name-character rules: the Latin-1 letters
// are what a DNS answer may give a Windows computer name, never a host label.
TEST(NameCharacters, AsciiLabelAndComputerName) {
  struct Case { std::string name; bool asciiLabel, computerName; };
  for (const auto& c : {Case{"ws-17", true, true}, Case{"WS-17", true, true}, Case{"a", true, true},
                        Case{"7", true, true}, Case{"12345", true, true}, Case{"Müller-PC", false, true},
                        Case{"ÄÖÜäöüß", false, true}, Case{"", false, false}, Case{"ws_17", false, false},
                        Case{"-ws17", false, false}, Case{"ws17-", false, false}, Case{"-", false, false},
                        Case{"a b", false, false}, Case{"lab\"pc", false, false}, Case{"lab\npc", false, false},
                        Case{"lab\tpc", false, false}, Case{"ws.17", false, false}, Case{"ws×17", false, false},
                        Case{"ws÷17", false, false}, Case{"ws\x7f", false, false}, Case{"\xc3", false, false},
                        Case{"ws\xc3(17", false, false}, Case{"a\0b"s, false, false}, Case{"ws/17", false, false}}) {
    EXPECT_EQ(IsAsciiHostLabel(c.name), c.asciiLabel) << c.name;
    EXPECT_EQ(CanBeComputerName(c.name), c.computerName) << c.name;
  }
}

}  // namespace
}  // namespace hw
