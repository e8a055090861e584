#include "sync/elevated_copy.h"

#include <algorithm>

#include "sync/sync_command.h"
#include "text/names.h"
#include "text/text.h"

namespace hw {
namespace {

// Our own switch: no Windows program shares it, and the quiet switch's "/Q"
// cannot be mistaken for it.
constexpr std::string_view kSetNameSwitch = "/SetComputerName:";
bool StartsWithSwitch(std::string_view text) {
  return EqualsIgnoringAsciiCase(text.substr(0, kSetNameSwitch.size()), kSetNameSwitch);
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
  if (name.size() > kNetbiosNameLength || !IsAsciiHostLabel(name)) return false;
  return !std::all_of(name.begin(), name.end(), IsDigit);
}

SyncOutcome RunElevatedCopy(Os& os, Forms& forms, ChkVer& chkVer, const std::string& name,
                            const std::string& dnsName, const std::function<void()>& nameSet) {
  chkVer.OsVersionText();  // which call sets the name depends on it
  // Nothing is confirmed again: the full name only carries the domain.
  return SynchroniseName(os, forms, chkVer, name, ForwardLookup{dnsName, "", "", {}}, SyncCaller::ElevatedCopy,
                         nameSet);
}

}  // namespace hw
