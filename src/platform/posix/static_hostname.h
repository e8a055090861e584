// Setting the static host name: the name the system takes at its next
// start, as Windows' SetComputerNameEx does.
#pragma once

#include <string>
#include <string_view>

namespace hw::posix {

// A name that may be written as the host name: 1 to 64 characters of
// letters, digits, '-' and '.', no label empty, longer than 63 or starting
// or ending with '-'. Letter case is kept as it is.
bool IsValidStaticHostname(std::string_view name);

// Replaces the file with `name` and a newline: a temporary file in the
// same directory, written and flushed to disk, then renamed over it, so a
// crash leaves the old name or the new one, never a torn file.
bool WriteHostnameFileAtomically(const std::string& path, const std::string& name);

enum class HostnamedResult { Set, Refused, Unreachable };

// SetStaticHostname of systemd-hostnamed on the system bus. Unreachable
// when no bus or no hostnamed answers.
HostnamedResult SetStaticHostnameThroughHostnamed(const std::string& name);

}  // namespace hw::posix
