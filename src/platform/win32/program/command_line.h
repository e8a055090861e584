// The command line of a Windows program as the program's own arguments see it.
#pragma once

#include <string_view>

namespace hw::win32 {

// The arguments of a whole command line (GetCommandLineW), without the
// program's path and the blanks after it: the path is everything up to the
// first blank or tab, or, when it begins with a quote, up to the closing
// quote (a path in quotes may hold blanks; a quote without its partner makes
// the whole line the path). The rest is left as it is.
std::wstring_view ArgumentsAfterProgramPath(std::wstring_view commandLine);

}  // namespace hw::win32
