// The process token on Linux: its groups are the process's supplementary
// groups and its effective group. The Administrators group is the group
// with gid 0, and only root is its member: only root writes /etc/hostname
// and /etc/hosts, and group 0 alone gives no right to rename. A SID is a
// gid that this object has interned, so a SidRef stays valid as long as
// the PosixOs and nothing has to be freed.
#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/posix/os/name_buffer.h"
#include "platform/posix/os/posix_os.h"
#include "text/text.h"

namespace hw::posix {
namespace {

constexpr unsigned kAdministratorsGid = 0;
constexpr int kSidTypeGroup = 2;
constexpr int kSidTypeAlias = 4;
// What 32-bit Windows needs per group: a SID pointer, the attribute word and
// a SID with two sub-authorities; and the count in front.
constexpr uint32_t kBytesPerGroup = 8 + 16;
constexpr uint32_t kSeGroupEnabled = 0x7;  // mandatory, enabled by default, enabled

std::vector<unsigned> ProcessGroups(bool administrator) {
  std::vector<unsigned> groups;
  int count = ::getgroups(0, nullptr);
  if (count > 0) {
    std::vector<gid_t> ids(static_cast<std::size_t>(count));
    count = ::getgroups(count, ids.data());
    for (int i = 0; i < count; ++i) groups.push_back(ids[static_cast<std::size_t>(i)]);
  }
  groups.push_back(::getegid());
  if (administrator) groups.push_back(kAdministratorsGid);
  std::vector<unsigned> unique;
  for (unsigned gid : groups)
    if ((gid != kAdministratorsGid || administrator) && std::find(unique.begin(), unique.end(), gid) == unique.end())
      unique.push_back(gid);
  return unique;
}

std::optional<std::string> GroupName(unsigned gid) {
  long suggested = sysconf(_SC_GETGR_R_SIZE_MAX);
  std::vector<char> storage(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
  for (;;) {
    group entry{};
    group* found = nullptr;
    int error = ::getgrgid_r(static_cast<gid_t>(gid), &entry, storage.data(), storage.size(), &found);
    if (error == ERANGE && storage.size() < (1u << 22)) {
      storage.resize(storage.size() * 2);
      continue;
    }
    if (error != 0 || !found || !found->gr_name) return std::nullopt;
    return std::string(found->gr_name);
  }
}

}  // namespace

SidRef PosixOs::SidOfGroup(unsigned gid) {
  auto it = std::find(sidGroups_.begin(), sidGroups_.end(), gid);
  if (it == sidGroups_.end()) it = sidGroups_.insert(sidGroups_.end(), gid);
  return static_cast<SidRef>(it - sidGroups_.begin()) + 1;
}

const unsigned* PosixOs::GroupOfSid(SidRef sid) const {
  if (sid == 0 || sid > sidGroups_.size()) return nullptr;
  return &sidGroups_[sid - 1];
}

bool PosixOs::IsAdministrator() const { return ::geteuid() == 0; }

// Only root's own writes leave the running name alone until the next start
// (systemd-hostnamed would rename the running system at once), so anyone
// else's rename from the windows goes to the copy that pkexec runs as root.
// Scripts never ask for a password, and root needs no copy.
bool PosixOs::RenameGoesToElevatedCopy() const { return interactiveAuthorization_ && !IsAdministrator(); }

int PosixOs::GetTokenInformation(const TokenHandle& token, int infoClass, TokenGroups* info, uint32_t length,
                                 uint32_t& returnLength) {
  if (!token.owner || infoClass != kTokenGroups) return 0;
  std::vector<unsigned> groups = ProcessGroups(IsAdministrator());
  uint32_t needed = 4 + static_cast<uint32_t>(groups.size()) * kBytesPerGroup;
  returnLength = needed;
  if (!info || length < needed) return 0;
  info->Groups.clear();
  for (unsigned gid : groups) info->Groups.push_back({SidOfGroup(gid), kSeGroupEnabled});
  info->storage.reset();  // the interned SIDs live in this object
  return 1;
}

// Linux gives a process one set of rights. Its token counts as the limited
// half of an administrator's when the rename goes to the elevated copy:
// pkexec then asks for an administrator's password and runs the copy, as
// UAC does on Windows.
int PosixOs::GetTokenInformation(const TokenHandle& token, int infoClass, uint32_t& info, uint32_t length,
                                 uint32_t& returnLength) {
  returnLength = sizeof(uint32_t);
  if (!token.owner || infoClass != kTokenElevationType || length < sizeof(uint32_t)) return 0;
  info = RenameGoesToElevatedCopy() ? kTokenElevationTypeLimited : kTokenElevationTypeDefault;
  return 1;
}

int PosixOs::AllocateAndInitializeSid(const std::array<uint8_t, 6>& authority, uint8_t subAuthorityCount,
                                      const std::array<uint32_t, 8>& subAuthorities, Sid& sid) {
  bool isAdministrators = authority == kSecurityNtAuthority && subAuthorityCount == 2 &&
                          subAuthorities[0] == kSecurityBuiltinDomainRid &&
                          subAuthorities[1] == kDomainAliasRidAdmins;
  if (!isAdministrators) return 0;  // Linux has no other well-known group to stand for
  sid.ref = SidOfGroup(kAdministratorsGid);
  sid.owner = Released([] {});
  return 1;
}

int PosixOs::LookupAccountSidA(const std::string* systemName, SidRef sid, std::string& name, uint32_t& nameLen,
                               std::string& domain, uint32_t& domainLen, int& use) {
  if (systemName && !systemName->empty()) return 0;  // only the local system can be asked
  const unsigned* gid = GroupOfSid(sid);
  if (!gid) return 0;
  auto groupName = GroupName(*gid);
  if (!groupName) return 0;  // a gid without a name: no account maps to it
  // Both buffers must take their text and its NUL; otherwise both lengths
  // report what is needed and nothing is written.
  uint32_t nameNeeded = static_cast<uint32_t>(CharacterCount(*groupName) + 1), domainNeeded = 1;
  if (nameNeeded > nameLen || domainNeeded > domainLen) {
    nameLen = nameNeeded;
    domainLen = domainNeeded;
    return 0;
  }
  FillNameBuffer(*groupName, name, nameLen, false);
  FillNameBuffer("", domain, domainLen, false);
  use = *gid == kAdministratorsGid ? kSidTypeAlias : kSidTypeGroup;
  return 1;
}

}  // namespace hw::posix
