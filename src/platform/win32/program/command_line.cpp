#include "platform/win32/program/command_line.h"

namespace hw::win32 {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Where the program's path ends.
std::size_t EndOfProgramPath(std::wstring_view line) {
  if (!line.empty() && line.front() == L'"') {
    std::size_t closing = line.find(L'"', 1);
    return closing == std::wstring_view::npos ? line.size() : closing + 1;
  }
  std::size_t position = 0;
  while (position < line.size() && !IsBlank(line[position])) ++position;
  return position;
}

}  // namespace

std::wstring_view ArgumentsAfterProgramPath(std::wstring_view commandLine) {
  std::size_t position = EndOfProgramPath(commandLine);
  while (position < commandLine.size() && IsBlank(commandLine[position])) ++position;
  return commandLine.substr(position);
}

}  // namespace hw::win32
