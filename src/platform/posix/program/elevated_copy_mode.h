// The elevated copy's run on Linux: pkexec starts it as root with
// "/SetComputerName:<short name>" and, for a host with a domain,
// "/DnsName:<full name>" (pkexec_copy.h). It has no display: it sets the
// name all or nothing, writes its own log entry (verdict=renamed or
// failed), prints the command's message and exits 0 only when the name was
// set; its starter shows the message.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/posix/os/posix_os.h"
#include "report/text_writer.h"
#include "report/verdict_log.h"

namespace hw::posix {

// nullopt when the arguments do not start with the copy's switch.
std::optional<int> RunElevatedCopyMode(const std::vector<std::string>& arguments, report::TextWriter& err,
                                       report::VerdictLog* log);
// The same on a given system (for the tests).
std::optional<int> RunElevatedCopyMode(PosixOs& os, const std::vector<std::string>& arguments, report::TextWriter& err,
                                       report::VerdictLog* log);

}  // namespace hw::posix
