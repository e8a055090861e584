// The administrator's settings on Linux: /etc/hostwarden.conf, lines of
// `key = value` with `#` comments, a value being a list separated by commas
// or blanks.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os.h"

namespace hw::posix {

inline constexpr const char* kPolicyFilePath = "/etc/hostwarden.conf";

// Every setting of the file's text by key (as written), its values in order.
// A line without "=" says nothing; a key given twice keeps its last value.
std::map<std::string, std::vector<std::string>> ParsePolicyText(std::string_view text);

// The setting `name` (key letter case ignored) from the file at `path`:
// nullopt when the file or the key is not there; unreadable when the file
// is there but cannot be read.
std::optional<PolicySetting> ReadPolicyFileSetting(const std::string& path, const std::string& name);

}  // namespace hw::posix
