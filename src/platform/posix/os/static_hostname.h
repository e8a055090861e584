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

enum class HostnamedResult { Set, Refused, RefusedForRights, Unreachable };

// SetStaticHostname of systemd-hostnamed on the system bus. `interactive`
// lets polkit ask the user (through the desktop's agent) instead of
// refusing at once. RefusedForRights when polkit said no; Unreachable when
// no bus or no hostnamed answers. hostnamed gives the running host name the
// new static name at once too, and writes /etc/hostname as a plain file
// (a link there is replaced); "" removes the file and makes the running
// name the fallback ("localhost").
HostnamedResult SetStaticHostnameThroughHostnamed(const std::string& name, bool interactive);

// SetHostname: the running (transient) host name, which hostnamed takes
// only while no static name is set.
HostnamedResult SetTransientHostnameThroughHostnamed(const std::string& name, bool interactive);

// Whether hostnamed answers on the system bus (it is started on demand).
bool HostnamedAnswers();

}  // namespace hw::posix
