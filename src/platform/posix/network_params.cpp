// GetNetworkParams for Linux: the first DNS server of resolv.conf, looking
// past systemd-resolved's stub to the server it forwards to, since the
// program asks the network's DNS and not a local cache.
#include "platform/posix/files.h"
#include "platform/posix/posix_os.h"
#include "platform/posix/resolv_conf.h"

namespace hw::posix {

uint32_t PosixOs::GetNetworkParams(FixedInfo* info, uint32_t& outBufLen) {
  if (!info || outBufLen < kFixedInfoSize) {
    outBufLen = kFixedInfoSize;
    return kErrorBufferOverflow;
  }
  std::optional<std::string> server;
  if (auto text = ReadSmallFile(paths_.resolvConf)) server = FirstIpv4Nameserver(*text);
  if (server && IsLocalCachingStub(*server)) {
    if (auto text = ReadSmallFile(paths_.resolvedResolvConf)) {
      if (auto upstream = FirstIpv4Nameserver(*text)) server = upstream;
    }
  }
  info->DnsServerIpAddress = server.value_or("");
  info->DnsServerIpAddress.resize(16, '\0');
  return kErrorSuccess;
}

}  // namespace hw::posix
