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

// The value of PRETTY_NAME in an os-release text, its quotes and escapes
// undone; "" when the text has none.
std::string PrettyNameOf(std::string_view osRelease);

}  // namespace hw::posix
