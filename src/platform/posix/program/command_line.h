// The options every Linux program answers before doing anything else:
// --help and --version print to standard output and end with status 0.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace hw::posix {

// "hostwarden 1.2.0.0": the program's name and the build's version.
std::string VersionLine();

// How to call the program, one option a line.
std::string UsageText();

// Prints the usage for --help or the version line for --version (the first
// of them among the arguments wins) and gives the exit status; nullopt when
// neither was asked for, so the program runs as usual.
std::optional<int> AnswerInformationOption(const std::vector<std::string>& arguments, std::ostream& out);

}  // namespace hw::posix
