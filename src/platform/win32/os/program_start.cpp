// This program's own file (kernel32) and starting a program the way the
// shell does (shell32), which is how the elevated copy is asked for.
#include <vector>

#include "platform/win32/os/text_encoding.h"
#include "platform/win32/os/win32_os.h"

namespace hw::win32 {

uint32_t Win32Os::GetModuleFileNameW(Handle module, std::string& filename, uint32_t size) {
  auto getModuleFileName = system_.GetModuleFileNameW.Get();
  if (size == 0) return 0;
  std::vector<wchar_t> path(size, L'\0');
  DWORD length = getModuleFileName(reinterpret_cast<HMODULE>(module), path.data(), size);
  if (length > size) length = size;
  filename = win32::WideToUtf8(std::wstring_view(path.data(), length));
  return length;
}

int Win32Os::ShellExecuteExW(ShellExecuteInfo& info) {
  auto shellExecute = system_.ShellExecuteExW.Get();
  std::wstring verb = win32::Utf8ToWide(info.lpVerb);
  std::wstring file = win32::Utf8ToWide(info.lpFile);
  std::wstring parameters = win32::Utf8ToWide(info.lpParameters);
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  execute.fMask = info.fMask;
  // The system's prompt belongs to the window the user pressed the button in;
  // without the window system there is none, and the prompt stands alone.
  try {
    execute.hwnd = system_.GetActiveWindow();
  } catch (const MissingFunction&) {
    execute.hwnd = nullptr;
  }
  execute.lpVerb = verb.empty() ? nullptr : verb.c_str();
  execute.lpFile = file.c_str();
  execute.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  execute.nShow = info.nShow;
  return shellExecute(&execute) ? 1 : 0;
}

}  // namespace hw::win32
