// The program as a whole: the main window with its members and handlers, the
// version module, and the warning dialog, wired to an OS and a forms runtime.
#pragma once

#include <optional>
#include <string>

#include "check/form_load.h"
#include "platform/forms.h"
#include "platform/os.h"
#include "probes/chk_ver.h"
#include "sync/forward_confirmation.h"

namespace hw {

class Program {
 public:
  Program(Os& os, Forms& forms, std::string campusDomain = std::string(DefaultCampusDomain()));

  // Loads the main window and runs its load sequence, then shows the window
  // unless the sequence hid it. EndProgram escapes when the program ends.
  void Start();
  // Start, then the forms runtime's loop until no window is left; or, for
  // the elevated copy's command line, only set the name and end.
  void Run();

  Window& Form1() { return *form1_; }
  const Form1Members& Members() const { return members_; }
  const StartupValues& Values() const { return values_; }
  const ChkVer& Versions() const { return chkVer_; }

  // The handlers of the controls.
  void cmd_Sync_Click();

  // Whether the DNS name the check went on with leads back to the selected
  // address, asked as the synchronise command asks before renaming.
  bool ForwardConfirmed();

 private:
  StartupOperations RealOperations();
  ForwardLookup WhatTheCheckFound() const;
  void ShowWarningDialog();
  bool NeedsElevation();

  Os& os_;
  Forms& forms_;
  std::string campusDomain_;
  ChkVer chkVer_;
  Window* form1_ = nullptr;
  Form1Members members_;
  StartupValues values_;
  std::optional<bool> needsElevation_;
};

}  // namespace hw
