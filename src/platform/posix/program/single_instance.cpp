#include "platform/posix/program/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace hw::posix {
namespace {

constexpr const char* kLockName = "hostwarden.lock";
constexpr const char* kRootLockFile = "/run/hostwarden.lock";

// Opened without following a link, and only kept when it is a plain file
// of this user's: a file planted by someone else is never locked.
int OpenOwnLockFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool IsPrivateDirectory(const std::string& directory, unsigned uid) {
  struct stat info {};
  if (directory.empty() || directory.front() != '/' || ::lstat(directory.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == uid && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

SingleInstance::SingleInstance(std::string lockFile) {
  if (lockFile.empty()) return;
  fd_ = OpenOwnLockFile(lockFile);
  if (fd_ < 0) return;
  int locked;
  do locked = ::flock(fd_, LOCK_EX | LOCK_NB);
  while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    anotherIsRunning_ = errno == EWOULDBLOCK;
    ::close(fd_);
    fd_ = -1;
  }
}

SingleInstance::~SingleInstance() {
  if (fd_ >= 0) ::close(fd_);
}

std::string SingleInstance::DefaultLockFile() {
  const unsigned uid = ::geteuid();
  if (uid == 0) return kRootLockFile;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  for (std::string directory : {std::string(runtime ? runtime : ""), "/run/user/" + std::to_string(uid)})
    if (IsPrivateDirectory(directory, uid)) return directory + "/" + kLockName;
  // A user without a runtime directory (a cron job, su without a session):
  // a directory of the user's own in /tmp. One that another user made first
  // fails the test, and the run then goes without a lock.
  std::string own = "/tmp/hostwarden-" + std::to_string(uid);
  ::mkdir(own.c_str(), 0700);
  return IsPrivateDirectory(own, uid) ? own + "/" + kLockName : "";
}

}  // namespace hw::posix
