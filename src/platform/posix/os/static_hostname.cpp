#include "platform/posix/os/static_hostname.h"

#include "text/names.h"

namespace hw::posix {
namespace {

bool IsValidLabel(std::string_view label) { return label.size() <= kMaxDnsLabelLength && IsAsciiHostLabel(label); }

}  // namespace

bool IsValidStaticHostname(std::string_view name) {
  if (name.empty() || name.size() > 64) return false;
  while (true) {
    std::size_t dot = name.find('.');
    if (!IsValidLabel(name.substr(0, dot))) return false;
    if (dot == std::string_view::npos) return true;
    name.remove_prefix(dot + 1);
  }
}

}  // namespace hw::posix
