// Text of the modes for scripts on the program's standard output and error.
// The program is a window program, so it has no console of its own: a
// redirected handle gets the text as UTF-8, and without one the program
// writes to the console of the process that started it, when there is one.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/os/system_libraries.h"

namespace hw::win32 {

class ConsoleOutput {
 public:
  explicit ConsoleOutput(SystemLibraries& libraries)
      : AttachConsole_(libraries, "kernel32.dll", "AttachConsole"),
        CloseHandle_(libraries, "kernel32.dll", "CloseHandle") {}
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;
  ~ConsoleOutput();

  // `which` is STD_OUTPUT_HANDLE or STD_ERROR_HANDLE; lines end in "\n".
  // Nothing is written, and nothing fails, where there is nowhere to write.
  void Write(DWORD which, const std::string& utf8);

 private:
  HANDLE ParentConsole();

  // Windows XP has it; bound by name all the same, like every call that
  // older systems may lack.
  BoundFunction<decltype(&::AttachConsole)> AttachConsole_;
  BoundFunction<decltype(&::CloseHandle)> CloseHandle_;
  bool attachTried_ = false;
  HANDLE console_ = INVALID_HANDLE_VALUE;
};

}  // namespace hw::win32
