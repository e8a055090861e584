#include "platform/posix/os/hosts_file.h"

#include <algorithm>

#include "text/names.h"
#include "text/text.h"

namespace hw::posix {
namespace {

constexpr std::string_view kOwnLineAddress = "127.0.1.1";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The host's name, short or full, on either side: ws-17 and
// ws-17.uni-falkenau.de name the same host on the machine's own line. A
// machine still called localhost names no host of its own there.
bool NamesOldHost(std::string_view field, const std::vector<std::string>& oldNames) {
  for (const auto& old : oldNames)
    if (!old.empty() && !EqualsIgnoringAsciiCase(FirstLabel(old), "localhost") &&
        EqualsIgnoringAsciiCase(FirstLabel(field), FirstLabel(old)))
      return true;
  return false;
}

std::string Replacement(std::string_view field, const NewHostNames& newNames) {
  std::size_t dot = field.find('.');
  if (dot == std::string_view::npos) return newNames.shortName;
  if (!newNames.fullName.empty()) return newNames.fullName;
  return newNames.shortName + std::string(field.substr(dot));
}

// One line without its newline: the fields before any '#', the first the
// address. Only the name fields of a 127.0.1.1 line are replaced.
std::string RenamedLine(std::string_view line, const std::vector<std::string>& oldNames,
                        const NewHostNames& newNames, bool& changed) {
  std::string out;
  std::size_t end = std::min(line.find('#'), line.size());
  std::size_t at = 0;
  bool first = true, ownLine = false;
  while (at < end) {
    std::size_t blankEnd = at;
    while (blankEnd < end && IsBlank(line[blankEnd])) ++blankEnd;
    out.append(line.substr(at, blankEnd - at));
    if (blankEnd == end) {
      at = end;
      break;
    }
    std::size_t fieldEnd = blankEnd;
    while (fieldEnd < end && !IsBlank(line[fieldEnd])) ++fieldEnd;
    std::string_view field = line.substr(blankEnd, fieldEnd - blankEnd);
    if (first) {
      ownLine = field == kOwnLineAddress;
      first = false;
      out.append(field);
    } else if (ownLine && NamesOldHost(field, oldNames)) {
      out.append(Replacement(field, newNames));
      changed = true;
    } else {
      out.append(field);
    }
    at = fieldEnd;
  }
  out.append(line.substr(at));
  return out;
}

}  // namespace

std::optional<std::string> HostsTextRenamed(std::string_view hosts, const std::vector<std::string>& oldNames,
                                            const NewHostNames& newNames) {
  std::string out;
  bool changed = false;
  while (!hosts.empty()) {
    std::size_t newline = hosts.find('\n');
    std::string_view line = hosts.substr(0, newline);
    out += RenamedLine(line, oldNames, newNames, changed);
    if (newline == std::string_view::npos) break;
    out += '\n';
    hosts.remove_prefix(newline + 1);
  }
  if (!changed) return std::nullopt;
  return out;
}

}  // namespace hw::posix
