#include "sync/domain_member.h"

namespace hw {
namespace {

constexpr const char* kDomainMember =
    "Dieser PC ist Mitglied einer Windows-Domäne.\r\n"
    "Den Computernamen eines Domänenmitglieds kann nur der Netzwerkadministrator ändern.\r\n"
    "Bitte wenden Sie sich an den Netzwerkadministrator";

}  // namespace

bool IsDomainMember(Os& os) {
  NetApiBuffer name;  // freed on every path once the system filled it
  int status = kNetSetupUnknownStatus;
  try {
    if (os.NetGetJoinInformation(nullptr, name, status) != kNerrSuccess) return false;
  } catch (const MissingFunction&) {
    return false;  // older systems know no domain membership of this kind
  }
  return status == kNetSetupDomainName;
}

std::string_view DomainMemberMessage() { return kDomainMember; }

}  // namespace hw
