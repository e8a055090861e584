// The name the network's DNS gives an address: one PTR query, past the
// resolver cache, to one given server.
#pragma once

#include <string>
#include <vector>

#include "platform/os.h"
#include "resolve/lookup_failure.h"

namespace hw {

// The dotted address of the first DNS server of the IP configuration, or "".
std::string QueryDnsServer(Os& os);
// The names of every PTR record of the answer that `server` gives for
// `address`, in answer order, each cut at its first NUL; none on failure,
// and then `failure` (when given) says why. No query goes out without a
// usable IPv4 server.
std::vector<std::string> DnsReverseLookup(Os& os, const std::string& address, const std::string& server,
                                          LookupFailure* failure = nullptr);

}  // namespace hw
