#include "platform/posix/os/host_rename.h"

#include <unistd.h>

#include <cerrno>

#include "platform/posix/os/files.h"
#include "platform/posix/os/posix_os.h"
#include "platform/posix/os/static_hostname.h"

namespace hw::posix {
namespace {

constexpr std::size_t kLargestHostnameFile = 4096;
constexpr std::size_t kLargestHostsFile = 4 << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A file as it was before the rename, to be put back byte for byte when a
// later step fails. `text` is nullopt for a file that did not exist.
struct FileBefore {
  std::string path;  // the file behind any links
  std::optional<std::string> text;
};

// nullopt when the file cannot be read whole: what it names is then
// unknown, and nothing is renamed.
std::optional<FileBefore> Remember(const std::string& path, std::size_t limit) {
  std::string target = FileBehindLinks(path);
  if (::access(target.c_str(), F_OK) != 0 && errno == ENOENT) return FileBefore{target, std::nullopt};
  auto text = ReadSmallFile(target, limit + 1);
  if (!text || text->size() > limit) return std::nullopt;
  return FileBefore{target, std::move(*text)};
}

// Only ever the file behind the links is written or removed: a link stays.
bool Restore(const FileBefore& before) {
  if (!before.text) return ::unlink(before.path.c_str()) == 0 || errno == ENOENT;
  if (ReadSmallFile(before.path, before.text->size() + 1) == before.text) return true;
  return ReplaceFileAtomically(before.path, *before.text).empty();
}

bool IsRightsError(int error) { return error == EACCES || error == EPERM; }

std::string RunningHostName() {
  char running[256] = {};
  if (::gethostname(running, sizeof running - 1) != 0) return "";
  return running;
}

enum class StaticNameSet { Set, Refused, RefusedForRights };

// The file behind any links is replaced, as only root may: the system takes
// the name at its next start, systemd-hostnamed reads the file again when
// asked, links stay links, and the running name stays with the logged-on
// desktop, whose X11 authorisation is bound to it. hostnamed, asked
// instead, would rename the running system at once.
StaticNameSet SetStaticName(const std::string& name, const FileBefore& hostnameFile) {
  if (std::string failure = ReplaceFileAtomically(hostnameFile.path, name + "\n"); failure.empty())
    return StaticNameSet::Set;
  return IsRightsError(errno) ? StaticNameSet::RefusedForRights : StaticNameSet::Refused;
}

}  // namespace

NewHostNames NewNamesFrom(const std::string& shortName, const std::string& dnsName) {
  std::string domain = dnsName.substr(std::min(dnsName.find('.'), dnsName.size()));
  while (!domain.empty() && domain.back() == '.') domain.pop_back();  // the root's dot
  return {shortName, domain.size() > 1 ? shortName + domain : ""};
}

std::string NewStaticName(const std::string& oldStaticName, const NewHostNames& names) {
  std::size_t dot = oldStaticName.find('.');
  if (dot == std::string::npos) return names.shortName;
  std::string full = names.fullName.empty() ? names.shortName + oldStaticName.substr(dot) : names.fullName;
  return IsValidStaticHostname(full) ? full : names.shortName;
}

std::string StaticNameIn(const std::string& hostnameText) {
  std::size_t start = 0;
  while (start < hostnameText.size()) {
    std::size_t end = std::min(hostnameText.find('\n', start), hostnameText.size());
    std::string line = hostnameText.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && IsBlank(line.back())) line.pop_back();
    while (!line.empty() && IsBlank(line.front())) line.erase(0, 1);
    if (!line.empty() && line.front() != '#') return line;
  }
  return "";
}

// Both Windows calls set the one name Linux has. Everything is read and
// worked out first; then the static name is set and the hosts file
// replaced, and when the second step fails the first is undone.
int PosixOs::SetComputerNameExA(int nameType, const std::string& name) {
  return SetComputerNameWithDnsName(nameType, name, "");
}

int PosixOs::SetComputerNameWithDnsName(int /*nameType*/, const std::string& name, const std::string& dnsName) {
  refusedForRights_ = false;
  if (!IsValidStaticHostname(name)) return 0;
  const auto hostnameBefore = Remember(paths_.hostnameFile, kLargestHostnameFile);
  const auto hostsBefore = Remember(paths_.hostsFile, kLargestHostsFile);
  if (!hostnameBefore || !hostsBefore) return 0;

  const std::string oldStatic = StaticNameIn(hostnameBefore->text.value_or(""));
  const NewHostNames names = NewNamesFrom(name, dnsName);
  const std::string newStatic = NewStaticName(oldStatic, names);
  const std::optional<std::string> newHosts =
      hostsBefore->text ? HostsTextRenamed(*hostsBefore->text, {oldStatic, RunningHostName()}, names) : std::nullopt;
  // A hosts file this user cannot replace is found out before anything is
  // changed.
  if (newHosts && ::access(DirectoryOf(hostsBefore->path).c_str(), W_OK) != 0) {
    refusedForRights_ = IsRightsError(errno);
    return 0;
  }

  if (StaticNameSet how = SetStaticName(newStatic, *hostnameBefore); how != StaticNameSet::Set) {
    refusedForRights_ = how == StaticNameSet::RefusedForRights;
    return 0;
  }
  if (!newHosts || ReplaceFileAtomically(hostsBefore->path, *newHosts).empty()) return 1;
  Restore(*hostnameBefore);
  return 0;
}

int PosixOs::SetComputerNameA(const std::string& name) {
  return SetComputerNameExA(kComputerNamePhysicalDnsHostname, name);
}

}  // namespace hw::posix
