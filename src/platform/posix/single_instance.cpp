#include "platform/posix/single_instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstddef>
#include <cstring>

namespace hw::posix {

SingleInstance::SingleInstance(std::string name) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // An abstract name starts with a NUL and is not NUL-terminated.
  std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
  std::memcpy(address.sun_path + 1, name.data(), length);
  socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
  socket_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket_ < 0) return;
  if (::bind(socket_, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
    anotherIsRunning_ = errno == EADDRINUSE;
    ::close(socket_);
    socket_ = -1;
  }
}

SingleInstance::~SingleInstance() {
  if (socket_ >= 0) ::close(socket_);
}

std::string SingleInstance::DefaultName() { return "hostwarden-" + std::to_string(::geteuid()); }

}  // namespace hw::posix
