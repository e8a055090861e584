#include "sync/domain_member.h"

namespace hw {

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

}  // namespace hw
