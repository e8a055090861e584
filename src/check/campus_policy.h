// The campus's names as the administrator sets them: the campus domains and
// the label prefixes of the dynamic pools, each taken from the system's
// policy where one is set and valid, otherwise from the build.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/name_rules.h"
#include "interfaces/os.h"

namespace hw {

inline constexpr std::string_view kCampusDomainsSetting = "CampusDomains";
inline constexpr std::string_view kDynamicPoolPrefixesSetting = "DynamicPoolPrefixes";
inline constexpr std::string_view kBuiltInSource = "built-in";

struct CampusPolicy {
  CampusLists lists;
  // Where each list comes from: "built-in", or the PolicySetting's source.
  std::string domainsSource{kBuiltInSource}, prefixesSource{kBuiltInSource};
  // The settings that were set but unusable, so the build's value holds; or,
  // in their place, why the place holding them was refused whole
  // ("untrusted-file", "too-large").
  std::vector<std::string> invalid;

  bool operator==(const CampusPolicy&) const = default;
};

// The build's lists: its campus domain and the prefix "dhcp".
CampusLists BuiltInCampusLists();

// Reads both settings from `os`. Never fails: an invalid domain or prefix,
// an empty list, an unreadable setting all leave the build's value in force
// and name the setting (or the reason its place was refused) in `invalid`.
CampusPolicy ReadCampusPolicy(Os& os);

// A lower-case DNS domain name: labels of a-z, 0-9 and "-" (not first or
// last), 1 to 63 characters, 253 in all, no closing dot.
bool IsCampusDomainName(std::string_view name);
// A lower-case label prefix: 1 to 63 of a-z, 0-9 and "-".
bool IsPoolPrefix(std::string_view prefix);

}  // namespace hw
