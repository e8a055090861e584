// The synchronise command: make the DNS short name the computer name.
#pragma once

#include <functional>
#include <string>

#include "interfaces/forms.h"
#include "interfaces/os.h"
#include "probes/chk_ver.h"
#include "sync/forward_confirmation.h"

namespace hw {

// Who runs the command: the user through a button, or the elevated copy of
// the program, which holds the name from its command line (checked more
// strictly there) and never starts another copy; or a script (the sync mode),
// for which no window may open: it starts no elevated copy either, so a
// limited administrator is refused.
enum class SyncCaller { User, ElevatedCopy, Script };

// How the command ended. The system log's entry and a script's exit status
// rest on it, never on the message the user was shown.
enum class SyncOutcome {
  NameUnusable,          // the name breaks the name rule or the 15-character limit
  RightsMissing,         // no administrator, or the elevated copy was not started
  DomainMember,          // only the network administrator renames a domain member
  NotConfirmed,          // the DNS name does not lead back to the PC's address
  AmbiguousPtr,          // several campus names, and not exactly one of them leads back
  HandedToElevatedCopy,  // the copy sets the name and shows its own message
  Renamed,               // the system took the name (here or in a copy that was waited for)
  RenameFailed,          // the system refused the name
};

// Whether the program ends after that outcome: after every attempt to set
// the name, and where the user can do nothing more about it.
bool EndsTheProgram(SyncOutcome outcome);

// The reason a log entry or report gives for AmbiguousPtr.
inline constexpr const char* kAmbiguousPtrReason = "ambiguous-ptr";

// Tests the name, the domain membership and the rights, confirms that the DNS
// name leads back to the PC's address, sets the name and shows the outcome's
// message; the outcome. A domain member is not renamed; an unconfirmed name is
// not set (the user is told to ask the network administrator); where the
// address has several campus names, the one that leads back is set when
// exactly one does, and nothing otherwise; a limited administrator (UAC)
// gets an elevated copy to set it, once the name is confirmed. The system is
// given the confirmed full DNS name with the short name. The elevated copy
// is not asked to confirm again: of `lookup` it reads only the full name it
// was given. A message that cannot be shown is lost, the outcome is not.
// The caller ends the program where EndsTheProgram says so. `nameSet` runs
// as soon as the name is set, before its message: a session that ends
// while the message is up must not take the record of the rename with it.
SyncOutcome SynchroniseName(Os& os, Forms& forms, const ChkVer& chkVer, const std::string& dnsShortName,
                            const ForwardLookup& lookup, SyncCaller caller = SyncCaller::User,
                            const std::function<void()>& nameSet = {});

}  // namespace hw
