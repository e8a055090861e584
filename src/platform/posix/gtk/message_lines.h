// A message box text as the lines it shows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hw::gtk {

// Splits at CR LF, the program's line break; a lone CR or LF breaks a line
// too, so no control character reaches the screen. An empty text is one
// empty line.
std::vector<std::string> MessageLines(std::string_view text);

// The lines joined with LF, as the message dialog breaks them.
std::string MessageDisplayText(std::string_view text);

}  // namespace hw::gtk
