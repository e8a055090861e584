// The application object of the Win32 forms runtime: single instance, the
// command line, message boxes, loading windows, the message loop, and
// ending the program at once.
#include "platform/win32/forms/forms.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <map>

#include "interfaces/os.h"
#include "platform/win32/program/console_output.h"
#include "platform/win32/os/system_functions.h"
#include "platform/win32/os/system_libraries.h"
#include "platform/win32/os/text_encoding.h"
#include "platform/win32/forms/display.h"
#include "platform/win32/forms/layout.h"
#include "platform/win32/forms/text.h"
#include "platform/win32/forms/window.h"

namespace hw::win32 {
namespace {

using win32::Win32Window;

// The common controls' library is loaded at the first window, not with the
// program, since loading it wakes the display driver. The manifest asks for
// version 6, which the activation context finds by the library's name; where
// nothing redirects that name, the system directory's own copy is taken,
// never one found through the search path.
void StartCommonControls() {
  using Init = decltype(&::InitCommonControlsEx);
  FARPROC entry = nullptr;
  ACTCTX_SECTION_KEYED_DATA redirection{};
  redirection.cbSize = sizeof redirection;
  if (FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                               &redirection)) {
    if (HMODULE library = LoadLibraryW(L"comctl32.dll")) entry = GetProcAddress(library, "InitCommonControlsEx");
  } else {
    try {
      entry = Gui().libraries.EntryPoint("comctl32.dll", "InitCommonControlsEx");
    } catch (const MissingFunction&) {
    }
  }
  // Without the library the windows still come up, with the system's plain
  // controls; the tooltip is then missing.
  if (!entry) return;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  reinterpret_cast<Init>(reinterpret_cast<void (*)()>(entry))(&icc);
}

// The icon bits of a message box style; anything else the caller passes is
// ignored, so a box always has exactly one OK button.
UINT MessageBoxStyle(int style) { return MB_OK | (static_cast<UINT>(style) & MB_ICONMASK); }

class Win32Forms final : public Forms, public win32::FormsHost {
 public:
  // Nothing of the screen is touched before the first window: a quiet
  // log-on with nothing to show never connects to the display driver.
  explicit Win32Forms(std::string commandLine)
      : commandLine_(std::move(commandLine)), instance_(GetModuleHandleW(nullptr)) {}

  // The instance mutex is left to the system, which closes it when the
  // process ends: the instance must count as running until then.
  ~Win32Forms() override {
    windows_.clear();
    if (owner_) Gui().DestroyWindow(owner_);
  }

  bool PrevInstance() override;
  std::string Command() override { return commandLine_; }
  void MsgBox(const std::string& text, int style) override;
  Window& Load(const WindowData& definition) override;
  [[noreturn]] void End() override;
  void Run() override;

  HINSTANCE Instance() const override { return instance_; }
  int Dpi() const override {
    if (!dpi_) dpi_ = win32::ScreenDpi();
    return dpi_;
  }
  HWND HiddenOwner() override;
  LRESULT Dispatch(const std::function<LRESULT()>& work) noexcept override;

 private:
  bool AnyWindowLoaded() const;
  HWND MessageBoxOwner() const;
  Win32Window* LoadedRoot(HWND hwnd) const;
  [[noreturn]] static void EndProcess();

  std::string commandLine_;
  HINSTANCE instance_;
  mutable int dpi_ = 0;  // read from the screen at the first window
  bool controlsStarted_ = false;
  HANDLE mutex_ = nullptr;
  bool instanceChecked_ = false, prevInstance_ = false;
  HWND owner_ = nullptr;
  std::map<std::string, std::unique_ptr<Win32Window>, std::less<>> windows_;
};

// A named mutex per session: the first instance creates it and holds it
// until the process ends. A mutex that exists already, or that another
// user's instance in this session holds (access denied), means another
// instance runs. Systems without session namespaces do not know "Local\".
bool Win32Forms::PrevInstance() {
  if (instanceChecked_) return prevInstance_;
  instanceChecked_ = true;
  for (const wchar_t* name : {L"Local\\Hostwarden.SingleInstance", L"Hostwarden.SingleInstance"}) {
    SetLastError(ERROR_SUCCESS);
    mutex_ = CreateMutexW(nullptr, FALSE, name);
    DWORD error = GetLastError();
    if (mutex_) {
      prevInstance_ = error == ERROR_ALREADY_EXISTS;
      return prevInstance_;
    }
    if (error == ERROR_ACCESS_DENIED) return prevInstance_ = true;
  }
  return prevInstance_ = false;  // no mutex at all: nothing tells of another instance
}

HWND Win32Forms::MessageBoxOwner() const {
  if (HWND active = Gui().GetActiveWindow(); active && LoadedRoot(active)) return active;
  for (const auto& [name, window] : windows_)
    if (window->Visible()) return window->Handle();
  return nullptr;
}

void Win32Forms::MsgBox(const std::string& text, int style) {
  UsePerMonitorDpi();
  HWND owner = MessageBoxOwner();
  UINT flags = MessageBoxStyle(style) | MB_SETFOREGROUND | (owner ? MB_APPLMODAL : MB_TASKMODAL);
  std::fflush(nullptr);
  if (!Gui().MessageBoxW(owner, Widen(text).c_str(), Widen(Title()).c_str(), flags))
    throw FormsError("cannot show the message box");
}

Window& Win32Forms::Load(const WindowData& definition) {
  if (!controlsStarted_) {
    UsePerMonitorDpi();
    StartCommonControls();
    controlsStarted_ = true;
  }
  auto it = windows_.find(definition.name);
  if (it == windows_.end())
    it = windows_.emplace(definition.name, std::make_unique<Win32Window>(*this, definition)).first;
  it->second->Create();
  return *it->second;
}

void Win32Forms::End() {
  for (auto& [name, window] : windows_) window->DestroySilently();
  if (owner_) Gui().DestroyWindow(owner_);
  owner_ = nullptr;
  std::fflush(nullptr);
  throw EndProgram{};
}

void Win32Forms::EndProcess() {
  std::fflush(nullptr);
  ExitProcess(0);
}

HWND Win32Forms::HiddenOwner() {
  if (!owner_)
    owner_ =
        Gui().CreateWindowExW(0, L"STATIC", L"Hostwarden", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr);
  return owner_;
}

LRESULT Win32Forms::Dispatch(const std::function<LRESULT()>& work) noexcept {
  try {
    return work();
  } catch (const EndProgram&) {
    EndProcess();  // End() has closed every window already
  } catch (const std::exception& error) {
    // A handler's failure abandons that handler only, like any other action
    // of the program; the window goes on.
    OutputDebugStringA(error.what());
  } catch (...) {
    OutputDebugStringA("Hostwarden: a window handler failed");
  }
  return 0;
}

bool Win32Forms::AnyWindowLoaded() const { return AnyLoaded(windows_); }

Win32Window* Win32Forms::LoadedRoot(HWND hwnd) const {
  HWND root = hwnd ? Gui().GetAncestor(hwnd, GA_ROOT) : nullptr;
  for (const auto& [name, window] : windows_)
    if (root && window->Handle() == root) return window.get();
  return nullptr;
}

// The message loop, until the last window is unloaded. The dialog manager
// gives Tab and Shift-Tab (along the tab order), Enter and Space on a button.
void Win32Forms::Run() {
  MSG msg;
  while (AnyWindowLoaded()) {
    BOOL got = Gui().GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      Gui().PostQuitMessage(static_cast<int>(msg.wParam));  // leave WM_QUIT for the caller's loop
      return;
    }
    if (got == -1) return;
    Win32Window* window = LoadedRoot(msg.hwnd);
    if (window && Gui().IsDialogMessageW(window->Handle(), &msg)) continue;
    Gui().TranslateMessage(&msg);
    Gui().DispatchMessageW(&msg);
  }
}

}  // namespace

std::unique_ptr<Forms> MakeWin32Forms(std::string commandLine) {
  return std::make_unique<Win32Forms>(std::move(commandLine));
}

// Never destroyed: a window procedure or an icon's owner may call in until
// the process ends.
WindowFunctions& Gui() {
  static WindowFunctions* functions = new WindowFunctions(*new SystemLibraries);
  return *functions;
}

void ShowFatalMessage(const std::wstring& text) noexcept {
  try {
    if (Gui().MessageBoxW(nullptr, text.c_str(), L"Hostwarden", MB_OK | MB_ICONHAND)) return;
  } catch (...) {
    // no window system to show it: the text goes where a script can read it
  }
  OutputDebugStringW(text.c_str());
  try {
    SystemLibraries libraries;
    ConsoleOutput console(libraries);
    std::string line = WideToUtf8(text);
    for (std::size_t at; (at = line.find("\r\n")) != std::string::npos;) line.erase(at, 1);  // the writer adds the CR
    console.Write(STD_ERROR_HANDLE, line + "\n");
  } catch (...) {
  }
}

}  // namespace hw::win32
