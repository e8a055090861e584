// The rules by which the startup check reads the command line and judges
// the names. Pure functions of their arguments.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/reason.h"
#include "resolve/lookup_failure.h"
#include "text/names.h"

namespace hw {

// "-Q" or "/Q", in either letter case, as the first two characters of the
// command line's first argument, its quotes taken off as Windows splits
// arguments: "/Q" in quotes is the quiet switch too, as the README says. A
// switch after another argument is not.
bool IsQuietSwitch(std::string_view commandLine);

// The browser's major version as the first character of its version text
// gives it: a digit's value, 0 for anything else (so version 10 reads as 1).
int LeadingVersionDigit(std::string_view versionText);

// The campus's names: its DNS domains and the label prefixes of its
// dynamic pools, all lower case.
struct CampusLists {
  std::vector<std::string> domains;
  std::vector<std::string> poolPrefixes{"dhcp"};

  CampusLists() = default;
  CampusLists(std::vector<std::string> domainList, std::vector<std::string> prefixList)
      : domains(std::move(domainList)), poolPrefixes(std::move(prefixList)) {}
  // One domain, with the pool prefix "dhcp".
  CampusLists(std::string_view domain) : domains{std::string(domain)} {}  // NOLINT: implicit on purpose
  CampusLists(const char* domain) : CampusLists(std::string_view(domain)) {}         // NOLINT
  CampusLists(const std::string& domain) : CampusLists(std::string_view(domain)) {}  // NOLINT

  bool operator==(const CampusLists&) const = default;
};

struct NameCheckInput {
  bool isLan = false;
  std::string_view dnsName;
  std::string_view selectedAddress;
  CampusLists campus;
  LookupFailure lookupFailure = LookupFailure::None;  // why the lookup gave no name
  bool onlyTunnelAddresses = false;  // every address of the PC is a VPN's
};

// Why the names are not compared; None when they are.
// The first reason, in the order above, not to compare the names.
NameCheckExemption NameCheckExemptionOf(const NameCheckInput& input);

// The domain itself or a name ending in "." and the domain, letter case
// ignored; one closing root dot is allowed. `campusDomain` is lower case.
bool IsWithinCampusDomain(std::string_view dnsName, std::string_view campusDomain);

// The first of `domains` that the name lies within; "" for none. A rule
// that treats a domain's own name apart compares the name with it.
std::string_view CampusDomainOf(std::string_view dnsName, const std::vector<std::string>& domains);

// A dynamic-pool name: the lower-cased name begins with one of the pool
// prefixes and holds one of the campus domains anywhere (a plain search,
// not only at the end).
bool IsDynamicPoolName(std::string_view dnsName, const CampusLists& campus);

// Either computer name differs from the short name, letter case ignored: the
// host name from all of it, the NetBIOS name from its NetBIOS form.
bool NamesDiffer(std::string_view hostName, std::string_view computerName, std::string_view dnsShortName);

// The PTR names in an order that does not depend on the server: servers
// rotate the records of an answer, and the name shown, logged and offered
// must not change from run to run. Ascending by the name lower-cased
// (ASCII letters only), ties by the bytes as they came.
std::vector<std::string> InStableOrder(std::vector<std::string> ptrNames);

// A name the check would go on with by itself: within a campus domain, but
// not the domain itself, no dynamic-pool name and not "localhost".
bool IsAcceptedCampusName(std::string_view dnsName, const CampusLists& campus);

// Those of the PTR names that IsAcceptedCampusName accepts, in their order.
std::vector<std::string> AcceptedCampusNames(const std::vector<std::string>& ptrNames, const CampusLists& campus);

// The PTR name the check goes on with: the first whose short name agrees
// with both computer names, otherwise the first of all; "" for none.
std::string PtrNameToCompare(const std::vector<std::string>& ptrNames, std::string_view hostName,
                             std::string_view computerName);

}  // namespace hw
