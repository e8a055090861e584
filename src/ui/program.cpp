#include "ui/program.h"

#include <utility>

#include "check/name_rules.h"
#include "probes/names.h"
#include "resolve/dns_reverse_query.h"
#include "resolve/host_by_address.h"
#include "resolve/ipv6_reverse_query.h"
#include "resolve/local_addresses.h"
#include "resolve/tunnel_addresses.h"
#include "sync/elevated_copy.h"
#include "sync/elevation.h"
#include "sync/sync_command.h"
#include "ui/window_tables.h"

namespace hw {

Program::Program(Os& os, Forms& forms) : os_(os), forms_(forms), chkVer_(os) {}

void Program::LoadMainWindow() {
  form1_ = &forms_.Load(Form1Window());
  form1_->OnClick(kCmdSync, [this] { cmd_Sync_Click(); });
}

void Program::Start() {
  LoadMainWindow();
  policy_ = ReadCampusPolicy(os_);
  Form_Load(forms_, *form1_, members_, RealOperations(), policy_.lists, values_);
  if (auto decided = std::exchange(checkDecided_, nullptr)) decided();
  if (NeedsElevation()) (*form1_)[kCmdSync].SetElevationRequired(true);
  if (!values_.mainWindowHidden) form1_->Show();
}

void Program::Run() {
  // The elevated copy (UAC) only sets the name it was given; it shows no window.
  if (auto name = hw::ElevatedCopyName(forms_.Command())) {
    elevatedCopy_ = true;
    elevatedCopyName_ = *name;
    // The name it replaces, for the run's entry (the window's computer name);
    // a name that cannot be read leaves the entry's field empty, nothing more.
    try {
      values_.hostName = QueryDnsHostName(os_);
    } catch (const std::exception&) {
    }
    RunThenEnd(forms_, [&] {
      syncOutcome_ = RunElevatedCopy(os_, forms_, chkVer_, *name, elevatedCopyDnsName_, NoteNameSet());
    });
  }
  Start();
  forms_.Run();
}

ProgramState Program::State() {
  ProgramState state;
  state.form1 = ControlStates(*form1_);
  state.form1Visible = form1_->Visible();
  state.warningShown = dialog_ && dialog_->Visible();
  state.members = members_;
  state.version = chkVer_.Info();
  state.values = values_;
  state.policy = policy_;
  return state;
}

void Program::Continue(const ProgramState& state) {
  chkVer_.Adopt(state.version);
  members_ = state.members;
  values_ = state.values;
  policy_ = state.policy;  // what the check used, for the run's log entry
  LoadMainWindow();
  RestoreControlStates(*form1_, state.form1);
  if (NeedsElevation()) (*form1_)[kCmdSync].SetElevationRequired(true);
  if (state.warningShown) ShowWarningDialog();
  if (state.form1Visible) form1_->Show();
}

void Program::cmd_Sync_Click() {
  syncOutcome_ = SynchroniseName(os_, forms_, chkVer_, members_.DnsShortName, WhatTheCheckFound(), SyncCaller::User,
                                 NoteNameSet());
  if (EndsTheProgram(*syncOutcome_)) forms_.End();
}

RenameBasis Program::ConfirmRename() { return ConfirmRenameBasis(os_, forms_, chkVer_, WhatTheCheckFound()); }

std::function<void()> Program::NoteNameSet() {
  return [this] {
    syncOutcome_ = SyncOutcome::Renamed;
    if (nameSet_) nameSet_();
  };
}

// The IPv6-only PC's check took the IPv6 side's values into these fields.
ForwardLookup Program::WhatTheCheckFound() const {
  return {values_.dnsName, values_.selectedAddress, values_.dnsServer,
          AcceptedCampusNames(values_.ptrNames, policy_.lists)};
}

// Pressing the button will start the elevated copy: the user is asked for
// the full rights first. Known once the version is read, and asked once.
// Only Windows draws the shield.
bool Program::NeedsElevation() {
  if (!needsElevation_) needsElevation_ = chkVer_.HasUac() && HasElevatedTwin(os_);
  return *needsElevation_;
}

StartupOperations Program::RealOperations() {
  StartupOperations op;
  op.OsVersionText = [this] { return chkVer_.OsVersionText(); };
  op.IeVersionText = [this] { return chkVer_.IeVersionText(); };
  op.InternetGetConnectedState = [this](uint32_t& flags, uint32_t reserved) {
    return os_.InternetGetConnectedState(flags, reserved);
  };
  op.ConnectionStateWithoutBrowser = [this] { return os_.ConnectionStateWithoutBrowser(); };
  op.QueryUserName = [this] { return QueryUserName(os_); };
  op.QueryComputerName = [this] { return QueryComputerName(os_); };
  op.ListLocalAddresses = [this] { return ListLocalAddresses(os_, forms_, (*form1_)[kCboIp]); };
  op.HasDnsClient = [this] { return chkVer_.HasDnsClient(); };
  op.QueryDnsHostName = [this] { return QueryDnsHostName(os_); };
  op.QueryDnsServer = [this] { return QueryDnsServer(os_); };
  op.TunnelAddresses = [this] { return TunnelAddresses(os_); };
  op.DnsReverseLookup = [this](const std::string& address, const std::string& server, LookupFailure& failure) {
    return DnsReverseLookup(os_, address, server, &failure);
  };
  op.HostNameByAddress = [this](const std::string& address, LookupFailure& failure) {
    return HostNameByAddress(os_, forms_, address, &failure);
  };
  op.QueryIpv6Configuration = [this] { return QueryIpv6Configuration(os_); };
  op.Ipv6ReverseLookup = [this](const std::string& address, const std::string& server) {
    return Ipv6ReverseLookup(os_, address, server);
  };
  op.ShowWarningDialog = [this] { ShowWarningDialog(); };
  return op;
}

// "OK" synchronises and ends the program whatever the command reported;
// "Details >>" trades the dialog for the main window. Closing the dialog
// while the main window is hidden would leave an invisible program behind,
// so that ends the program too.
void Program::ShowWarningDialog() {
  Window& dialog = forms_.Load(FrmInfoWindow());
  dialog_ = &dialog;
  // The end comes even when the command's message box cannot be shown.
  dialog.OnClick(kOkButton, [this] { RunThenEnd(forms_, [this] { cmd_Sync_Click(); }); });
  if (NeedsElevation()) dialog[kOkButton].SetElevationRequired(true);
  dialog.OnClick(kCancelButton, [this, &dialog] {
    dialog.Unload();
    form1_->Show();
  });
  dialog.OnClose([this] {
    if (!form1_->Visible()) forms_.End();
  });
  dialog.Show();
}

}  // namespace hw
