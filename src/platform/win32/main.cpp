// The Windows program: the argument text, the forms runtime, the system
// functions, and the program, until its last window closes or it ends at once.
#include <windows.h>

#include <exception>
#include <memory>

#include "check/name_rules.h"
#include "platform/win32/command_line.h"
#include "platform/win32/library_search.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/win32_forms.h"
#include "platform/win32/win32_os.h"
#include "ui/program.h"
#include "ui/quiet_run.h"

namespace {

// What the program's Command() gives: the arguments without the program's path.
std::string ArgumentText() {
  return hw::win32::WideToUtf8(hw::win32::ArgumentsAfterProgramPath(GetCommandLineW()));
}

// The Win32 runtime creates no window until one is loaded or a message box
// is shown, so the quiet mode can keep it for the instance test and the
// boxes, and hand it the windows only when the warning dialog is due.
class Win32Screen : public hw::ScreenOnDemand {
 public:
  Win32Screen(hw::Os& os, hw::Forms& forms) : os_(os), forms_(forms) {}
  bool PrevInstance() override { return forms_.PrevInstance(); }
  void MsgBox(const std::string& text, int style) override { forms_.MsgBox(text, style); }
  int Continue(const hw::ProgramState& state) override {
    hw::Program program(os_, forms_);
    program.Continue(state);
    forms_.Run();
    return 0;
  }

 private:
  hw::Os& os_;
  hw::Forms& forms_;
};

int RunProgram() {
  const std::string arguments = ArgumentText();
  std::unique_ptr<hw::Forms> forms = hw::MakeWin32Forms(arguments);
  hw::Win32Os os;
  // At log-on, with nothing to show, no window is ever created.
  if (hw::IsQuietSwitch(arguments)) {
    Win32Screen screen(os, *forms);
    return hw::RunQuietMode(os, arguments, screen);
  }
  hw::Program program(os, *forms);
  program.Run();
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything else can load a library. Loaded libraries stay loaded.
  hw::win32::SystemLibraries libraries;
  hw::win32::RestrictLibrarySearch(libraries);
  try {
    return RunProgram();
  } catch (const hw::EndProgram&) {
    // Ending at once: the runtime has closed every window on its way out.
    return 0;
  } catch (const std::exception& error) {
    // Nothing the program expects; say so plainly instead of crashing.
    std::wstring text = L"Hostwarden wurde wegen eines unerwarteten Fehlers beendet:\r\n" +
                        hw::win32::Utf8ToWide(error.what());
    MessageBoxW(nullptr, text.c_str(), L"Hostwarden", MB_OK | MB_ICONHAND);
    return 1;
  }
}
