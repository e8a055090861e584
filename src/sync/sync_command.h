// The synchronise command: make the DNS short name the computer name.
#pragma once

#include <string>

#include "platform/forms.h"
#include "platform/os.h"
#include "probes/chk_ver.h"

namespace hw {

// Who runs the command: the user through a button, or the elevated copy of
// the program, which holds the name from its command line (checked more
// strictly there) and never starts another copy.
enum class SyncCaller { User, ElevatedCopy };

// Tests the name and the rights, sets the name, reports the outcome, and
// ends the program after every attempt to set the name. A domain member is
// not renamed; a limited administrator (UAC) gets an elevated copy to do it.
void cmd_Sync_Click(Os& os, Forms& forms, const ChkVer& chkVer, const std::string& dnsShortName,
                    SyncCaller caller = SyncCaller::User);

}  // namespace hw
