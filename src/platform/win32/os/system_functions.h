// Every operating-system function the program calls, each bound by name from
// its system library on first use (see system_libraries.h). Nothing here is
// linked when the program loads, so Dnsapi, iphlpapi or the Windows 2000
// entry points may be missing until the program actually needs them.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <lmapibuf.h>
#include <lmjoin.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <windns.h>
#include <wininet.h>

#include "platform/win32/os/dns_query_ex_records.h"
#include "platform/win32/os/system_libraries.h"

// Both are macros in the SDK (memmove; DnsFree from XP on) that would
// otherwise rewrite calls to the members of the same name below.
#undef RtlMoveMemory
#undef DnsRecordListFree

namespace hw::win32 {

// The SDK declares these two only as macros, so their types are written out
// here as the system libraries export them.
using RtlMoveMemoryFunction = VOID(WINAPI*)(VOID UNALIGNED* destination, const VOID UNALIGNED* source,
                                            SIZE_T length);
using DnsRecordListFreeFunction = VOID(WINAPI*)(PDNS_RECORD recordList, DNS_FREE_TYPE freeType);
// Windows 8 on; mingw-w64 does not declare it (dns_query_ex_records.h).
using DnsQueryExFunction = DNS_STATUS(WINAPI*)(DnsQueryRequest* request, DNS_QUERY_RESULT* result, PVOID cancel);

struct SystemFunctions {
  explicit SystemFunctions(SystemLibraries& libraries) : libraries(libraries) {}

  SystemLibraries& libraries;

  // kernel32
  BoundFunction<decltype(&::GetComputerNameA)> GetComputerNameA{libraries, "kernel32.dll", "GetComputerNameA"};
  BoundFunction<decltype(&::GetComputerNameExA)> GetComputerNameExA{libraries, "kernel32.dll", "GetComputerNameExA"};
  BoundFunction<decltype(&::GetVersionExA)> GetVersionExA{libraries, "kernel32.dll", "GetVersionExA"};
  // Windows 2000 and later
  BoundFunction<decltype(&::GetUserDefaultUILanguage)> GetUserDefaultUILanguage{libraries, "kernel32.dll",
                                                                               "GetUserDefaultUILanguage"};
  BoundFunction<decltype(&::SetComputerNameA)> SetComputerNameA{libraries, "kernel32.dll", "SetComputerNameA"};
  BoundFunction<decltype(&::SetComputerNameExA)> SetComputerNameExA{libraries, "kernel32.dll", "SetComputerNameExA"};
  BoundFunction<decltype(&::GetCurrentProcess)> GetCurrentProcess{libraries, "kernel32.dll", "GetCurrentProcess"};
  BoundFunction<decltype(&::CloseHandle)> CloseHandle{libraries, "kernel32.dll", "CloseHandle"};
  BoundFunction<decltype(&::lstrlenA)> lstrlenA{libraries, "kernel32.dll", "lstrlenA"};
  BoundFunction<RtlMoveMemoryFunction> RtlMoveMemory{libraries, "kernel32.dll", "RtlMoveMemory"};
  BoundFunction<decltype(&::GetModuleFileNameW)> GetModuleFileNameW{libraries, "kernel32.dll", "GetModuleFileNameW"};

  // advapi32
  BoundFunction<decltype(&::GetUserNameA)> GetUserNameA{libraries, "advapi32.dll", "GetUserNameA"};
  BoundFunction<decltype(&::OpenProcessToken)> OpenProcessToken{libraries, "advapi32.dll", "OpenProcessToken"};
  BoundFunction<decltype(&::GetTokenInformation)> GetTokenInformation{libraries, "advapi32.dll",
                                                                      "GetTokenInformation"};
  BoundFunction<decltype(&::AllocateAndInitializeSid)> AllocateAndInitializeSid{libraries, "advapi32.dll",
                                                                                "AllocateAndInitializeSid"};
  BoundFunction<decltype(&::LookupAccountSidA)> LookupAccountSidA{libraries, "advapi32.dll", "LookupAccountSidA"};
  BoundFunction<decltype(&::FreeSid)> FreeSid{libraries, "advapi32.dll", "FreeSid"};
  BoundFunction<decltype(&::RegOpenKeyExW)> RegOpenKeyExW{libraries, "advapi32.dll", "RegOpenKeyExW"};
  BoundFunction<decltype(&::RegQueryValueExW)> RegQueryValueExW{libraries, "advapi32.dll", "RegQueryValueExW"};
  BoundFunction<decltype(&::RegCloseKey)> RegCloseKey{libraries, "advapi32.dll", "RegCloseKey"};

  // wsock32: Windows Sockets 1.1
  BoundFunction<decltype(&::WSAStartup)> WSAStartup{libraries, "wsock32.dll", "WSAStartup"};
  BoundFunction<decltype(&::WSACleanup)> WSACleanup{libraries, "wsock32.dll", "WSACleanup"};
  BoundFunction<decltype(&::gethostname)> gethostname{libraries, "wsock32.dll", "gethostname"};
  BoundFunction<decltype(&::gethostbyname)> gethostbyname{libraries, "wsock32.dll", "gethostbyname"};
  BoundFunction<decltype(&::WSAGetLastError)> WSAGetLastError{libraries, "wsock32.dll", "WSAGetLastError"};
  BoundFunction<decltype(&::gethostbyaddr)> gethostbyaddr{libraries, "wsock32.dll", "gethostbyaddr"};
  BoundFunction<decltype(&::inet_addr)> inet_addr{libraries, "wsock32.dll", "inet_addr"};

  // Dnsapi, iphlpapi, wininet, Shlwapi
  BoundFunction<decltype(&::DnsQuery_A)> DnsQuery_A{libraries, "dnsapi.dll", "DnsQuery_A"};
  BoundFunction<DnsRecordListFreeFunction> DnsRecordListFree{libraries, "dnsapi.dll", "DnsRecordListFree"};
  BoundFunction<DnsQueryExFunction> DnsQueryEx{libraries, "dnsapi.dll", "DnsQueryEx"};
  BoundFunction<decltype(&::GetNetworkParams)> GetNetworkParams{libraries, "iphlpapi.dll", "GetNetworkParams"};
  BoundFunction<decltype(&::GetAdaptersInfo)> GetAdaptersInfo{libraries, "iphlpapi.dll", "GetAdaptersInfo"};
  BoundFunction<decltype(&::GetAdaptersAddresses)> GetAdaptersAddresses{libraries, "iphlpapi.dll",
                                                                        "GetAdaptersAddresses"};
  BoundFunction<decltype(&::InternetGetConnectedState)> InternetGetConnectedState{libraries, "wininet.dll",
                                                                                  "InternetGetConnectedState"};
  BoundFunction<DLLGETVERSIONPROC> DllGetVersion{libraries, "shlwapi.dll", "DllGetVersion"};

  // netapi32, shell32
  BoundFunction<decltype(&::NetGetJoinInformation)> NetGetJoinInformation{libraries, "netapi32.dll",
                                                                          "NetGetJoinInformation"};
  BoundFunction<decltype(&::NetApiBufferFree)> NetApiBufferFree{libraries, "netapi32.dll", "NetApiBufferFree"};
  BoundFunction<decltype(&::ShellExecuteExW)> ShellExecuteExW{libraries, "shell32.dll", "ShellExecuteExW"};

  // user32: the window a prompt belongs to
  BoundFunction<decltype(&::GetActiveWindow)> GetActiveWindow{libraries, "user32.dll", "GetActiveWindow"};
};

// Functions of Windows 10 (1607 and 1703 on) that the SDK of this program's
// target version does not declare, their types written out as user32 exports them.
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND window);
using SetThreadDpiAwarenessContextFunction = HANDLE(WINAPI*)(HANDLE context);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int index, UINT dpi);
using SetDialogDpiChangeBehaviorFunction = BOOL(WINAPI*)(HWND dialog, int mask, int values);

// The window system's functions, bound by name like those above, from the
// first window or message box on: a run that shows nothing never loads
// user32, gdi32 or comctl32, whose start-up costs more than the check itself.
// A call is written as in the SDK; where that name is a macro for another
// entry point (GetWindowLongPtrW is GetWindowLongW on 32-bit Windows), the
// entry point it stands for is bound.
#define HOSTWARDEN_ENTRY_NAME(function) HOSTWARDEN_ENTRY_NAME_TEXT(function)
#define HOSTWARDEN_ENTRY_NAME_TEXT(function) #function
#define HOSTWARDEN_BIND(library, function) \
  BoundFunction<decltype(&::function)> function { libraries, library, HOSTWARDEN_ENTRY_NAME(function) }

struct WindowFunctions {
  explicit WindowFunctions(SystemLibraries& libraries) : libraries(libraries) {}

  SystemLibraries& libraries;

  // user32: windows, messages, message boxes
  HOSTWARDEN_BIND("user32.dll", AdjustWindowRectEx);
  HOSTWARDEN_BIND("user32.dll", CallWindowProcW);
  HOSTWARDEN_BIND("user32.dll", CopyIcon);
  HOSTWARDEN_BIND("user32.dll", CreateDialogIndirectParamW);
  HOSTWARDEN_BIND("user32.dll", CreateWindowExW);
  HOSTWARDEN_BIND("user32.dll", DefWindowProcW);
  HOSTWARDEN_BIND("user32.dll", DestroyIcon);
  HOSTWARDEN_BIND("user32.dll", DestroyWindow);
  HOSTWARDEN_BIND("user32.dll", DispatchMessageW);
  HOSTWARDEN_BIND("user32.dll", EnableWindow);
  HOSTWARDEN_BIND("user32.dll", FillRect);
  HOSTWARDEN_BIND("user32.dll", GetActiveWindow);
  HOSTWARDEN_BIND("user32.dll", GetAncestor);
  HOSTWARDEN_BIND("user32.dll", GetClientRect);
  HOSTWARDEN_BIND("user32.dll", GetDC);
  HOSTWARDEN_BIND("user32.dll", GetFocus);
  HOSTWARDEN_BIND("user32.dll", GetMessageW);
  HOSTWARDEN_BIND("user32.dll", GetMonitorInfoW);
  HOSTWARDEN_BIND("user32.dll", GetNextDlgTabItem);
  HOSTWARDEN_BIND("user32.dll", GetParent);
  HOSTWARDEN_BIND("user32.dll", GetSysColor);
  HOSTWARDEN_BIND("user32.dll", GetSysColorBrush);
  HOSTWARDEN_BIND("user32.dll", GetSystemMetrics);
  HOSTWARDEN_BIND("user32.dll", GetWindowLongPtrW);
  HOSTWARDEN_BIND("user32.dll", GetWindowRect);
  HOSTWARDEN_BIND("user32.dll", GetWindowTextLengthW);
  HOSTWARDEN_BIND("user32.dll", GetWindowTextW);
  HOSTWARDEN_BIND("user32.dll", IsChild);
  HOSTWARDEN_BIND("user32.dll", IsDialogMessageW);
  HOSTWARDEN_BIND("user32.dll", IsWindow);
  HOSTWARDEN_BIND("user32.dll", IsWindowEnabled);
  HOSTWARDEN_BIND("user32.dll", IsWindowVisible);
  HOSTWARDEN_BIND("user32.dll", LoadCursorW);
  HOSTWARDEN_BIND("user32.dll", LoadImageW);
  HOSTWARDEN_BIND("user32.dll", MapWindowPoints);
  HOSTWARDEN_BIND("user32.dll", MessageBoxW);
  HOSTWARDEN_BIND("user32.dll", MonitorFromPoint);
  HOSTWARDEN_BIND("user32.dll", PostQuitMessage);
  HOSTWARDEN_BIND("user32.dll", RedrawWindow);
  HOSTWARDEN_BIND("user32.dll", RegisterClassExW);
  HOSTWARDEN_BIND("user32.dll", ReleaseDC);
  HOSTWARDEN_BIND("user32.dll", RemovePropW);
  HOSTWARDEN_BIND("user32.dll", SendMessageW);
  HOSTWARDEN_BIND("user32.dll", SetFocus);
  HOSTWARDEN_BIND("user32.dll", SetForegroundWindow);
  HOSTWARDEN_BIND("user32.dll", SetPropW);
  HOSTWARDEN_BIND("user32.dll", SetWindowLongPtrW);
  HOSTWARDEN_BIND("user32.dll", SetWindowPos);
  HOSTWARDEN_BIND("user32.dll", SetWindowRgn);
  HOSTWARDEN_BIND("user32.dll", SetWindowTextW);
  HOSTWARDEN_BIND("user32.dll", ShowWindow);
  HOSTWARDEN_BIND("user32.dll", SystemParametersInfoW);
  HOSTWARDEN_BIND("user32.dll", TranslateMessage);
  HOSTWARDEN_BIND("user32.dll", UpdateWindow);
  // Windows 10 1607 (1703 for the dialog) on: a window's own dpi, per-monitor scaling
  BoundFunction<GetDpiForWindowFunction> GetDpiForWindow{libraries, "user32.dll", "GetDpiForWindow"};
  BoundFunction<SetThreadDpiAwarenessContextFunction> SetThreadDpiAwarenessContext{
      libraries, "user32.dll", "SetThreadDpiAwarenessContext"};
  BoundFunction<GetSystemMetricsForDpiFunction> GetSystemMetricsForDpi{libraries, "user32.dll",
                                                                       "GetSystemMetricsForDpi"};
  BoundFunction<SetDialogDpiChangeBehaviorFunction> SetDialogDpiChangeBehavior{libraries, "user32.dll",
                                                                               "SetDialogDpiChangeBehavior"};

  // gdi32: fonts, the drawn line, the clipped parts of labels
  HOSTWARDEN_BIND("gdi32.dll", CombineRgn);
  HOSTWARDEN_BIND("gdi32.dll", CreateFontW);
  HOSTWARDEN_BIND("gdi32.dll", CreatePen);
  HOSTWARDEN_BIND("gdi32.dll", CreateRectRgn);
  HOSTWARDEN_BIND("gdi32.dll", DeleteObject);
  HOSTWARDEN_BIND("gdi32.dll", GetDeviceCaps);
  HOSTWARDEN_BIND("gdi32.dll", LineTo);
  HOSTWARDEN_BIND("gdi32.dll", MoveToEx);
  HOSTWARDEN_BIND("gdi32.dll", SelectObject);
  HOSTWARDEN_BIND("gdi32.dll", SetBkColor);
  HOSTWARDEN_BIND("gdi32.dll", SetBkMode);
  HOSTWARDEN_BIND("gdi32.dll", SetTextColor);
};

#undef HOSTWARDEN_BIND
#undef HOSTWARDEN_ENTRY_NAME
#undef HOSTWARDEN_ENTRY_NAME_TEXT

// The one set of window functions of this process, on libraries that stay
// loaded until it ends (a window procedure may run until then). Nothing is
// loaded before its first call.
WindowFunctions& Gui();

}  // namespace hw::win32
