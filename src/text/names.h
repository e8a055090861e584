// The rules a computer name and a DNS label follow, shared by the check, the
// synchronise command and both platform layers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hw {

// The NetBIOS computer-name limit, in characters: the longest name Windows
// sets, and the part of a longer DNS name that becomes the NetBIOS name.
constexpr std::size_t kNetbiosNameLength = 15;

// The longest label a DNS name may hold, in bytes.
constexpr std::size_t kMaxDnsLabelLength = 63;

// The part of a DNS name before its first ".", letter case kept; all of it
// when it has no dot.
std::string FirstLabel(std::string_view dnsName);

// The NetBIOS name Windows derives from a DNS short name: its first 15
// characters.
std::string NetbiosNameOf(std::string_view dnsShortName);

// One DNS label as a host name: ASCII letters, digits and hyphens, neither
// beginning nor ending with a hyphen; not empty. Its length is the caller's
// own test.
bool IsAsciiHostLabel(std::string_view label);

// Whether a DNS short name can be a computer name at all: one label of
// letters (ASCII and the Latin-1 letters, as the ANSI code page carries
// them), digits and hyphens, neither beginning nor ending with a hyphen.
// Its length is the synchronise command's own test.
bool CanBeComputerName(std::string_view dnsShortName);

}  // namespace hw
