// GetNetworkParams for Linux: the first DNS server of resolv.conf, looking
// past systemd-resolved's stub to the server it forwards to, since the
// program asks the network's DNS and not a local cache.
#include "platform/posix/os/files.h"
#include "platform/posix/os/posix_os.h"
#include "platform/posix/os/resolv_conf.h"

namespace hw::posix {

uint32_t PosixOs::GetNetworkParams(FixedInfo* info, uint32_t& outBufLen) {
  if (!info || outBufLen < kFixedInfoSize) {
    outBufLen = kFixedInfoSize;
    return kErrorBufferOverflow;
  }
  std::optional<std::string> server;
  if (auto text = ReadSmallFile(paths_.resolvConf)) server = FirstIpv4Nameserver(*text);
  // Behind the stub only its upstream servers count: with no IPv4 one
  // among them there is no server to ask, never the stub's cache.
  if (server && IsLocalCachingStub(*server)) {
    auto upstream = ReadSmallFile(paths_.resolvedResolvConf);
    server = upstream ? FirstIpv4Nameserver(*upstream) : std::nullopt;
  }
  info->DnsServerIpAddress = server.value_or("");
  info->DnsServerIpAddress.resize(16, '\0');
  return kErrorSuccess;
}

}  // namespace hw::posix
