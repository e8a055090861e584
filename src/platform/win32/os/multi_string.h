// The strings of a REG_MULTI_SZ value, read without the Windows headers.
#pragma once

#include <string>
#include <vector>

namespace hw::win32 {

// Each string ended by a NUL, in order; empty ones are skipped, never taken
// for the list's end: a .reg import writes an empty item as two NULs in a
// row, with more items after it. A value that lacks its closing NUL still
// ends with its data.
std::vector<std::wstring> MultiStringItems(const std::vector<wchar_t>& data);

}  // namespace hw::win32
