#include "platform/posix/os/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <algorithm>
#include <fstream>

namespace hw::posix {

// Reads in pieces as the file goes: a buffer of the whole limit, filled
// before reading, cost the log-on check more than all its other work when
// the limit is large (the route table's is a megabyte).
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  constexpr std::size_t kPiece = 4096;
  std::string text;
  while (text.size() < limit && in) {
    std::size_t had = text.size();
    text.resize(had + std::min(kPiece, limit - had));
    in.read(text.data() + had, static_cast<std::streamsize>(text.size() - had));
    text.resize(had + static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return std::nullopt;
  return text;
}

bool DirectoryExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectory(const std::string& directory) {
  int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Followed by hand rather than with realpath, which fails for a link whose
// file does not exist yet: that file is the one to write, the link stays.
std::string FileBehindLinks(const std::string& path) {
  constexpr int kMostLinks = 40;  // as the kernel's own limit
  std::string current = path;
  for (int followed = 0; followed < kMostLinks; ++followed) {
    char target[PATH_MAX];
    ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
    if (length < 0) return current;  // not a link (or nothing there): this is the file
    std::string next(target, static_cast<std::size_t>(length));
    current = next.front() == '/' ? next : DirectoryOf(current) + "/" + next;
  }
  return path;  // a loop: writing would fail on the path anyway
}

std::string ReplaceFileAtomically(const std::string& path, std::string_view text) {
  const std::string target = FileBehindLinks(path);
  struct stat info {};
  bool existed = ::stat(target.c_str(), &info) == 0;
  if (!existed && errno != ENOENT) return std::strerror(errno);
  std::string directory = DirectoryOf(target);
  std::string temporary = directory + "/." + target.substr(target.rfind('/') + 1) + ".XXXXXX";
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  // A file we create belongs to us; the file it replaces may not.
  bool written = (!existed || ::fchown(fd, info.st_uid, info.st_gid) == 0) &&
                 ::fchmod(fd, existed ? info.st_mode & 07777 : 0644) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
  int error = errno;
  written = ::close(fd) == 0 && written;
  if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
    if (written) error = errno;
    ::unlink(temporary.c_str());
    errno = error;  // for a caller that tells a refusal from other faults
    return std::strerror(error);
  }
  SyncDirectory(directory);
  return "";
}

}  // namespace hw::posix
