// Why a name lookup gave no name, in the terms an administrator acts on:
// a missing record is the zone's business, a failing or silent server the
// DNS service's, a missing server the PC's configuration.
#pragma once

#include <cstdint>

namespace hw {

enum class LookupFailure {
  None,           // a name came back, or nothing says why none did
  NoRecord,       // the server says the address has no PTR record
  ServerFailure,  // the server failed, refused, or answered malformed
  Unreachable,    // the server's address refused the query at once: nothing listens there
  Timeout,        // no answer came
  NoServer,       // no DNS server to ask: no query was sent
};

// The failure a DnsQuery_A status stands for; a success with no PTR record
// in it is a missing record too.
LookupFailure LookupFailureOfDnsStatus(int32_t status);

// The failure a Windows Sockets error of gethostbyaddr stands for.
LookupFailure LookupFailureOfWinsockError(int error);

}  // namespace hw
