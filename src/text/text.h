// Small text and number helpers shared by every part of the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hw {

// The part before the first NUL; the whole text when it holds none.
std::string TrimAtNul(std::string_view text);

// Bits 8 to 15 and bits 0 to 7 of a 16-bit value.
constexpr int HiByte(uint16_t value) { return (value >> 8) & 0xFF; }
constexpr int LoByte(uint16_t value) { return value & 0xFF; }

// The text without the blanks at either end (blanks only, not tabs).
std::string_view TrimSpaces(std::string_view text);

// The dot-separated parts of the text in reverse order, joined with "."
// again; empty parts count, so "10.0.0.1." gives ".1.0.0.10".
std::string ReverseDottedName(std::string_view text);

// Lower case for ASCII and the Latin-1 letters (À to Þ, UTF-8), as the
// German ANSI code page knows them; every other character is kept.
std::string ToLower(std::string_view text);
// Upper case for ASCII letters only.
std::string ToUpperAscii(std::string_view text);

// The same text with ASCII letter case ignored: what Linux host names,
// switches and hosts-file fields are compared by.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The number of characters (UTF-8 code points) of the text.
std::size_t CharacterCount(std::string_view text);

// The first `count` characters (UTF-8 code points) of the text; all of it
// when it has fewer.
std::string FirstCharacters(std::string_view text, std::size_t count);

// The words of an argument text, split the way the C runtime of Windows
// splits it: at blanks and tabs outside quotes; quotes are removed, and
// backslashes count only before a quote (2n of them give n, 2n+1 give n
// and a literal quote).
std::vector<std::string> SplitArguments(std::string_view arguments);

}  // namespace hw
