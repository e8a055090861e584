#include "platform/posix/hosts_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/posix/files.h"

namespace hw::posix {
namespace {

constexpr std::string_view kOwnLineAddress = "127.0.1.1";
constexpr std::size_t kLargestHostsFile = 4 << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool IsOldName(std::string_view field, const std::vector<std::string>& oldNames) {
  for (const auto& old : oldNames)
    if (!old.empty() && SameName(field, old)) return true;
  return false;
}

// One line without its newline: the fields before any '#', the first the
// address. Only the name fields of a 127.0.1.1 line are replaced.
std::string RenamedLine(std::string_view line, const std::vector<std::string>& oldNames, const std::string& newName,
                        bool& changed) {
  std::string out;
  std::size_t end = std::min(line.find('#'), line.size());
  std::size_t at = 0;
  bool first = true, ownLine = false;
  while (at < end) {
    std::size_t blankEnd = at;
    while (blankEnd < end && IsBlank(line[blankEnd])) ++blankEnd;
    out.append(line.substr(at, blankEnd - at));
    if (blankEnd == end) {
      at = end;
      break;
    }
    std::size_t fieldEnd = blankEnd;
    while (fieldEnd < end && !IsBlank(line[fieldEnd])) ++fieldEnd;
    std::string_view field = line.substr(blankEnd, fieldEnd - blankEnd);
    if (first) {
      ownLine = field == kOwnLineAddress;
      first = false;
      out.append(field);
    } else if (ownLine && IsOldName(field, oldNames)) {
      out.append(newName);
      changed = true;
    } else {
      out.append(field);
    }
    at = fieldEnd;
  }
  out.append(line.substr(at));
  return out;
}

std::string RealPathOf(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// A temporary file beside the target with the target's owner and mode,
// renamed over it; "" on success, otherwise what went wrong.
std::string ReplaceKeepingOwnerAndMode(const std::string& path, const std::string& text) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::strerror(errno);
  std::string directory = DirectoryOf(path);
  std::string temporary = directory + "/.hosts.XXXXXX";
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  bool written = ::fchown(fd, info.st_uid, info.st_gid) == 0 && ::fchmod(fd, info.st_mode & 07777) == 0 &&
                 WriteAll(fd, text) && ::fsync(fd) == 0;
  int error = errno;
  written = ::close(fd) == 0 && written;
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    if (written) error = errno;
    ::unlink(temporary.c_str());
    return std::strerror(error);
  }
  SyncDirectory(directory);
  return "";
}

}  // namespace

std::optional<std::string> HostsTextRenamed(std::string_view hosts, const std::vector<std::string>& oldNames,
                                            const std::string& newName) {
  std::string out;
  bool changed = false;
  while (!hosts.empty()) {
    std::size_t newline = hosts.find('\n');
    std::string_view line = hosts.substr(0, newline);
    out += RenamedLine(line, oldNames, newName, changed);
    if (newline == std::string_view::npos) break;
    out += '\n';
    hosts.remove_prefix(newline + 1);
  }
  if (!changed) return std::nullopt;
  return out;
}

void RenameInHostsFile(const std::string& path, const std::vector<std::string>& oldNames, const std::string& newName,
                       std::ostream& notes) {
  std::string target = RealPathOf(path);
  auto text = ReadSmallFile(target, kLargestHostsFile + 1);
  if (!text) {
    notes << "hostwarden: " << path << " nicht lesbar, der neue Name fehlt dort\n";
    return;
  }
  if (text->size() > kLargestHostsFile) {
    notes << "hostwarden: " << path << " ist zu groß, der neue Name fehlt dort\n";
    return;
  }
  auto renamed = HostsTextRenamed(*text, oldNames, newName);
  if (!renamed) return;
  std::string failure = ReplaceKeepingOwnerAndMode(target, *renamed);
  if (!failure.empty())
    notes << "hostwarden: " << path << " nicht angepasst (" << failure << "), 127.0.1.1 nennt noch den alten Namen\n";
}

}  // namespace hw::posix
