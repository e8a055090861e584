// The name the system's resolver gives an IPv4 address.
#pragma once

#include <string>

#include "interfaces/forms.h"
#include "interfaces/os.h"
#include "resolve/lookup_failure.h"

namespace hw {

// "" when there is none (with a message box for an invalid address or a
// failed lookup); after a failed lookup `failure` (when given) says why, as
// the resolver's error tells it.
std::string HostNameByAddress(Os& os, Forms& forms, const std::string& address,
                              LookupFailure* failure = nullptr);

}  // namespace hw
