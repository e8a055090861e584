#include "sync/chk_admin.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "text/text.h"

namespace hw {
namespace {

constexpr uint32_t kAccountBufferLength = 255;

// The account name LookupAccountSidA gives a SID: the text before the NUL it
// writes into the blank buffer. nullopt when the lookup fails, so that such a
// group never matches. The domain is read but never compared.
std::optional<std::string> AccountName(Os& os, SidRef sid) {
  std::string name(kAccountBufferLength, ' ');
  std::string domain(kAccountBufferLength, ' ');
  uint32_t nameLength = kAccountBufferLength;
  uint32_t domainLength = kAccountBufferLength;
  int use = 0;
  if (os.LookupAccountSidA(nullptr, sid, name, nameLength, domain, domainLength, use) != 1) return std::nullopt;
  return TrimAtNul(name);
}

// The groups of the token, read with the length the size query asks for: a
// token with many groups needs more than any fixed buffer would hold.
std::optional<TokenGroups> ReadTokenGroups(Os& os, const TokenHandle& token) {
  uint32_t needed = 0;
  if (os.GetTokenInformation(token, kTokenGroups, nullptr, 0, needed) == 1) return std::nullopt;
  if (static_cast<int32_t>(needed) <= 0) return std::nullopt;
  TokenGroups groups;
  uint32_t returned = 0;
  if (os.GetTokenInformation(token, kTokenGroups, &groups, needed, returned) != 1) return std::nullopt;
  return groups;
}

// The built-in Administrators group, S-1-5-32-544.
bool BuildAdministratorsSid(Os& os, Sid& sid) {
  constexpr std::array<uint32_t, 8> subAuthorities = {kSecurityBuiltinDomainRid, kDomainAliasRidAdmins};
  return os.AllocateAndInitializeSid(kSecurityNtAuthority, 2, subAuthorities, sid) == 1;
}

// A group kept in the token for denying access only grants nothing: that is
// how UAC leaves the Administrators group in an administrator's limited
// token, and the system refuses to set the name with such a token.
bool GrantsRights(const SidAndAttributes& group) { return (group.Attributes & kSeGroupUseForDenyOnly) == 0; }

// Compared by name, not by SID, and case-sensitively; a group of that name
// from another domain counts too.
bool HasGroupNamed(Os& os, const TokenGroups& groups, const std::string& wanted) {
  for (const auto& group : groups.Groups)
    if (GrantsRights(group) && AccountName(os, group.Sid) == wanted) return true;
  return false;
}

}  // namespace

bool IsAdmin(Os& os) {
  TokenHandle token;  // closed on every path once opened, after the SID is freed
  if (os.OpenProcessToken(os.GetCurrentProcess(), kTokenRead, token) != 1) return false;
  const auto groups = ReadTokenGroups(os, token);
  if (!groups) return false;

  Sid administrators;  // freed on every path once allocated
  if (!BuildAdministratorsSid(os, administrators)) return false;
  // Its local name: it differs from one language of Windows to the next.
  const auto administratorsName = AccountName(os, administrators.ref);
  if (!administratorsName) return false;
  return HasGroupNamed(os, *groups, *administratorsName);
}

}  // namespace hw
