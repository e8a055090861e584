// The rules by which the startup check reads the command line and judges
// the names. Pure functions of their arguments.
#pragma once

#include <string>
#include <string_view>

namespace hw {

// "-Q" or "/Q", in either letter case, as the first two characters of the
// command line once its surrounding spaces are gone.
bool IsQuietSwitch(std::string_view commandLine);

// The browser's major version as the first character of its version text
// gives it: a digit's value, 0 for anything else (so version 10 reads as 1).
int LeadingVersionDigit(std::string_view versionText);

struct NameCheckInput {
  bool isLan = false;
  std::string_view dnsName;
  std::string_view selectedAddress;
  std::string_view campusDomain;  // lower case
};

// Whether the names are to be compared at all: a LAN connection, a DNS name
// that is neither empty, nor a dynamic-pool (dhcp) name of the campus domain,
// nor "localhost", and an address other than the loop-back address.
bool NameCheckApplies(const NameCheckInput& input);

// The part of the DNS name before its first "." in the answer's letter case.
std::string DnsShortNameOf(std::string_view dnsName);

// Either computer name differs from the short name, letter case ignored.
bool NamesDiffer(std::string_view hostName, std::string_view computerName, std::string_view dnsShortName);

}  // namespace hw
