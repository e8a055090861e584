#include "platform/win32/program/console_output.h"

#include "platform/win32/os/text_encoding.h"

namespace hw::win32 {
namespace {

// Windows text ends its lines in CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

bool IsConsole(HANDLE handle) {
  DWORD mode;
  return GetConsoleMode(handle, &mode) != 0;
}

// False when nothing could be written.
bool WriteAll(HANDLE handle, const std::string& text) {
  if (IsConsole(handle)) {
    // A console shows UTF-16 whatever its code page is.
    std::wstring wide = Utf8ToWide(text);
    for (std::size_t done = 0; done < wide.size();) {
      DWORD written = 0;
      if (!WriteConsoleW(handle, wide.data() + done, static_cast<DWORD>(wide.size() - done), &written, nullptr) ||
          written == 0)
        return done > 0;
      done += written;
    }
    return true;
  }
  for (std::size_t done = 0; done < text.size();) {
    DWORD written = 0;
    if (!WriteFile(handle, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) ||
        written == 0)
      return done > 0;
    done += written;
  }
  return true;
}

}  // namespace

ConsoleOutput::~ConsoleOutput() {
  if (console_ == INVALID_HANDLE_VALUE) return;
  try {
    CloseHandle_(console_);
  } catch (const MissingFunction&) {
    // the process ends soon and takes the handle with it
  }
}

HANDLE ConsoleOutput::ParentConsole() {
  if (!attachTried_) {
    attachTried_ = true;
    try {
      if (AttachConsole_(ATTACH_PARENT_PROCESS))
        console_ = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    } catch (const MissingFunction&) {
      // a system without it: nowhere to write
    }
  }
  return console_;
}

void ConsoleOutput::Write(DWORD which, const std::string& utf8) {
  if (utf8.empty()) return;
  std::string text = WithCrLf(utf8);
  HANDLE handle = GetStdHandle(which);
  // A handle the program cannot write to (a console it is not attached to,
  // handed down by a newer Windows) counts as none.
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE && WriteAll(handle, text)) return;
  handle = ParentConsole();
  if (handle != INVALID_HANDLE_VALUE) WriteAll(handle, text);
}

}  // namespace hw::win32
