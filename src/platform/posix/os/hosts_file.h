// Keeping the machine's own line of /etc/hosts in step with a new static
// host name. Debian-family installers map the host's name to 127.0.1.1;
// after a rename that line would name the old host, and sudo and others
// could no longer resolve the new one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hw::posix {

// The name a field of the machine's own line is to carry after a rename:
// the new short name for a bare name, the new full name for a full one.
struct NewHostNames {
  std::string shortName;
  std::string fullName;  // empty when the PTR name had no domain: each full name keeps its own
};

// The hosts text with every name field that names the old host replaced,
// on lines whose address is 127.0.1.1 only; every other byte as it was. A
// field names the old host when its first label is that of one of
// `oldNames` (letter case ignored), short or full either way. A bare name
// becomes the new short name, a full one the new full name; aliases of
// other hosts stay. nullopt when no line changes.
std::optional<std::string> HostsTextRenamed(std::string_view hosts, const std::vector<std::string>& oldNames,
                                            const NewHostNames& newNames);

}  // namespace hw::posix
