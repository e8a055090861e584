#include "check/campus_policy.h"

#include <algorithm>
#include <optional>

#include "check/form_load.h"
#include "text/names.h"

namespace hw {
namespace {

bool IsLowerAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

bool HasCapital(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

// The lists are compared with lower-cased names, so a capital could never match.
bool IsLabel(std::string_view label) {
  return label.size() <= kMaxDnsLabelLength && IsAsciiHostLabel(label) && !HasCapital(label);
}

struct Setting {
  std::vector<std::string> values;
  std::string source;
};

// The setting when it is set and every value passes `valid`; nullopt with
// `invalid` naming what was ignored when it is set but unusable: the
// setting's name, or the reason its whole place was refused.
std::optional<Setting> UsableSetting(Os& os, std::string_view name, bool (*valid)(std::string_view),
                                     std::string& invalid) {
  std::optional<PolicySetting> setting;
  try {
    setting = os.ReadPolicySetting(std::string(name));
  } catch (const MissingFunction&) {
    return std::nullopt;  // a system without policies has none set
  } catch (const std::exception&) {
    invalid = name;
    return std::nullopt;
  }
  if (!setting) return std::nullopt;
  if (!setting->readable || setting->values.empty() ||
      !std::all_of(setting->values.begin(), setting->values.end(),
                   [&](const std::string& value) { return valid(value); })) {
    invalid = setting->invalidReason.empty() ? std::string(name) : setting->invalidReason;
    return std::nullopt;
  }
  return Setting{setting->values, setting->source};
}

void Apply(Os& os, std::string_view name, bool (*valid)(std::string_view), std::vector<std::string>& values,
           std::string& source, std::vector<std::string>& invalidSettings) {
  std::string invalid;
  if (auto setting = UsableSetting(os, name, valid, invalid)) {
    values = setting->values;
    source = setting->source;
  }
  // A file refused whole gives its reason for every setting: said once.
  if (!invalid.empty() && std::find(invalidSettings.begin(), invalidSettings.end(), invalid) == invalidSettings.end())
    invalidSettings.push_back(invalid);
}

}  // namespace

bool IsCampusDomainName(std::string_view name) {
  if (name.empty() || name.size() > 253) return false;
  for (;;) {
    std::size_t dot = name.find('.');
    if (!IsLabel(name.substr(0, dot))) return false;
    if (dot == std::string_view::npos) return true;
    name.remove_prefix(dot + 1);
  }
}

bool IsPoolPrefix(std::string_view prefix) {
  return !prefix.empty() && prefix.size() <= kMaxDnsLabelLength &&
         std::all_of(prefix.begin(), prefix.end(), [](char c) { return IsLowerAlnum(c) || c == '-'; });
}

CampusLists BuiltInCampusLists() {
  return CampusLists({std::string(DefaultCampusDomain())}, {"dhcp"});
}

CampusPolicy ReadCampusPolicy(Os& os) {
  CampusPolicy policy{BuiltInCampusLists()};
  Apply(os, kCampusDomainsSetting, IsCampusDomainName, policy.lists.domains, policy.domainsSource, policy.invalid);
  Apply(os, kDynamicPoolPrefixesSetting, IsPoolPrefix, policy.lists.poolPrefixes, policy.prefixesSource,
        policy.invalid);
  return policy;
}

}  // namespace hw
