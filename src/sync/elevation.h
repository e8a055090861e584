// UAC: an administrator who logs on normally works with a limited token; the
// full rights are its elevated twin, which the system gives a program the
// user starts with the verb "runas" and confirms.
#pragma once

#include <string>

#include "platform/os.h"

namespace hw {

// The process runs with the limited half of an administrator's rights. False
// before Vista (no such token class), with UAC off, and on any failure.
bool HasElevatedTwin(Os& os);

// Starts this program again with the full rights, as the elevated copy that
// sets `name`. True once the copy runs; false when the process has no
// elevated twin, the user refused, or the copy could not be started.
bool StartElevatedCopy(Os& os, const std::string& name);

}  // namespace hw
