// ChkAdmin: is the user a member of the local Administrators group?
#pragma once

#include "interfaces/os.h"

namespace hw {

// Looks up the local name of the Administrators group and searches the
// process token's groups for an account of that name. Any failure: false.
bool IsAdmin(Os& os);

}  // namespace hw
