// The elevated copy on Linux: pkexec runs this program again as root, after
// the desktop's polkit agent has asked for an administrator's password
// (pkexec's own action, org.freedesktop.policykit.exec). The copy gets the
// short name and the full DNS name the check found, and nothing else: no
// environment, no other argument.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/os.h"

namespace hw::posix {

inline constexpr const char* kPkexec = "/usr/bin/pkexec";

// The copy's second argument, after ElevatedCopyArguments(shortName).
std::string DnsNameArgument(const std::string& dnsName);
// The full name a DnsNameArgument carries, when it is a valid host name
// whose first label is `shortName`; nullopt for anything else.
std::optional<std::string> DnsNameFromArgument(std::string_view argument, std::string_view shortName);

// pkexec's command line for the copy that sets `shortName` (and takes the
// domain of `dnsName`, when it is a full name of that host).
std::vector<std::string> PkexecCommand(const std::string& program, const std::string& shortName,
                                       const std::string& dnsName);

// What pkexec's exit status says: nullopt when it started no copy (126: the
// password dialog was dismissed or polkit refused; 127: not authorized or
// pkexec could not run), else how the copy ended (0 only once the name was set).
std::optional<ElevatedCopyEnd> CopyEndOfPkexecStatus(int status);

}  // namespace hw::posix
