// Members of a Windows domain: renaming one locally leaves its domain account
// under the old name, and nobody can log on to the domain from it afterwards.
#pragma once

#include "interfaces/forms.h"
#include "interfaces/os.h"

namespace hw {

// Whether the PC is joined to a domain. A system without
// NetGetJoinInformation (Windows 9x, NT 4) or a failing call counts as not
// joined.
bool IsDomainMember(Os& os);

}  // namespace hw
