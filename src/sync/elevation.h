// UAC: an administrator who logs on normally works with a limited token; the
// full rights are its elevated twin, which the system gives a program the
// user starts with the verb "runas" and confirms.
#pragma once

#include <string>

#include "interfaces/os.h"

namespace hw {

// The process runs with the limited half of an administrator's rights. False
// before Vista (no such token class), with UAC off, and on any failure.
bool HasElevatedTwin(Os& os);

// Starts this program again with the full rights, as the elevated copy that
// sets `name` (the first label of the confirmed full name `dnsName`, which
// goes with it where the system's copy takes it). True once the copy runs;
// false when the process has no elevated twin, the user refused, or the
// copy could not be started.
bool StartElevatedCopy(Os& os, const std::string& name, const std::string& dnsName = "");

}  // namespace hw
