// The Win32 forms runtime: windows built from window data with plain Win32
// controls, modal message boxes, one instance per session.
#pragma once

#include <memory>
#include <string>

#include "platform/forms.h"

namespace hw::win32 {

// `commandLine` is the argument text without the program's path, UTF-8.
std::unique_ptr<Forms> MakeWin32Forms(std::string commandLine);

}  // namespace hw::win32
