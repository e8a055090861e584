// A text buffer that a system A function writes into.
#pragma once

#include <algorithm>
#include <string>

#include "platform/win32/os/text_encoding.h"

namespace hw::win32 {

// Starts as the caller's text in the ANSI code page (the core hands in blanks),
// at least `capacity` bytes long so the system never writes past it, and goes
// back whole: every byte, the NUL the system wrote and whatever follows it.
class AnsiBuffer {
 public:
  AnsiBuffer(const std::string& utf8, std::size_t capacity) : bytes_(ToAnsi(utf8)) {
    bytes_.resize(std::max(bytes_.size(), capacity), ' ');
  }
  char* data() { return bytes_.data(); }
  std::string Utf8() const { return FromAnsi(bytes_); }

 private:
  std::string bytes_;
};

}  // namespace hw::win32
