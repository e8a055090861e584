// Renaming the PC on Linux, all or nothing: the static host name in
// /etc/hostname and the machine's own line of /etc/hosts, both written by
// root, change together, or neither does. The new name takes effect at the
// next start (the running name is never touched); links at either path
// stay links.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/posix/os/hosts_file.h"

namespace hw::posix {

// The new short name with the domain of the DNS name the check found; no
// full name when that name has none.
NewHostNames NewNamesFrom(const std::string& shortName, const std::string& dnsName);

// The static name to store: a full name stays a full name (as Red Hat-style
// systems keep it), a short one stays short.
std::string NewStaticName(const std::string& oldStaticName, const NewHostNames& names);

// The static name a hostname file holds, read as hostname(5) and systemd
// read it: the first line that is neither blank nor a comment ('#'),
// blanks cut off; "" for none.
std::string StaticNameIn(const std::string& hostnameText);

}  // namespace hw::posix
