// The synchronise command: make the DNS short name the computer name.
#pragma once

#include <string>

#include "platform/forms.h"
#include "platform/os.h"
#include "probes/chk_ver.h"
#include "sync/forward_confirmation.h"

namespace hw {

// Who runs the command: the user through a button, or the elevated copy of
// the program, which holds the name from its command line (checked more
// strictly there) and never starts another copy; or a script (the sync mode),
// for which no window may open: it starts no elevated copy either, so a
// limited administrator is refused.
enum class SyncCaller { User, ElevatedCopy, Script };

// Tests the name, the domain membership and the rights, confirms that the DNS
// name leads back to the PC's address, sets the name, reports the outcome,
// and ends the program after every attempt to set the name. A domain member
// is not renamed; an unconfirmed name is not set (the user is told to ask the
// network administrator, and the program ends); a limited administrator
// (UAC) gets an elevated copy to set it, once the name is confirmed. The
// elevated copy is not asked to confirm again: `lookup` is not read for it.
void cmd_Sync_Click(Os& os, Forms& forms, const ChkVer& chkVer, const std::string& dnsShortName,
                    const ForwardLookup& lookup, SyncCaller caller = SyncCaller::User);

}  // namespace hw
