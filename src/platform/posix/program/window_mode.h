// The program with its windows, which live in the window module.
#pragma once

#include <string>

namespace hw::posix {

// Normal mode: loads the window module and runs the program there until it
// ends; the exit code.
int RunWindowMode(const std::string& commandLine);

// Quiet mode: runs the check here with its windows in memory, and loads
// the window module only when a message box or the warning dialog must be
// shown; the exit code.
int RunQuietMode(const std::string& commandLine);

}  // namespace hw::posix
