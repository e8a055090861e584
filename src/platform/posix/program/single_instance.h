// One running program per user: the first instance holds an exclusive
// flock on a lock file that only its user can reach (root's in /run, every
// other user's in their runtime directory), for as long as it lives; a
// second start finds it locked. The kernel drops the lock when the process
// ends, however it ends, so a dead holder leaves nothing that counts.
#pragma once

#include <string>

namespace hw::posix {

class SingleInstance {
 public:
  // Locks `lockFile` (the user's own by default). An empty path, a file
  // that is a link or belongs to another user, or one that cannot be
  // opened counts as free: a missing facility never keeps the program from
  // starting, and no other user can make it think one runs.
  explicit SingleInstance(std::string lockFile = DefaultLockFile());
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when another process of this user holds the lock.
  bool AnotherIsRunning() const { return anotherIsRunning_; }

  // /run/hostwarden.lock for root; otherwise hostwarden.lock in
  // $XDG_RUNTIME_DIR, /run/user/<uid> or /tmp/hostwarden-<uid> (made if
  // need be), the first that is a directory of this user's that nobody else
  // may write to; "" when there is none.
  static std::string DefaultLockFile();

 private:
  int fd_ = -1;
  bool anotherIsRunning_ = false;
};

// Whether `directory` is a real directory (no link) owned by `uid` that no
// other user may write to: a place where nobody else can plant a file.
bool IsPrivateDirectory(const std::string& directory, unsigned uid);

}  // namespace hw::posix
