// The synchronise command: make the DNS short name the computer name.
#pragma once

#include <string>

#include "platform/forms.h"
#include "platform/os.h"
#include "probes/chk_ver.h"

namespace hw {

// Tests the name and the rights, sets the name, reports the outcome, and
// ends the program after every attempt to set the name. A domain member is
// not renamed.
void cmd_Sync_Click(Os& os, Forms& forms, const ChkVer& chkVer, const std::string& dnsShortName);

}  // namespace hw
