#include "text/names.h"

#include "text/text.h"

namespace hw {
namespace {

bool IsAsciiNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// The length of the letter, digit or hyphen at the start of UTF-8 text; 0
// for anything else. À to ÿ are C3 80 to C3 BF, × and ÷ among them.
std::size_t NameCharacterLength(std::string_view text) {
  if (IsAsciiNameCharacter(text[0])) return 1;
  if (text.size() < 2 || static_cast<unsigned char>(text[0]) != 0xC3) return 0;
  unsigned char second = static_cast<unsigned char>(text[1]);
  bool latin1Letter = second >= 0x80 && second <= 0xBF && second != 0x97 && second != 0xB7;
  return latin1Letter ? 2 : 0;
}

// A hyphen may join parts of a name, never open or close it.
bool HasHyphenAtEitherEnd(std::string_view label) { return label.front() == '-' || label.back() == '-'; }

}  // namespace

std::string FirstLabel(std::string_view dnsName) { return std::string(dnsName.substr(0, dnsName.find('.'))); }

std::string NetbiosNameOf(std::string_view dnsShortName) { return FirstCharacters(dnsShortName, kNetbiosNameLength); }

bool IsAsciiHostLabel(std::string_view label) {
  if (label.empty() || HasHyphenAtEitherEnd(label)) return false;
  for (char c : label)
    if (!IsAsciiNameCharacter(c)) return false;
  return true;
}

bool CanBeComputerName(std::string_view dnsShortName) {
  if (dnsShortName.empty() || HasHyphenAtEitherEnd(dnsShortName)) return false;
  while (!dnsShortName.empty()) {
    std::size_t length = NameCharacterLength(dnsShortName);
    if (length == 0) return false;
    dnsShortName.remove_prefix(length);
  }
  return true;
}

}  // namespace hw
