// Window text is UTF-16 on Windows and UTF-8 in the core: the forms runtime
// converts at each call.
#pragma once

#include <string>
#include <string_view>

namespace hw::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace hw::win32
