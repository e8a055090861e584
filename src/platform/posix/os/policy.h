// The administrator's settings on Linux: /etc/hostwarden.conf, lines of
// `key = value` with `#` comments, a value being a list separated by commas
// or blanks. The file is believed only when no one but root can have written
// it, as sudo and sshd treat theirs: a user who could add a campus domain
// would have root's --sync rename the PC after it.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/os.h"

namespace hw::posix {

inline constexpr const char* kPolicyFilePath = "/etc/hostwarden.conf";
// A few lines are expected; a longer file is refused whole, never cut.
inline constexpr std::size_t kLargestPolicyFile = 64 * 1024;

// Why a file that is there gives no settings at all (PolicySetting::invalidReason).
inline constexpr const char* kUntrustedPolicyFile = "untrusted-file";
inline constexpr const char* kPolicyFileTooLarge = "too-large";

// Every setting of the file's text by key in lower case (keys ignore letter
// case), its values in order. A line without "=" says nothing; a key given
// twice, in any letter case, keeps the value of its last line. A UTF-8
// byte-order mark at the start is skipped.
std::map<std::string, std::vector<std::string>> ParsePolicyText(std::string_view text);

// Whether a file with this owner and mode may carry the administrator's
// settings: owned by `trustedOwner` and writable by no group or other.
bool IsTrustedPolicyMode(uid_t owner, mode_t mode, uid_t trustedOwner);

// The setting `name` (key letter case ignored) from the file at `path`:
// nullopt when the file or the key is not there; unreadable when the file
// is there but cannot be read, and unreadable with a reason for every name
// when the file is refused whole (another user could have written it, or
// it is over kLargestPolicyFile). The file, after following the path, and
// every directory above it must be `trustedOwner`'s and writable by no one
// else (a directory with the sticky bit excepted: no one else can replace
// the entry in it).
std::optional<PolicySetting> ReadPolicyFileSetting(const std::string& path, const std::string& name,
                                                   uid_t trustedOwner = 0);

}  // namespace hw::posix
