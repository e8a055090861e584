// The elevated copy: the program started again with an administrator's full
// rights only to set the computer name. Its command line carries the name;
// it shows no window, only the synchronise command's message, and ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "interfaces/forms.h"
#include "interfaces/os.h"
#include "probes/chk_ver.h"
#include "sync/sync_command.h"

namespace hw {

// The argument text that starts an elevated copy for `name`.
std::string ElevatedCopyArguments(const std::string& name);
// The name an argument text of ElevatedCopyArguments carries; nullopt for
// any other command line.
std::optional<std::string> ElevatedCopyName(std::string_view commandLine);

// What the copy accepts from its command line: 1 to 15 ASCII letters, digits
// and hyphens, neither beginning nor ending with a hyphen, not digits only.
bool IsValidComputerName(std::string_view name);

// Sets the name as the synchronise command does, without offering
// elevation again; the outcome. `dnsName` is the full name the copy was
// given beside it, where the system's copy takes one ("" for none). The
// copy ends after it in every case. `nameSet` as for SynchroniseName.
SyncOutcome RunElevatedCopy(Os& os, Forms& forms, ChkVer& chkVer, const std::string& name,
                            const std::string& dnsName = "", const std::function<void()>& nameSet = {});

}  // namespace hw
