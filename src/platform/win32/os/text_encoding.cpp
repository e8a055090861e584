#include "platform/win32/os/text_encoding.h"

#include <windows.h>

#include <climits>
#include <exception>

namespace hw::win32 {
namespace {

// The system's conversion functions count in int. An exception of our own:
// the standard library's length_error would bring its second string
// implementation into the program for this one line.
struct TextTooLong : std::exception {
  const char* what() const noexcept override { return "text too long for the system"; }
};

int CheckedLength(std::size_t length) {
  if (length > static_cast<std::size_t>(INT_MAX)) throw TextTooLong();
  return static_cast<int>(length);
}

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  int length = CheckedLength(text.size());
  int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  if (needed > 0) MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed);
  return wide;
}

std::string FromWide(UINT codePage, DWORD flags, std::wstring_view wide) {
  if (wide.empty()) return {};
  int length = CheckedLength(wide.size());
  int needed = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(needed), '\0');
  if (needed > 0) WideCharToMultiByte(codePage, flags, wide.data(), length, text.data(), needed, nullptr, nullptr);
  return text;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string WideToUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, 0, wide); }

std::string ToAnsi(std::string_view utf8) { return FromWide(CP_ACP, WC_NO_BEST_FIT_CHARS, Utf8ToWide(utf8)); }

std::string FromAnsi(std::string_view ansi) { return WideToUtf8(ToWide(CP_ACP, ansi)); }

}  // namespace hw::win32
