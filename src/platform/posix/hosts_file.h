// Keeping the machine's own line of /etc/hosts in step with a new static
// host name. Debian-family installers map the host's name to 127.0.1.1;
// after a rename that line would name the old host, and sudo and others
// could no longer resolve the new one.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace hw::posix {

// The hosts text with every name field equal to one of `oldNames` (letter
// case ignored) replaced by `newName`, on lines whose address is 127.0.1.1
// only; every other byte as it was. nullopt when no line changes.
std::optional<std::string> HostsTextRenamed(std::string_view hosts, const std::vector<std::string>& oldNames,
                                            const std::string& newName);

// Rewrites the file at `path` (through a link, to the file it names) when
// its 127.0.1.1 line names an old name: atomically, with its owner and
// mode kept. A file that cannot be read or written is left alone with a
// note on `notes`; the rename counts all the same.
void RenameInHostsFile(const std::string& path, const std::vector<std::string>& oldNames, const std::string& newName,
                       std::ostream& notes);

}  // namespace hw::posix
