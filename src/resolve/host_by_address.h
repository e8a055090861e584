// The name the system's resolver gives an IPv4 address.
#pragma once

#include <string>

#include "platform/forms.h"
#include "platform/os.h"

namespace hw {

// "" when there is none (with a message box for an invalid address or a
// failed lookup).
std::string HostNameByAddress(Os& os, Forms& forms, const std::string& address);

}  // namespace hw
