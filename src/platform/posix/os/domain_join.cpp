// Domain membership on Linux: a PC joined to Active Directory or FreeIPA
// (through sssd, winbind or realmd) counts as a member of its domain, so the
// synchronise command leaves its name to the network administrator.
#include "platform/posix/os/directory_join.h"
#include "platform/posix/os/posix_os.h"

namespace hw::posix {

uint32_t PosixOs::NetGetJoinInformation(const std::string* /*server*/, NetApiBuffer& nameBuffer, int& bufferType) {
  std::optional<std::string> domain = DirectoryDomainUnder("/");
  nameBuffer.text = domain.value_or("");
  nameBuffer.owner = Released([] {});
  bufferType = domain ? kNetSetupDomainName : kNetSetupUnjoined;
  return kNerrSuccess;
}

}  // namespace hw::posix
