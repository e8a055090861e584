// Why a name lookup gave no name, in the terms an administrator acts on:
// a missing record is the zone's business, a failing or silent server the
// DNS service's, a missing server the PC's configuration.
#pragma once

#include <cstdint>

#include "text/reason.h"

namespace hw {

// A lookup's failure is the reason the check then gives: NoPtrRecord,
// DnsServerFailure, DnsServerUnreachable, DnsTimeout or NoDnsServer; None
// where a name came back, or nothing says why none did.
using LookupFailure = NameCheckExemption;

// The failure a DnsQuery_A status stands for; a success with no PTR record
// in it is a missing record too.
LookupFailure LookupFailureOfDnsStatus(int32_t status);

// The failure a Windows Sockets error of gethostbyaddr stands for.
LookupFailure LookupFailureOfWinsockError(int error);

}  // namespace hw
