#include "platform/posix/os/os_release.h"

#include <cctype>

namespace hw::posix {
namespace {

uint32_t LeadingNumber(std::string_view& text) {
  uint64_t value = 0;
  while (!text.empty() && std::isdigit(static_cast<unsigned char>(text.front()))) {
    value = value * 10 + static_cast<uint64_t>(text.front() - '0');
    if (value > UINT32_MAX) value = UINT32_MAX;
    text.remove_prefix(1);
  }
  return static_cast<uint32_t>(value);
}

// A shell-style value: "double quoted" with backslash escapes, 'single
// quoted' taken as it stands, or bare up to the first blank.
std::string UnquotedValue(std::string_view value) {
  std::string out;
  if (!value.empty() && value.front() == '"') {
    for (std::size_t i = 1; i < value.size() && value[i] != '"'; ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      out += value[i];
    }
  } else if (!value.empty() && value.front() == '\'') {
    std::size_t end = value.find('\'', 1);
    out = value.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
  } else {
    out = value.substr(0, value.find_first_of(" \t\r"));
  }
  return out;
}

}  // namespace

KernelVersion KernelVersionOf(std::string_view release) {
  KernelVersion version;
  version.major = LeadingNumber(release);
  if (!release.empty() && release.front() == '.') {
    release.remove_prefix(1);
    version.minor = LeadingNumber(release);
    if (!release.empty() && release.front() == '.') {
      release.remove_prefix(1);
      version.patch = LeadingNumber(release);
    }
  }
  return version;
}

std::string ValueOf(std::string_view osRelease, std::string_view key) {
  while (!osRelease.empty()) {
    std::size_t end = osRelease.find('\n');
    std::string_view line = osRelease.substr(0, end);
    osRelease = end == std::string_view::npos ? std::string_view() : osRelease.substr(end + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=')
      return UnquotedValue(line.substr(key.size() + 1));
  }
  return "";
}

std::string PrettyNameOf(std::string_view osRelease) { return ValueOf(osRelease, "PRETTY_NAME"); }

std::string ShortDistributionNameOf(std::string_view osRelease) {
  std::string name = ValueOf(osRelease, "NAME");
  if (name.empty()) return PrettyNameOf(osRelease);
  // The version line begins with "Linux" already.
  for (std::string_view suffix : {" GNU/Linux", " Linux"}) {
    if (name.size() > suffix.size() && std::string_view(name).substr(name.size() - suffix.size()) == suffix) {
      name.resize(name.size() - suffix.size());
      break;
    }
  }
  std::string version = ValueOf(osRelease, "VERSION_ID");
  return version.empty() ? name : name + " " + version;
}

}  // namespace hw::posix
