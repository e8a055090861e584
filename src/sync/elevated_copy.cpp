#include "sync/elevated_copy.h"

#include <algorithm>
#include <cctype>

#include "resolve/text_helpers.h"

namespace hw {
namespace {

// Our own switch: no Windows program shares it, and the quiet switch's "/Q"
// cannot be mistaken for it.
constexpr std::string_view kSetNameSwitch = "/SetComputerName:";
constexpr std::size_t kMaxComputerNameLength = 15;

bool StartsWithSwitch(std::string_view text) {
  if (text.size() < kSetNameSwitch.size()) return false;
  return std::equal(kSetNameSwitch.begin(), kSetNameSwitch.end(), text.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string ElevatedCopyArguments(const std::string& name) { return std::string(kSetNameSwitch) + name; }

// The name is everything after the switch, exactly: a name with blanks or
// quotes is passed whole and refused by IsValidComputerName.
std::optional<std::string> ElevatedCopyName(std::string_view commandLine) {
  std::string_view text = TrimSpaces(commandLine);
  if (!StartsWithSwitch(text)) return std::nullopt;
  return std::string(text.substr(kSetNameSwitch.size()));
}

bool IsValidComputerName(std::string_view name) {
  if (name.empty() || name.size() > kMaxComputerNameLength) return false;
  if (!std::all_of(name.begin(), name.end(), IsNameCharacter)) return false;
  if (name.front() == '-' || name.back() == '-') return false;
  return !std::all_of(name.begin(), name.end(), IsDigit);
}

SyncOutcome RunElevatedCopy(Os& os, Forms& forms, ChkVer& chkVer, const std::string& name) {
  OsVersionDetails details;
  chkVer.OsVersionText(details);  // which call sets the name depends on it
  return SynchroniseName(os, forms, chkVer, name, ForwardLookup{}, SyncCaller::ElevatedCopy);
}

}  // namespace hw
