#include "platform/win32/os/multi_string.h"

namespace hw::win32 {

std::vector<std::wstring> MultiStringItems(const std::vector<wchar_t>& data) {
  std::vector<std::wstring> items;
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t end = start;
    while (end < data.size() && data[end] != L'\0') ++end;
    if (end > start) items.emplace_back(data.data() + start, end - start);
    start = end + 1;
  }
  return items;
}

}  // namespace hw::win32
