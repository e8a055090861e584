// The program with its windows.
#pragma once

#include <string>

namespace hw::posix {

// Runs the program on the window backend until it ends; the exit code.
int RunWindowMode(const std::string& commandLine);

}  // namespace hw::posix
