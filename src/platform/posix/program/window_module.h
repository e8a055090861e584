// The windows as a module of their own (hostwarden-windows.so), loaded only
// when a window or a message box must be shown: the report mode and a quiet
// log-on with nothing to show never load FLTK, X11 and their libraries,
// which would cost more than the check itself. Only C types cross between
// the program and the module, which carry a C++ library each.
#pragma once

#include <cstddef>

extern "C" {

// A control of the main window as the quiet check left it.
struct HostwardenControlState {
  const char* name;
  const char* text;
  const char* const* items;
  int itemCount;
  int listIndex;
  int visible;
  int enabled;
};

// Where the quiet check left the program (hw::ProgramState).
struct HostwardenProgramState {
  const HostwardenControlState* form1;
  int form1Count;
  int form1Visible;
  int warningShown;
  int quietMode;
  const char* dnsShortName;
  unsigned osVersionInfoSize, majorVersion, minorVersion, buildNumber, platformId;
  const char* csdVersion;  // the whole buffer, NULs included
  std::size_t csdVersionLength;
  // What the check found: what a rename must confirm (the PTR name, the
  // address, the DNS server) and what the run's log entry says.
  int verdict;
  const char* hostName;
  const char* dnsName;
  const char* selectedAddress;
  const char* dnsServer;
  // The IPv6 side, for the log entry: its verdict (0 when not looked at),
  // selected address and the name it went on with.
  int ipv6Verdict;
  const char* ipv6Address;
  const char* ipv6DnsName;
  // Every PTR name of the side that decided, in the check's order: a rename
  // with several campus names among them confirms each.
  const char* const* ptrNames;
  int ptrNameCount;
};

}  // extern "C"

namespace hw::posix {

// The file name of the module.
inline constexpr const char* kWindowModuleFile = "hostwarden-windows.so";

// The entries the module exports; each returns the exit code, 0 when all went
// well, and has told the user why when it did not.
// The window program (normal mode), from its command line.
inline constexpr const char* kRunWindowModeEntry = "hostwarden_run_window_mode";
using RunWindowModeEntry = int (*)(const char* commandLine);
// One modal message box of the quiet mode; 0 once it is closed.
inline constexpr const char* kShowMessageBoxEntry = "hostwarden_show_message_box";
using ShowMessageBoxEntry = int (*)(const char* text, int style);
// Opens the quiet mode's display; 0 when it is open.
inline constexpr const char* kOpenScreenEntry = "hostwarden_open_screen";
using OpenScreenEntry = int (*)();
// The quiet mode from where its check left it, until the program ends.
inline constexpr const char* kContinueQuietModeEntry = "hostwarden_continue_quiet_mode";
using ContinueQuietModeEntry = int (*)(const HostwardenProgramState* state);

// The module's entry of that name, the module loaded at the first call;
// null, after telling the user why, when the module or the entry cannot be
// found.
void* WindowModuleEntry(const char* name);

}  // namespace hw::posix
