// Whether a DNS name leads back to an address: the forward half of a
// reverse lookup, asked before a PTR answer is trusted enough to act on.
#pragma once

#include <string>

#include "interfaces/forms.h"
#include "interfaces/os.h"

namespace hw {

// True when the A records that `server` alone gives for `name`, asked past
// the resolver cache, the hosts file, the PC's own names and NetBIOS,
// include `address`. Only A records of the answer
// section count. No usable server, address or name, or a failed query:
// false, without a message.
bool DnsNameHasAddress(Os& os, const std::string& name, const std::string& address, const std::string& server);

// The same through the system's resolver (gethostbyname), for the systems
// that have no DNS client to ask one server. Starts and ends Windows Sockets
// around the lookup, so its messages may show; false when it cannot be used.
bool ResolverNameHasAddress(Os& os, Forms& forms, const std::string& name, const std::string& address);

}  // namespace hw
