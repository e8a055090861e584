#include "check/name_rules.h"

#include <algorithm>

#include "text/names.h"
#include "text/text.h"

namespace hw {
namespace {

constexpr std::string_view kLoopbackAddress = "127.0.0.1";
constexpr std::string_view kLocalHostName = "localhost";

// The lookup's own reason; a lookup that says nothing gave no name.
NameCheckExemption ExemptionOfNoName(LookupFailure failure) {
  return failure == LookupFailure::None ? NameCheckExemption::NoDnsName : failure;
}

// The campus domain's own name names no PC: a rename to its first label
// would name the PC after the university.
bool IsCampusDomainItself(std::string_view dnsName, std::string_view campusDomain) {
  std::string name = ToLower(dnsName);
  if (!name.empty() && name.back() == '.') name.pop_back();
  return name == campusDomain;
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

bool IsQuietSwitch(std::string_view commandLine) {
  std::vector<std::string> arguments = SplitArguments(commandLine);
  if (arguments.empty()) return false;
  std::string start = ToUpperAscii(std::string_view(arguments.front()).substr(0, 2));
  return start == "-Q" || start == "/Q";
}

int LeadingVersionDigit(std::string_view versionText) {
  if (versionText.empty() || versionText[0] < '0' || versionText[0] > '9') return 0;
  return versionText[0] - '0';
}

bool IsWithinCampusDomain(std::string_view dnsName, std::string_view campusDomain) {
  std::string name = ToLower(dnsName);
  if (!name.empty() && name.back() == '.') name.pop_back();  // the same name, written absolute
  if (campusDomain.empty() || name.size() < campusDomain.size()) return false;
  if (name == campusDomain) return true;
  std::size_t start = name.size() - campusDomain.size();
  return start > 0 && name[start - 1] == '.' && std::string_view(name).substr(start) == campusDomain;
}

std::string_view CampusDomainOf(std::string_view dnsName, const std::vector<std::string>& domains) {
  for (const auto& domain : domains)
    if (IsWithinCampusDomain(dnsName, domain)) return domain;
  return "";
}

bool IsDynamicPoolName(std::string_view dnsName, const CampusLists& campus) {
  std::string name = ToLower(dnsName);
  auto startsWith = [&](const std::string& prefix) { return name.compare(0, prefix.size(), prefix) == 0; };
  // The search for the campus domain is deliberately anywhere in the name.
  auto holds = [&](const std::string& domain) { return name.find(domain) != std::string::npos; };
  return std::any_of(campus.poolPrefixes.begin(), campus.poolPrefixes.end(), startsWith) &&
         std::any_of(campus.domains.begin(), campus.domains.end(), holds);
}

NameCheckExemption NameCheckExemptionOf(const NameCheckInput& input) {
  std::string name = ToLower(input.dnsName);
  bool dynamicPoolName = IsDynamicPoolName(input.dnsName, input.campus);
  if (!input.isLan) return NameCheckExemption::NoLan;
  if (input.onlyTunnelAddresses) return NameCheckExemption::Vpn;
  if (input.dnsName.empty()) return ExemptionOfNoName(input.lookupFailure);
  if (input.selectedAddress == kLoopbackAddress) return NameCheckExemption::LoopbackAddress;
  if (name == kLocalHostName) return NameCheckExemption::LocalHost;
  if (dynamicPoolName) return NameCheckExemption::DynamicPoolName;
  // The rules are the campus's: a name from anywhere else (a provider's
  // pool at home) says nothing about the PC's campus name.
  bool apex = std::any_of(input.campus.domains.begin(), input.campus.domains.end(),
                          [&](const std::string& domain) { return IsCampusDomainItself(input.dnsName, domain); });
  if (CampusDomainOf(input.dnsName, input.campus.domains).empty() || apex) return NameCheckExemption::OutsideCampus;
  return NameCheckExemption::None;
}

bool NamesDiffer(std::string_view hostName, std::string_view computerName, std::string_view dnsShortName) {
  return ToLower(hostName) != ToLower(dnsShortName) || ToLower(computerName) != ToLower(NetbiosNameOf(dnsShortName));
}

std::vector<std::string> InStableOrder(std::vector<std::string> ptrNames) {
  // std::string compares its bytes as unsigned char, so the order is that of the bytes.
  std::stable_sort(ptrNames.begin(), ptrNames.end(), [](const std::string& a, const std::string& b) {
    const std::string lowerA = ToLowerAscii(a), lowerB = ToLowerAscii(b);
    return lowerA != lowerB ? lowerA < lowerB : a < b;
  });
  return ptrNames;
}

bool IsAcceptedCampusName(std::string_view dnsName, const CampusLists& campus) {
  return NameCheckExemptionOf({/*isLan=*/true, dnsName, /*selectedAddress=*/"", campus}) == NameCheckExemption::None;
}

std::vector<std::string> AcceptedCampusNames(const std::vector<std::string>& ptrNames, const CampusLists& campus) {
  std::vector<std::string> accepted;
  for (const auto& name : ptrNames)
    if (IsAcceptedCampusName(name, campus)) accepted.push_back(name);
  return accepted;
}

std::string PtrNameToCompare(const std::vector<std::string>& ptrNames, std::string_view hostName,
                             std::string_view computerName) {
  for (const auto& name : ptrNames)
    if (!NamesDiffer(hostName, computerName, FirstLabel(name))) return name;
  return ptrNames.empty() ? "" : ptrNames.front();
}

}  // namespace hw
