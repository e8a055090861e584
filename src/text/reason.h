// Why the names were not compared: the PC's connection, the lookup's
// failure, or the name it found. A lookup that failed reports one of these
// too, so a new reason is one enumerator here and one row of the report's
// vocabulary (src/report/vocabulary.cpp).
#pragma once

namespace hw {

enum class NameCheckExemption {
  None,
  NoLan,             // no LAN connection
  Vpn,               // the PC has only addresses of VPN tunnels
  NoDnsServer,       // no DNS server configured at all: nothing was asked
  NoPtrRecord,       // the server has no PTR record for the address
  DnsServerFailure,  // the server failed, refused, or answered malformed
  DnsServerUnreachable,  // nothing listens at the server's address: refused at once
  DnsTimeout,        // the server did not answer
  NoDnsName,         // the lookup gave no name, for no reason known
  LoopbackAddress,   // the selected address is 127.0.0.1
  LocalHost,         // the name is "localhost"
  DynamicPoolName,   // a dynamic-pool name of a campus domain
  OutsideCampus,     // a name outside every campus domain, a provider's say
  Count              // not a reason: how many there are, None counted
};

}  // namespace hw
