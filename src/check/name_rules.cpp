#include "check/name_rules.h"

#include "resolve/text_helpers.h"

namespace hw {
namespace {

constexpr std::string_view kLoopbackAddress = "127.0.0.1";
constexpr std::string_view kLocalHostName = "localhost";
constexpr std::string_view kDynamicPoolPrefix = "dhcp";

}  // namespace

bool IsQuietSwitch(std::string_view commandLine) {
  std::string start = ToUpperAscii(TrimSpaces(commandLine).substr(0, 2));
  return start == "-Q" || start == "/Q";
}

int LeadingVersionDigit(std::string_view versionText) {
  if (versionText.empty() || versionText[0] < '0' || versionText[0] > '9') return 0;
  return versionText[0] - '0';
}

bool NameCheckApplies(const NameCheckInput& input) {
  std::string name = ToLower(input.dnsName);
  // The search for the campus domain is deliberately anywhere in the name.
  bool dynamicPoolName =
      name.find(input.campusDomain) != std::string::npos && name.substr(0, 4) == kDynamicPoolPrefix;
  return input.isLan && !dynamicPoolName && name != kLocalHostName && !input.dnsName.empty() &&
         input.selectedAddress != kLoopbackAddress;
}

std::string DnsShortNameOf(std::string_view dnsName) {
  return std::string(dnsName.substr(0, dnsName.find('.')));
}

bool NamesDiffer(std::string_view hostName, std::string_view computerName, std::string_view dnsShortName) {
  std::string shortName = ToLower(dnsShortName);
  return ToLower(hostName) != shortName || ToLower(computerName) != shortName;
}

}  // namespace hw
