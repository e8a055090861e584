#include "probes/names.h"

#include <functional>

#include "text/text.h"

namespace hw {
namespace {

// The buffer sizes: 255 characters and the NUL for a user name, 15 and the
// NUL for a NetBIOS name, 256 and the NUL for a DNS host name.
constexpr uint32_t kUserNameBuffer = 256;
constexpr uint32_t kComputerNameBuffer = 16;
constexpr uint32_t kDnsHostNameBuffer = 257;

// Hands the system a buffer of `size` blanks; on success the name is what
// stands before the first NUL, on failure nothing of the buffer is kept.
std::string ReadNameInto(uint32_t size, const std::function<int(std::string&, uint32_t&)>& call) {
  std::string buffer(size, ' ');
  uint32_t length = size;
  if (call(buffer, length) == 0) return "";
  return TrimAtNul(buffer);
}

}  // namespace

std::string QueryUserName(Os& os) {
  return ReadNameInto(kUserNameBuffer, [&](std::string& b, uint32_t& n) { return os.GetUserNameA(b, n); });
}

std::string QueryComputerName(Os& os) {
  return ReadNameInto(kComputerNameBuffer, [&](std::string& b, uint32_t& n) { return os.GetComputerNameA(b, n); });
}

std::string QueryDnsHostName(Os& os) {
  return ReadNameInto(kDnsHostNameBuffer, [&](std::string& b, uint32_t& n) {
    return os.GetComputerNameExA(kComputerNameDnsHostname, b, n);
  });
}

}  // namespace hw
