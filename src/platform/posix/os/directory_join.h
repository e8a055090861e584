// Whether a Linux PC is joined to a directory domain (Active Directory or
// FreeIPA), found in the files that sssd, Samba's winbind and realmd leave.
// Renaming such a PC locally leaves its computer account under the old name,
// so the synchronise command must leave it alone. Only files are read: the
// check runs at every log-on and starts no process.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hw::posix {

// The first domain of an sssd configuration whose identities come from a
// directory: a [domain/NAME] section with id_provider ad or ipa, or one
// that realmd joined (realmd_tags naming a join), which sssd uses: named
// in the [sssd] section's `domains` list (and not disabled), or enabled
// outright (enabled = true). A section left over from an old join that the
// list no longer names is not used. `texts` are sssd.conf and then the
// snippets of conf.d in the order sssd reads them; a later file's value
// replaces an earlier one's. nullopt for none.
std::optional<std::string> SssdDirectoryDomain(const std::vector<std::string>& texts);
std::optional<std::string> SssdDirectoryDomain(std::string_view sssdConf);

// Whether sssd reads a file of its conf.d: a name ending in ".conf" that
// does not begin with a dot.
bool IsSssdSnippetName(std::string_view fileName);

// What smb.conf's [global] section says about an Active Directory join.
struct SambaMembership {
  bool ads = false;          // security = ads
  std::string realm;         // realm = …, as written
  std::string privateDir;    // private dir = …; empty for Samba's default
  bool domainController = false;  // server role = one of a domain controller's
};
SambaMembership ReadSambaMembership(std::string_view smbConf);

// The domain the PC under `root` ("/" for this system) is joined to: sssd's
// sssd.conf and conf.d/*.conf, FreeIPA's client configuration, then a Samba
// ADS configuration whose secrets database exists (written by the join), or
// a Samba domain controller (its own domain's).
// Where a file of root's hides the answer from this user (sssd.conf, Samba's
// private directory), the PC counts as joined. nullopt when it is joined to
// none.
std::optional<std::string> DirectoryDomainUnder(const std::string& root);

}  // namespace hw::posix
