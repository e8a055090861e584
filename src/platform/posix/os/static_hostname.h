// The static host name: the name in /etc/hostname, which the system takes
// at its next start, as Windows' SetComputerNameEx sets the name for then.
#pragma once

#include <string_view>

namespace hw::posix {

// A name that may be written as the host name: 1 to 64 characters of
// letters, digits, '-' and '.', no label empty, longer than 63 or starting
// or ending with '-'. Letter case is kept as it is.
bool IsValidStaticHostname(std::string_view name);

}  // namespace hw::posix
