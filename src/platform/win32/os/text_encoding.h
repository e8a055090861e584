// Text at the edge of the Windows layer: the core speaks UTF-8, the A
// functions the ANSI code page, window text UTF-16. Every conversion takes
// the whole input, NULs included, so a buffer the system wrote comes back
// character for character and the core cuts it at its first NUL.
#pragma once

#include <string>
#include <string_view>

namespace hw::win32 {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// UTF-8 to the ANSI code page. A character the code page lacks becomes the
// code page's default character ("?"), never a look-alike: "Ł" must not turn
// into a different, valid computer name "L".
std::string ToAnsi(std::string_view utf8);
// The ANSI code page to UTF-8, every byte of it.
std::string FromAnsi(std::string_view ansi);

}  // namespace hw::win32
