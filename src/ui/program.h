// The program as a whole: the main window with its members and handlers, the
// version module, and the warning dialog, wired to an OS and a forms runtime.
#pragma once

#include <string>
#include <vector>

#include "check/form_load.h"
#include "platform/control_state.h"
#include "platform/forms.h"
#include "platform/os.h"
#include "probes/chk_ver.h"

namespace hw {

// Where the startup check left the program: what the main window holds, its
// members, the version record, and which windows are up. A run whose check
// kept its windows in memory goes on from here on the real forms runtime.
struct ProgramState {
  std::vector<ControlState> form1;
  bool form1Visible = false;
  bool warningShown = false;
  Form1Members members;
  OsVersionInfo version;
};

class Program {
 public:
  Program(Os& os, Forms& forms, std::string campusDomain = std::string(DefaultCampusDomain()));

  // Loads the main window and runs its load sequence, then shows the window
  // unless the sequence hid it. EndProgram escapes when the program ends.
  void Start();
  // Start, then the forms runtime's loop until no window is left.
  void Run();

  // Where the program stands after Start.
  ProgramState State();
  // Goes on from the state another run left, without running the check
  // again: the main window as it was, and the warning dialog when it was up.
  void Continue(const ProgramState& state);

  Window& Form1() { return *form1_; }
  const Form1Members& Members() const { return members_; }
  const StartupValues& Values() const { return values_; }
  const ChkVer& Versions() const { return chkVer_; }

  // The handlers of the controls.
  void cmd_Sync_Click();

 private:
  void LoadMainWindow();
  StartupOperations RealOperations();
  void ShowWarningDialog();

  Os& os_;
  Forms& forms_;
  std::string campusDomain_;
  ChkVer chkVer_;
  Window* form1_ = nullptr;
  Window* dialog_ = nullptr;
  Form1Members members_;
  StartupValues values_;
};

}  // namespace hw
