// The local identity of the PC: user name, computer name, DNS host name.
// Each probe gives "" when the system call fails.
#pragma once

#include <string>

#include "interfaces/os.h"

namespace hw {

std::string QueryUserName(Os& os);      // GetUserNameA, a 256-character buffer
std::string QueryComputerName(Os& os);  // GetComputerNameA, 16 characters
std::string QueryDnsHostName(Os& os);   // GetComputerNameExA(ComputerNameDnsHostname), 257 characters

}  // namespace hw
