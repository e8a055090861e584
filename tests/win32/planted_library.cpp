// A DLL the tests plant beside a program under the name of a library that the
// program or a system library loads (dnsapi.dll, iphlpapi.dll...): the
// program must never load it. Loading it leaves a mark, whoever loads it:
// its own path, one line, appended to the file that HW_PLANTED_LOG names.
#include <windows.h>

extern "C" __declspec(dllexport) int HwPlantedMarker() { return 42; }

namespace {

void LeaveMark(HINSTANCE self) {
  wchar_t log[MAX_PATH];
  DWORD logLength = GetEnvironmentVariableW(L"HW_PLANTED_LOG", log, MAX_PATH);
  if (logLength == 0 || logLength >= MAX_PATH) return;  // nobody asked for marks
  char path[MAX_PATH + 2];
  DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  path[length++] = '\r';
  path[length++] = '\n';
  HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, path, length, &written, nullptr);
  CloseHandle(file);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMark(self);
  return TRUE;
}
