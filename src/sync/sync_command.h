// The synchronise command: make the DNS short name the computer name.
#pragma once

#include <string>

#include "platform/forms.h"
#include "platform/os.h"
#include "probes/chk_ver.h"
#include "sync/forward_confirmation.h"

namespace hw {

// Tests the name and the rights, confirms that the DNS name leads back to
// the PC's address, sets the name, reports the outcome, and ends the program
// after every attempt to set the name. An unconfirmed name is not set: the
// user is told to ask the network administrator, and the program ends.
void cmd_Sync_Click(Os& os, Forms& forms, const ChkVer& chkVer, const std::string& dnsShortName,
                    const ForwardLookup& lookup);

}  // namespace hw
