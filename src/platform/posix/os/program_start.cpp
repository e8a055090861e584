// This program's own file. Starting it with root's rights is pkexec's
// (pkexec_copy.cpp).
#include <unistd.h>

#include <vector>

#include "platform/posix/os/posix_os.h"

namespace hw::posix {

uint32_t PosixOs::GetModuleFileNameW(Handle module, std::string& filename, uint32_t size) {
  if (module != 0 || size == 0) return 0;
  std::vector<char> path(size);
  ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0) return 0;
  filename.assign(path.data(), static_cast<std::size_t>(length));
  return static_cast<uint32_t>(length);  // `size` when the path was cut, as on Windows XP
}

}  // namespace hw::posix
