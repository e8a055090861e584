// User and computer names: the effective user, and the host name in the
// forms Windows knows (NetBIOS name, DNS host name, domain, full name).
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "platform/posix/os/name_buffer.h"
#include "platform/posix/os/posix_os.h"
#include "text/names.h"

namespace hw::posix {
namespace {

std::optional<std::string> EffectiveUserName() {
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> storage(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
  for (;;) {
    passwd entry{};
    passwd* found = nullptr;
    int error = getpwuid_r(geteuid(), &entry, storage.data(), storage.size(), &found);
    if (error == ERANGE && storage.size() < (1u << 20)) {
      storage.resize(storage.size() * 2);
      continue;
    }
    if (error != 0 || !found || !found->pw_name) return std::nullopt;
    return std::string(found->pw_name);
  }
}

std::optional<std::string> HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return std::nullopt;
  return std::string(name);
}

// What GetComputerNameExA reports for each name type; nullopt for a type
// it does not know.
std::optional<std::string> ComputerNameOfType(int nameType, const std::string& hostName) {
  switch (nameType) {
    case 0:  // ComputerNameNetBIOS
    case 4:  // ComputerNamePhysicalNetBIOS
      return NetbiosNameOf(hostName);
    case kComputerNameDnsHostname:
    case kComputerNamePhysicalDnsHostname:
      return FirstLabel(hostName);
    case 2:  // ComputerNameDnsDomain
    case 6:  // ComputerNamePhysicalDnsDomain
      return DomainOf(hostName);
    case 3:  // ComputerNameDnsFullyQualified
    case 7:  // ComputerNamePhysicalDnsFullyQualified
      return hostName;
    default:
      return std::nullopt;
  }
}

}  // namespace

int PosixOs::GetUserNameA(std::string& buffer, uint32_t& size) {
  auto name = EffectiveUserName();
  if (!name) return 0;
  return FillNameBuffer(*name, buffer, size, true);
}

int PosixOs::GetComputerNameA(std::string& buffer, uint32_t& size) {
  auto host = HostName();
  if (!host) return 0;
  return FillNameBuffer(NetbiosNameOf(*host), buffer, size, false);
}

int PosixOs::GetComputerNameExA(int nameType, std::string& buffer, uint32_t& size) {
  auto host = HostName();
  if (!host) return 0;
  auto name = ComputerNameOfType(nameType, *host);
  if (!name) return 0;
  return FillNameBuffer(*name, buffer, size, false);
}

}  // namespace hw::posix
