// hwauto: UI automation for the Windows program's end-to-end tests. Finds our
// windows from another process the way UI tests on Windows do (FindWindow,
// EnumChildWindows, WM_GETTEXT, GetGUIThreadInfo), presses buttons with a
// posted BM_CLICK and closes windows with WM_CLOSE. Every answer is one line
// of JSON (ASCII only, other characters as \u escapes) on stdout.
//
// A window is named by its class ("Hostwarden_Form1") or, where it has the
// system's dialog class, by the name the program gives it in a window
// property; "class" in the answers is that name, "windowClass" the class.
//
//   hwauto window <class>                   the window and its controls
//                                           (in Z order)
//   hwauto wait-window <class> [ms]         the same, once it is visible
//   hwauto wait-gone <class> [ms]           until no such window exists
//   hwauto click <class> <control>          posts BM_CLICK to the named control
//   hwauto close <class>                    posts WM_CLOSE
//   hwauto dpi-changed <class> <dpi> <left> <top> <right> <bottom>
//                                           sends WM_DPICHANGED with that
//                                           suggested rectangle
//   hwauto wait-msgbox [ms]                 a message box titled "Hostwarden"
//   hwauto msgbox-ok [ms]                   presses its OK button
//   hwauto load-library <name>              LoadLibraryW(name) with the ordinary
//                                           search order, as any program may
//   hwauto start-limited <exe> [args...]    starts a program with the limited
//                                           half of this process's token, as
//                                           UAC starts an administrator's
//                                           programs; does not wait for it
//   hwauto watch-windows <program> [arg]    starts the program and, until it
//                                           ends, notes every top-level and
//                                           message-only window it owns, hidden
//                                           ones included
//
// Exit status: 0 done, 1 not found or timed out, 2 bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kControlNameProperty[] = L"HostwardenControl";
constexpr wchar_t kWindowNameProperty[] = L"HostwardenWindow";
constexpr wchar_t kMessageBoxTitle[] = L"Hostwarden";
constexpr DWORD kDefaultTimeoutMs = 15000;
constexpr DWORD kPollMs = 50;
// A bound for a program that never answers, not a measure of speed: a
// loaded machine may keep a busy program from its messages for seconds.
// No SMTO_ABORTIFHUNG either: Wine calls a window hung after 5 s without
// messages, which a loaded machine reaches too.
constexpr UINT kSendTimeoutMs = 20000;

// ---- JSON output ---------------------------------------------------------------

std::string Quote(const std::wstring& text) {
  std::string out = "\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c) & 0xFFFFu);
      out += escaped;
    }
  }
  return out + "\"";
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string Rect(const RECT& r) {
  return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) +
         "," + std::to_string(r.bottom - r.top) + "]";
}

int Answer(const std::string& json, int status = 0) {
  std::fputs(json.c_str(), stdout);
  std::fputs("\n", stdout);
  std::fflush(stdout);
  return status;
}

int Fail(const std::string& what) { return Answer("{\"error\":" + Quote(std::wstring(what.begin(), what.end())) + "}", 1); }

// ---- Reading windows of another process -----------------------------------------

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

// WM_GETTEXT is marshalled across processes; GetWindowTextW would give an
// edit control's creation caption instead of its current text.
std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &length)) return L"";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                      kSendTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

std::wstring ControlName(HWND hwnd) {
  auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(hwnd, kControlNameProperty)));
  if (!atom) return L"";
  wchar_t name[256] = {};
  return GlobalGetAtomNameW(atom, name, 256) ? name : L"";
}

std::wstring AtomProperty(HWND hwnd, const wchar_t* property) {
  auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(hwnd, property)));
  if (!atom) return L"";
  wchar_t name[256] = {};
  return GlobalGetAtomNameW(atom, name, 256) ? name : L"";
}

// The program's name for one of its windows, else the window's class.
std::wstring WindowName(HWND hwnd) {
  std::wstring name = AtomProperty(hwnd, kWindowNameProperty);
  return name.empty() ? ClassOf(hwnd) : name;
}

struct NamedSearch {
  std::wstring name;
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindowName(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<NamedSearch*>(param);
  if (AtomProperty(hwnd, kWindowNameProperty) != search->name) return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND FindOurWindow(const wchar_t* name) {
  if (HWND byClass = FindWindowW(name, nullptr)) return byClass;
  NamedSearch search{name};
  EnumWindows(MatchWindowName, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The named control of ours that holds `hwnd` (a combo box's edit field
// belongs to the combo box).
std::wstring NamedAncestor(HWND hwnd, HWND top) {
  for (HWND h = hwnd; h && h != top; h = GetParent(h))
    if (std::wstring name = ControlName(h); !name.empty()) return name;
  return L"";
}

std::wstring FocusedControl(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return L"";
  if (!info.hwndFocus || (info.hwndFocus != top && !IsChild(top, info.hwndFocus))) return L"";
  return NamedAncestor(info.hwndFocus, top);
}

RECT RectInParent(HWND child, HWND parent) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool OwnVisible(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

std::string ComboItems(HWND combo) {
  std::string out = "[";
  DWORD_PTR count = 0;
  SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &count);
  for (DWORD_PTR i = 0; i < count && i < 64; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_NORMAL, kSendTimeoutMs, &length);
    std::wstring item(length + 1, L'\0');
    SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()), SMTO_NORMAL,
                        kSendTimeoutMs, nullptr);
    item.resize(length);
    out += (i ? "," : "") + Quote(item);
  }
  return out + "]";
}

std::string ControlJson(HWND hwnd, HWND top) {
  std::wstring cls = ClassOf(hwnd);
  LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  std::string json = "{\"name\":" + Quote(ControlName(hwnd)) + ",\"class\":" + Quote(cls) +
                     ",\"id\":" + std::to_string(GetDlgCtrlID(hwnd)) + ",\"text\":" + Quote(TextOf(hwnd)) +
                     ",\"visible\":" + Bool(OwnVisible(hwnd)) + ",\"enabled\":" + Bool(IsWindowEnabled(hwnd)) +
                     ",\"rect\":" + Rect(RectInParent(hwnd, top)) + ",\"style\":" + std::to_string(style) +
                     ",\"exStyle\":" + std::to_string(GetWindowLongW(hwnd, GWL_EXSTYLE));
  if (_wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
    DWORD_PTR icon = 0;
    SendMessageTimeoutW(hwnd, STM_GETICON, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &icon);
    json += ",\"hasIcon\":" + Bool(icon != 0);
  }
  if (_wcsicmp(cls.c_str(), L"ComboBox") == 0) {
    DWORD_PTR selected = 0;
    SendMessageTimeoutW(hwnd, CB_GETCURSEL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &selected);
    json += ",\"items\":" + ComboItems(hwnd) + ",\"selected\":" + std::to_string(static_cast<LONG>(selected));
  }
  return json + "}";
}

struct ChildList {
  HWND top;
  std::vector<HWND> children;
};

BOOL CALLBACK CollectDirectChild(HWND hwnd, LPARAM param) {
  auto* list = reinterpret_cast<ChildList*>(param);
  if (GetParent(hwnd) == list->top) list->children.push_back(hwnd);
  return TRUE;
}

// Direct children only, in Z order (which is also the tab order of ours).
std::vector<HWND> DirectChildren(HWND top) {
  ChildList list{top, {}};
  EnumChildWindows(top, CollectDirectChild, reinterpret_cast<LPARAM>(&list));
  return list.children;
}

struct OwnedList {
  HWND owner;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectOwnedTooltip(HWND hwnd, LPARAM param) {
  auto* list = reinterpret_cast<OwnedList*>(param);
  if (GetWindow(hwnd, GW_OWNER) == list->owner && _wcsicmp(ClassOf(hwnd).c_str(), L"tooltips_class32") == 0)
    list->windows.push_back(hwnd);
  return TRUE;
}

// Tooltip windows that belong to `owner`.
std::string TooltipsJson(HWND owner) {
  OwnedList list{owner, {}};
  EnumWindows(CollectOwnedTooltip, reinterpret_cast<LPARAM>(&list));
  std::string out = "[";
  for (std::size_t i = 0; i < list.windows.size(); ++i)
    out += (i ? "," : "") + std::string("{\"visible\":") + Bool(IsWindowVisible(list.windows[i])) +
           ",\"text\":" + Quote(TextOf(list.windows[i])) + "}";
  return out + "]";
}

std::string WindowJson(HWND top) {
  RECT client{}, outer{};
  GetClientRect(top, &client);
  GetWindowRect(top, &outer);
  POINT origin{0, 0};
  ClientToScreen(top, &origin);
  HWND owner = GetWindow(top, GW_OWNER);
  std::string json = "{\"exists\":true,\"class\":" + Quote(WindowName(top)) +
                     ",\"windowClass\":" + Quote(ClassOf(top)) + ",\"title\":" + Quote(TextOf(top)) +
                     ",\"visible\":" + Bool(IsWindowVisible(top)) + ",\"enabled\":" + Bool(IsWindowEnabled(top)) +
                     ",\"client\":[" + std::to_string(client.right) + "," + std::to_string(client.bottom) + "]" +
                     ",\"rect\":" + Rect(outer) + ",\"clientOrigin\":[" + std::to_string(origin.x) + "," +
                     std::to_string(origin.y) + "]" + ",\"style\":" + std::to_string(GetWindowLongW(top, GWL_STYLE)) +
                     ",\"exStyle\":" + std::to_string(GetWindowLongW(top, GWL_EXSTYLE)) +
                     ",\"ownerVisible\":" + Bool(owner && IsWindowVisible(owner)) +
                     ",\"owned\":" + Bool(owner != nullptr) +
                     ",\"focus\":" + Quote(FocusedControl(top)) + ",\"tooltips\":" + TooltipsJson(top) +
                     ",\"controls\":[";
  std::vector<HWND> children = DirectChildren(top);
  for (std::size_t i = 0; i < children.size(); ++i) json += (i ? "," : "") + ControlJson(children[i], top);
  return json + "]}";
}

HWND NamedControl(HWND top, const std::wstring& name) {
  for (HWND child : DirectChildren(top))
    if (ControlName(child) == name) return child;
  return nullptr;
}

struct Search {
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMessageBox(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770" && !GetPropW(hwnd, kWindowNameProperty) &&
      TextOf(hwnd) == kMessageBoxTitle)
    reinterpret_cast<Search*>(param)->found.push_back(hwnd);
  return TRUE;
}

// A visible message box (dialog class #32770) with our title; the program's
// own dialog, which carries its name, is none.
HWND FindMessageBox() {
  Search search;
  EnumWindows(CollectMessageBox, reinterpret_cast<LPARAM>(&search));
  return search.found.empty() ? nullptr : search.found.front();
}

RECT OuterRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

std::string MessageBoxJson(HWND box) {
  std::wstring text;
  bool icon = false;
  std::string buttons = "[";
  for (HWND child : DirectChildren(box)) {
    std::wstring cls = ClassOf(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        icon = icon || (OwnVisible(child) && SendMessageW(child, STM_GETICON, 0, 0) != 0);
      } else if (std::wstring t = TextOf(child); !t.empty()) {
        text = t;
      }
    } else if (_wcsicmp(cls.c_str(), L"Button") == 0 && OwnVisible(child)) {
      buttons += (buttons.size() > 1 ? "," : "") + Quote(TextOf(child));
    }
  }
  HWND owner = GetWindow(box, GW_OWNER);
  return "{\"exists\":true,\"title\":" + Quote(TextOf(box)) + ",\"text\":" + Quote(text) +
         ",\"icon\":" + Bool(icon) + ",\"buttons\":" + buttons + "]" +
         ",\"owner\":" + Quote(owner ? WindowName(owner) : L"") + ",\"rect\":" + Rect(OuterRect(box)) + "}";
}

// ---- A change of scale ---------------------------------------------------------------

// WM_DPICHANGED carries a pointer to the suggested rectangle, which the
// system does not carry across processes: the rectangle is written into the
// program's memory, and at the same address into ours, so the pointer holds
// whether or not the message is copied on its way.
int SendDpiChanged(HWND top, int dpi, const RECT& suggested) {
  DWORD pid = 0;
  GetWindowThreadProcessId(top, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return Fail("cannot open the program's process");
  void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  void* local = remote ? VirtualAlloc(remote, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr;
  SIZE_T written = 0;
  bool placed = remote && WriteProcessMemory(process, remote, &suggested, sizeof suggested, &written);
  if (local) std::memcpy(local, &suggested, sizeof suggested);
  DWORD_PTR result = 0;
  bool sent = placed && SendMessageTimeoutW(top, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                                            reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, kSendTimeoutMs, &result);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  if (local) VirtualFree(local, 0, MEM_RELEASE);
  CloseHandle(process);
  return sent ? Answer("{\"sent\":true}") : Fail("WM_DPICHANGED was not delivered");
}

// ---- Starting a program with limited rights ---------------------------------------

// The command line of a program and its arguments, each in quotes when it
// holds a blank (no argument of the tests holds a quote).
std::wstring CommandLine(int argc, wchar_t** argv, int first) {
  std::wstring line;
  for (int i = first; i < argc; ++i) {
    std::wstring argument = argv[i];
    if (!line.empty()) line += L' ';
    line += argument.find(L' ') == std::wstring::npos ? argument : L"\"" + argument + L"\"";
  }
  return line;
}

// The token linked to this process's full one: its limited twin.
HANDLE LimitedToken() {
  HANDLE own = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) return nullptr;
  TOKEN_LINKED_TOKEN linked{};
  DWORD length = 0;
  BOOL ok = GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &length);
  CloseHandle(own);
  if (!ok) return nullptr;
  HANDLE primary = nullptr;
  ok = DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary);
  CloseHandle(linked.LinkedToken);
  return ok ? primary : nullptr;
}

int StartLimited(int argc, wchar_t** argv) {
  HANDLE token = LimitedToken();
  if (!token) return Fail("no limited token linked to this one");
  std::wstring line = CommandLine(argc, argv, 2);
  // No standard handles: the program must not hold our caller's pipe open.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessAsUserW(token, argv[2], line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                      &startup, &process);
  CloseHandle(token);
  if (!started) return Fail("CreateProcessAsUserW failed");
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return Answer("{\"started\":true,\"pid\":" + std::to_string(process.dwProcessId) + "}");
}

// ---- Windows of a process ------------------------------------------------------

struct ProcessWindows {
  DWORD process;
  std::vector<std::wstring>* classes;
};

void NoteIfOwned(HWND hwnd, const ProcessWindows& watch) {
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != watch.process) return;
  std::wstring name = ClassOf(hwnd);
  for (const auto& seen : *watch.classes)
    if (seen == name) return;
  watch.classes->push_back(name);
}

BOOL CALLBACK NoteTopLevel(HWND hwnd, LPARAM param) {
  NoteIfOwned(hwnd, *reinterpret_cast<ProcessWindows*>(param));
  return TRUE;
}

// EnumWindows lists top-level windows, visible or not; message-only windows
// are found under HWND_MESSAGE.
void NoteWindowsOf(const ProcessWindows& watch) {
  EnumWindows(NoteTopLevel, reinterpret_cast<LPARAM>(&watch));
  for (HWND h = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
       h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr))
    NoteIfOwned(h, watch);
}

int WatchWindows(const std::wstring& program, const std::wstring& argument) {
  std::wstring commandLine = L"\"" + program + L"\"" + (argument.empty() ? L"" : L" " + argument);
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return Fail("cannot start the program");
  std::vector<std::wstring> classes;
  ProcessWindows watch{started.dwProcessId, &classes};
  int looks = 0;
  do {
    NoteWindowsOf(watch);
    ++looks;
  } while (WaitForSingleObject(started.hProcess, 1) == WAIT_TIMEOUT);
  DWORD code = 0;
  GetExitCodeProcess(started.hProcess, &code);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  std::string json = "{\"exit\":" + std::to_string(code) + ",\"looks\":" + std::to_string(looks) + ",\"windows\":[";
  for (std::size_t i = 0; i < classes.size(); ++i) json += (i ? "," : "") + Quote(classes[i]);
  return Answer(json + "]}");
}

// ---- Commands ----------------------------------------------------------------------

// Polls `found` until it gives something (a window, true) or time is up.
template <typename Found>
auto WaitFor(DWORD timeoutMs, Found found) -> decltype(found()) {
  DWORD start = GetTickCount();
  for (;;) {
    if (auto result = found()) return result;
    if (GetTickCount() - start >= timeoutMs) return {};
    Sleep(kPollMs);
  }
}

DWORD TimeoutArg(int argc, wchar_t** argv, int index) {
  return argc > index ? static_cast<DWORD>(_wtoi(argv[index])) : kDefaultTimeoutMs;
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) return Answer("{\"error\":\"usage\"}", 2);
  std::wstring command = argv[1];
  if (command == L"window" && argc >= 3) {
    HWND top = FindOurWindow(argv[2]);
    return top ? Answer(WindowJson(top)) : Answer("{\"exists\":false}");
  }
  if (command == L"wait-window" && argc >= 3) {
    HWND top = WaitFor(TimeoutArg(argc, argv, 3), [&]() -> HWND {
      HWND h = FindOurWindow(argv[2]);
      return h && IsWindowVisible(h) ? h : nullptr;
    });
    return top ? Answer(WindowJson(top)) : Fail("no visible window of that class");
  }
  if (command == L"wait-gone" && argc >= 3) {
    bool gone = WaitFor(TimeoutArg(argc, argv, 3), [&] { return FindOurWindow(argv[2]) == nullptr; });
    return gone ? Answer("{\"gone\":true}") : Fail("the window is still there");
  }
  if (command == L"click" && argc >= 4) {
    HWND top = FindOurWindow(argv[2]);
    HWND button = top ? NamedControl(top, argv[3]) : nullptr;
    if (!button) return Fail("no such control");
    PostMessageW(button, BM_CLICK, 0, 0);
    return Answer("{\"clicked\":true}");
  }
  if (command == L"close" && argc >= 3) {
    HWND top = FindOurWindow(argv[2]);
    if (!top) return Fail("no such window");
    PostMessageW(top, WM_CLOSE, 0, 0);
    return Answer("{\"closed\":true}");
  }
  if (command == L"dpi-changed" && argc >= 8) {
    HWND top = FindOurWindow(argv[2]);
    if (!top) return Fail("no such window");
    RECT suggested{_wtoi(argv[4]), _wtoi(argv[5]), _wtoi(argv[6]), _wtoi(argv[7])};
    return SendDpiChanged(top, _wtoi(argv[3]), suggested);
  }
  if (command == L"end-session" && argc >= 3) {
    // As a log-off does: the window is asked whether the session may end,
    // then told that it ends; the session then ends the process.
    HWND top = FindOurWindow(argv[2]);
    if (!top) return Fail("no such window");
    PostMessageW(top, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    PostMessageW(top, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    return Answer("{\"ended\":true}");
  }
  if (command == L"wait-msgbox") {
    HWND box = WaitFor(TimeoutArg(argc, argv, 2), FindMessageBox);
    return box ? Answer(MessageBoxJson(box)) : Fail("no message box");
  }
  if (command == L"msgbox-ok") {
    HWND box = WaitFor(TimeoutArg(argc, argv, 2), FindMessageBox);
    HWND ok = box ? GetDlgItem(box, IDOK) : nullptr;
    if (!ok) return Fail("no message box with an OK button");
    PostMessageW(ok, BM_CLICK, 0, 0);
    return Answer("{\"clicked\":true}");
  }
  if (command == L"start-limited" && argc >= 3) return StartLimited(argc, argv);
  if (command == L"load-library" && argc >= 3) {
    HMODULE library = LoadLibraryW(argv[2]);
    wchar_t path[MAX_PATH] = {};
    if (library) GetModuleFileNameW(library, path, MAX_PATH);
    return Answer("{\"loaded\":" + Bool(library != nullptr) + ",\"path\":" + Quote(path) + "}");
  }
  if (command == L"watch-windows" && argc >= 3) return WatchWindows(argv[2], argc >= 4 ? argv[3] : L"");
  return Answer("{\"error\":\"usage\"}", 2);
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return Answer("{\"error\":\"no command line\"}", 2);
  int status = Run(argc, argv);
  LocalFree(argv);
  return status;
}
