// The Linux version as GetVersionExA describes Windows: the kernel's
// version numbers and the distribution's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hw::posix {

struct KernelVersion {
  uint32_t major = 0, minor = 0, patch = 0;
};

// The leading numbers of a kernel release ("6.1.0-13-amd64" gives 6, 1, 0);
// a number that is missing counts as 0.
KernelVersion KernelVersionOf(std::string_view release);

// The value of `key` in an os-release text, its quotes and escapes undone;
// "" when the text has none.
std::string ValueOf(std::string_view osRelease, std::string_view key);

// The value of PRETTY_NAME.
std::string PrettyNameOf(std::string_view osRelease);

// The distribution's short name for the version line: NAME without a
// trailing " GNU/Linux" or " Linux", and VERSION_ID ("Debian 12", "Ubuntu
// 24.04", "Fedora 40"); PRETTY_NAME when there is no NAME.
std::string ShortDistributionNameOf(std::string_view osRelease);

}  // namespace hw::posix
