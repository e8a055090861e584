// The Win32 forms runtime: windows built from window data with plain Win32
// controls, modal message boxes, one instance per session.
#pragma once

#include <memory>
#include <string>

#include "interfaces/forms.h"

namespace hw::win32 {

// `commandLine` is the argument text without the program's path, UTF-8.
std::unique_ptr<Forms> MakeWin32Forms(std::string commandLine);

// The last word of a program that must end for an error: a message box,
// or, where the window system cannot show one, the standard error or the
// console that started the program, and the debugger's output.
void ShowFatalMessage(const std::wstring& text) noexcept;

}  // namespace hw::win32
