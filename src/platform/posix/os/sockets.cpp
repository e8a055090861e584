// Windows Sockets 1.1 on the C library: there is nothing to start, the
// resolver functions are the C library's own, and a host entry is copied
// out before the next call can overwrite it. The PC's own name is answered
// as Windows answers it, with the addresses of its network interfaces: a
// hosts file that maps the name to 127.0.1.1, as Debian's installer writes
// it, would otherwise hide them.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/posix/os/files.h"
#include "platform/posix/os/own_addresses.h"
#include "platform/posix/os/posix_os.h"
#include "text/text.h"

namespace hw::posix {
namespace {

constexpr int kWsaEfault = 10014;

// The empty name stands for the PC itself, as in Windows Sockets.
bool IsOwnName(const std::string& name) {
  char own[256] = {};
  if (name.empty()) return true;
  return ::gethostname(own, sizeof own - 1) == 0 && EqualsIgnoringAsciiCase(name, own);
}

int WsaErrorOfHErrno(int error) {
  switch (error) {
    case HOST_NOT_FOUND: return kWsaHostNotFound;
    case TRY_AGAIN: return kWsaTryAgain;
    case NO_DATA: return kWsaNoData;
    default: return kWsaNoRecovery;
  }
}

HostEnt CopyOf(const hostent& entry) {
  HostEnt copy;
  copy.h_name = entry.h_name ? entry.h_name : "";
  copy.h_length = static_cast<int16_t>(entry.h_length);
  for (char** address = entry.h_addr_list; address && *address; ++address) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(*address);
    copy.h_addr_list.emplace_back(bytes, bytes + entry.h_length);
  }
  return copy;
}

// Runs one of the C library's reentrant lookups, growing its scratch buffer
// while it asks for more. `lookup` returns the call's result and sets the
// entry pointer and h_errno value.
template <class Lookup>
std::optional<HostEnt> LookUp(Lookup lookup, int& lastError) {
  std::vector<char> scratch(1024);
  for (;;) {
    hostent entry{};
    hostent* found = nullptr;
    int herror = 0;
    int result = lookup(entry, scratch, found, herror);
    if (result == ERANGE && scratch.size() < (1u << 20)) {
      scratch.resize(scratch.size() * 2);
      continue;
    }
    if (result != 0 || !found) {
      lastError = WsaErrorOfHErrno(herror);
      return std::nullopt;
    }
    return CopyOf(*found);
  }
}

}  // namespace

int PosixOs::gethostname(std::string& name, int namelen) {
  if (namelen <= 0) {
    lastError_ = kWsaEfault;
    return kSocketError;
  }
  std::string buffer(static_cast<std::size_t>(namelen), '\0');
  if (::gethostname(buffer.data(), buffer.size()) != 0 || buffer.back() != '\0') {
    lastError_ = kWsaEfault;  // the name and its NUL do not fit
    return kSocketError;
  }
  name = buffer;
  return 0;
}

std::string PosixOs::DefaultRouteInterface() const {
  auto table = ReadSmallFile(paths_.procNetRoute, 1 << 20);
  return table ? DefaultRouteInterfaceOf(*table) : "";
}

// A VPN's default route leads through its tunnel; the PC's own network is
// the one behind the best default route that does not.
std::string PosixOs::DefaultRouteInterfaceBesideTunnels(const std::vector<InterfaceAddress>& addresses) const {
  auto table = ReadSmallFile(paths_.procNetRoute, 1 << 20);
  return table ? DefaultRouteInterfaceOf(*table, TunnelInterfacesOf(addresses)) : "";
}

HostEnt PosixOs::OwnHostEntry(const std::string& name) const {
  HostEnt entry;
  entry.h_name = name;
  entry.h_length = 4;
  const auto addresses = CurrentIpv4Addresses();
  for (const auto& address : OwnAddressesOf(addresses, DefaultRouteInterfaceBesideTunnels(addresses)))
    entry.h_addr_list.emplace_back(address.begin(), address.end());
  return entry;
}

std::optional<HostEnt> PosixOs::gethostbyname(const std::string& name) {
  if (IsOwnName(name)) return OwnHostEntry(name);
  return LookUp(
      [&](hostent& entry, std::vector<char>& scratch, hostent*& found, int& herror) {
        return ::gethostbyname2_r(name.c_str(), AF_INET, &entry, scratch.data(), scratch.size(), &found, &herror);
      },
      lastError_);
}

std::optional<HostEnt> PosixOs::gethostbyaddr(const std::array<uint8_t, 4>& addr, int len, int type) {
  if (len != 4 || type != kAfInet) {
    lastError_ = kWsaEfault;
    return std::nullopt;
  }
  return LookUp(
      [&](hostent& entry, std::vector<char>& scratch, hostent*& found, int& herror) {
        return ::gethostbyaddr_r(addr.data(), 4, AF_INET, &entry, scratch.data(), scratch.size(), &found,
                                 &herror);
      },
      lastError_);
}

uint32_t PosixOs::inet_addr(const std::string& cp) {
  if (cp.find('\0') != std::string::npos) return kInaddrNone;
  in_addr_t value = ::inet_addr(cp.c_str());
  return static_cast<uint32_t>(value);
}

}  // namespace hw::posix
