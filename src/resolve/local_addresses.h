// The PC's IPv4 addresses, as the resolver gives them for its own host name.
#pragma once

#include "interfaces/forms.h"
#include "interfaces/os.h"

namespace hw {

// Appends every address to `cbo_IP` in delivered order and selects the first;
// false (after a message box saying why) when they cannot be listed.
bool ListLocalAddresses(Os& os, Forms& forms, Control& cbo_IP);

}  // namespace hw
