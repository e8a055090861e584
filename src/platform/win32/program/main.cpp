// The Windows program: the argument text, the forms runtime, the system
// functions, and the program, until its last window closes or it ends at once;
// or, with /REPORT or /SYNC, a mode for scripts without a window. The elevated
// copy (/SetComputerName:<name>) exits 0 when it set the name, 1 when not.
#include <windows.h>

#include <exception>
#include <memory>

#include "check/name_rules.h"
#include "platform/win32/program/command_line.h"
#include "platform/win32/os/library_search.h"
#include "platform/win32/program/script_mode.h"
#include "platform/win32/os/text_encoding.h"
#include "platform/win32/forms/forms.h"
#include "platform/win32/os/win32_os.h"
#include "app/program_run.h"
#include "text/catalogue.h"
#include "text/language.h"

namespace {

// What the program's Command() gives: the arguments without the program's path.
std::string ArgumentText() {
  return hw::win32::WideToUtf8(hw::win32::ArgumentsAfterProgramPath(GetCommandLineW()));
}

// The event log, opened for each entry.
class EventLog : public hw::report::VerdictLog {
 public:
  void Write(const hw::report::VerdictEntry& entry) override { hw::win32::LogVerdictEntry(entry); }
};

// The Win32 runtime creates no window until one is loaded or a message box
// is shown, so the quiet mode can keep it for the instance test and the
// boxes, and hand it the windows only when the warning dialog is due.
class Win32Screen : public hw::ScreenOnDemand {
 public:
  Win32Screen(hw::Os& os, hw::Forms& forms, hw::report::VerdictLog& log) : os_(os), forms_(forms), log_(log) {}
  bool PrevInstance() override { return forms_.PrevInstance(); }
  void MsgBox(const std::string& text, int style) override { forms_.MsgBox(text, style); }
  bool Open() override { return true; }
  int Continue(const hw::ProgramState& state) override {
    return hw::app::ContinueWindowProgram(os_, forms_, state, &log_);
  }

 private:
  hw::Os& os_;
  hw::Forms& forms_;
  hw::report::VerdictLog& log_;
};

// The run's verdict goes to the event log as soon as the check has decided,
// before any window, and one more entry when a name is then set: a user who
// logs off with the window or the warning open ends the process from
// WM_ENDSESSION, and the PCs whose users ignore the warning are the very ones
// administrators look for. At log-on, with nothing to show, no window is
// ever created.
int RunProgram() {
  const std::string arguments = ArgumentText();
  std::unique_ptr<hw::Forms> forms = hw::win32::MakeWin32Forms(arguments);
  hw::win32::Win32Os os;
  EventLog log;
  if (hw::IsQuietSwitch(arguments)) {
    Win32Screen screen(os, *forms, log);
    return hw::app::RunQuietProgram(os, arguments, screen, &log);
  }
  return hw::app::RunWindowProgram(os, *forms, &log);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything else can load a library. Loaded libraries stay loaded.
  hw::win32::SystemLibraries libraries;
  hw::win32::RestrictLibrarySearch(libraries);
  {
    hw::win32::Win32Os os;  // the run's language, before any text is made
    hw::ChooseLanguage(os);
  }
  hw::report::ModeOptions options = hw::report::ParseModeOptions(ArgumentText());
  if (options.mode != hw::report::Mode::Window) return hw::win32::RunScriptMode(options);
  try {
    return RunProgram();
  } catch (const hw::EndProgram&) {
    // Ending at once: the runtime has closed every window on its way out.
    return 0;
  } catch (const std::exception& error) {
    // Nothing the program expects; say so plainly instead of crashing.
    std::wstring text = hw::win32::Utf8ToWide(hw::Text(hw::Msg::UnexpectedError)) + hw::win32::Utf8ToWide(error.what());
    hw::win32::ShowFatalMessage(text);
    return 1;
  }
}
