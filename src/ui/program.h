// The program as a whole: the main window with its members and handlers, the
// version module, and the warning dialog, wired to an OS and a forms runtime.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "check/campus_policy.h"
#include "check/form_load.h"
#include "interfaces/control_state.h"
#include "interfaces/forms.h"
#include "interfaces/os.h"
#include "probes/chk_ver.h"
#include "sync/forward_confirmation.h"
#include "sync/sync_command.h"

namespace hw {

// Where the startup check left the program: what the main window holds, its
// members, the version record, which windows are up, and the values it
// found (what a rename must confirm, and what the run's log entry says). A
// run whose check kept its windows in memory goes on from here on the real
// forms runtime.
struct ProgramState {
  std::vector<ControlState> form1;
  bool form1Visible = false;
  bool warningShown = false;
  Form1Members members;
  OsVersionInfo version;
  StartupValues values;
  CampusPolicy policy;  // the lists the check used, and the settings it ignored

  bool operator==(const ProgramState&) const = default;
};

class Program {
 public:
  Program(Os& os, Forms& forms);

  // Loads the main window and runs its load sequence, then shows the window
  // unless the sequence hid it. EndProgram escapes when the program ends.
  void Start();
  // Start, then the forms runtime's loop until no window is left; or, for
  // the elevated copy's command line, only set the name and end.
  void Run();

  // Runs `hook` once, as soon as the load sequence has decided (before the
  // main window is shown), so the verdict is on record before any window.
  void OnCheckDecided(std::function<void()> hook) { checkDecided_ = std::move(hook); }
  // Runs `hook` as soon as this run has set the name (or its elevated copy
  // has), before the message that says so.
  void OnNameSet(std::function<void()> hook) { nameSet_ = std::move(hook); }

  // Where the program stands after Start.
  ProgramState State();
  // Goes on from the state another run left, without running the check
  // again: the main window as it was, and the warning dialog when it was up.
  void Continue(const ProgramState& state);

  Window& Form1() { return *form1_; }
  const Form1Members& Members() const { return members_; }
  const StartupValues& Values() const { return values_; }
  const ChkVer& Versions() const { return chkVer_; }
  // The campus lists in force for this run, and where they came from.
  const CampusPolicy& Policy() const { return policy_; }
  // Whether this run is the elevated copy, which only sets a name.
  bool IsElevatedCopy() const { return elevatedCopy_; }
  // The name the elevated copy was given to set; "" for any other run.
  const std::string& ElevatedCopyName() const { return elevatedCopyName_; }
  // How the synchronise command last ended in this run; nullopt before it ran.
  const std::optional<SyncOutcome>& LastSyncOutcome() const { return syncOutcome_; }
  // Whether this run set the computer name (or had its elevated copy set it).
  bool NameSet() const { return syncOutcome_ == SyncOutcome::Renamed; }

  // The handlers of the controls. The button synchronises the name and ends
  // the program where the outcome says so.
  void cmd_Sync_Click();

  // What a rename rests on, asked as the synchronise command asks before
  // renaming: the confirmed full name, or why there is none.
  RenameBasis ConfirmRename();
  // What the check found that the synchronise command confirms: the side
  // that decided (IPv6 on an IPv6-only PC, IPv4 everywhere else), with the
  // campus names among its PTR names.
  ForwardLookup WhatTheCheckFound() const;

  // The full DNS name an elevated copy was given beside the short name on
  // its command line (Linux's pkexec copy), whose domain its rename takes.
  void GiveElevatedCopyDnsName(std::string dnsName) { elevatedCopyDnsName_ = std::move(dnsName); }

 private:
  void LoadMainWindow();
  StartupOperations RealOperations();
  void ShowWarningDialog();
  bool NeedsElevation();
  std::function<void()> NoteNameSet();

  Os& os_;
  Forms& forms_;
  CampusPolicy policy_;  // read at the start of the run
  bool elevatedCopy_ = false;
  std::string elevatedCopyName_;
  ChkVer chkVer_;
  Window* form1_ = nullptr;
  Window* dialog_ = nullptr;
  Form1Members members_;
  StartupValues values_;
  std::string elevatedCopyDnsName_;
  std::optional<bool> needsElevation_;
  std::optional<SyncOutcome> syncOutcome_;
  std::function<void()> checkDecided_;
  std::function<void()> nameSet_;
};

}  // namespace hw
