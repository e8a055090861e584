// What the startup check calls, each with the contract it relies on. The real
// program binds them to the probes and name lookups; tests may bind any of
// them to a stand-in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "probes/chk_ver.h"
#include "resolve/lookup_failure.h"
#include "resolve/ipv6_configuration.h"

namespace hw {

struct StartupOperations {
  // The Windows version line ("" when unreadable); keeps the version data
  // that HasDnsClient reads.
  std::function<std::string()> OsVersionText;
  // "major.minor.build"; an error when the reporting library is missing.
  std::function<std::string()> IeVersionText;
  // Nonzero when connected; bit 0x01 modem, bit 0x02 LAN.
  std::function<int(uint32_t& flags, uint32_t reserved)> InternetGetConnectedState;
  // True when the connection can be asked whatever the browser version;
  // left unbound, false.
  std::function<bool()> ConnectionStateWithoutBrowser;
  std::function<std::string()> QueryUserName;      // "" on failure
  std::function<std::string()> QueryComputerName;  // "" on failure
  // True when cbo_IP holds the addresses with the first selected; false after
  // a message box saying why.
  std::function<bool()> ListLocalAddresses;
  // The DNS client is there: the DNS host name and the PTR query, otherwise
  // the resolver.
  std::function<bool()> HasDnsClient;
  std::function<std::string()> QueryDnsHostName;   // "" on failure
  std::function<std::string()> QueryDnsServer;     // "" on failure
  // The addresses of the PC's VPN tunnels (PPP and tunnel adapters); none
  // where the system cannot tell. Left unbound, none.
  std::function<std::vector<std::string>()> TunnelAddresses;
  // The names of every PTR record the server gives the address, in answer
  // order; none without a message, and then `failure` says why.
  std::function<std::vector<std::string>(const std::string& address, const std::string& server,
                                         LookupFailure& failure)>
      DnsReverseLookup;
  // The resolver's name for the address; "" (with a message box for an
  // invalid address or a failed lookup, whose cause goes to `failure`).
  std::function<std::string(const std::string& address, LookupFailure& failure)> HostNameByAddress;
  // The PC's IPv6 addresses and the server for their query; left unbound,
  // the check is IPv4 only.
  std::function<Ipv6Configuration()> QueryIpv6Configuration;
  // The PTR names `server` (IPv6 or IPv4) gives the IPv6 address; none
  // without a message.
  std::function<std::vector<std::string>(const std::string& address, const std::string& server)> Ipv6ReverseLookup;
  // Shows the warning dialog modeless, no owner; returns at once.
  std::function<void()> ShowWarningDialog;
};

}  // namespace hw
