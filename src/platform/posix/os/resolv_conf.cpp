#include "platform/posix/os/resolv_conf.h"

#include <arpa/inet.h>

namespace hw::posix {
namespace {

std::string_view NextWord(std::string_view& line) {
  std::size_t start = line.find_first_not_of(" \t\r");
  if (start == std::string_view::npos) {
    line = {};
    return {};
  }
  std::size_t end = line.find_first_of(" \t\r", start);
  std::string_view word = line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
  line = end == std::string_view::npos ? std::string_view() : line.substr(end);
  return word;
}

bool IsDottedIpv4(std::string_view text) {
  in_addr parsed{};
  return text.size() <= 15 && ::inet_pton(AF_INET, std::string(text).c_str(), &parsed) == 1;
}

}  // namespace

std::optional<std::string> FirstIpv4Nameserver(std::string_view resolvConf) {
  while (!resolvConf.empty()) {
    std::size_t end = resolvConf.find('\n');
    std::string_view line = resolvConf.substr(0, end);
    resolvConf = end == std::string_view::npos ? std::string_view() : resolvConf.substr(end + 1);
    if (NextWord(line) != "nameserver") continue;  // comments start with # or ; and never match
    std::string_view address = NextWord(line);
    if (IsDottedIpv4(address)) return std::string(address);
  }
  return std::nullopt;
}

bool IsLocalCachingStub(std::string_view address) { return address == "127.0.0.53"; }

}  // namespace hw::posix
