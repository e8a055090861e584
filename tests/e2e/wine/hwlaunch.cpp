// hwlaunch.exe: starts a program with an exact command line, as a script
// language or a scheduler would: the whole line, quotes and all, is taken
// from the environment variable HW_COMMAND_LINE (UTF-8) and handed to
// CreateProcessW unchanged, so nothing between the test and the program
// re-quotes it. Waits for the program and exits with its exit status; its
// standard output and error are this program's.
#include <windows.h>

#include <string>

namespace {

std::wstring CommandLineFromEnvironment() {
  DWORD size = GetEnvironmentVariableW(L"HW_COMMAND_LINE", nullptr, 0);
  if (size == 0) return L"";
  std::wstring line(size, L'\0');
  DWORD length = GetEnvironmentVariableW(L"HW_COMMAND_LINE", line.data(), size);
  line.resize(length);
  return line;
}

}  // namespace

int wmain() {
  std::wstring line = CommandLineFromEnvironment();
  if (line.empty()) return 120;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    return 121;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 122;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
