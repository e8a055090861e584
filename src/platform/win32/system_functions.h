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

#include "platform/win32/system_libraries.h"

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

struct SystemFunctions {
  explicit SystemFunctions(SystemLibraries& libraries) : libraries(libraries) {}

  SystemLibraries& libraries;

  // kernel32
  BoundFunction<decltype(&::GetComputerNameA)> GetComputerNameA{libraries, "kernel32.dll", "GetComputerNameA"};
  BoundFunction<decltype(&::GetComputerNameExA)> GetComputerNameExA{libraries, "kernel32.dll", "GetComputerNameExA"};
  BoundFunction<decltype(&::GetVersionExA)> GetVersionExA{libraries, "kernel32.dll", "GetVersionExA"};
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
};

}  // namespace hw::win32
