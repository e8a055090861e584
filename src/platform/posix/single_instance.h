// One running program per user: the first instance holds an abstract Unix
// socket named after the user for as long as it lives; a second start finds
// the name taken. The kernel frees the name when the process ends, however
// it ends, and nothing is left in the file system.
#pragma once

#include <string>

namespace hw::posix {

class SingleInstance {
 public:
  // Claims the name "hostwarden-<effective uid>" (or `name` when given).
  explicit SingleInstance(std::string name = DefaultName());
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when another process holds the name. A name that cannot be
  // checked at all (no socket could be made) counts as free, so that a
  // missing facility never keeps the program from starting.
  bool AnotherIsRunning() const { return anotherIsRunning_; }

  static std::string DefaultName();

 private:
  int socket_ = -1;
  bool anotherIsRunning_ = false;
};

}  // namespace hw::posix
