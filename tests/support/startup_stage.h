// A stage for the startup check: the headless main window and stand-ins for
// every operation the check calls, describing a Windows XP PC on the campus
// LAN whose names agree with DNS. A test changes what it needs and runs.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "check/form_load.h"
#include "interfaces/headless/headless_forms.h"
#include "ui/window_tables.h"

namespace hw::test {

using PtrLookup = std::function<std::vector<std::string>(const std::string&, const std::string&, LookupFailure&)>;

// A stand-in for the PTR lookup: these names, in this order.
inline PtrLookup PtrAnswer(std::vector<std::string> names) {
  return [names](const std::string&, const std::string&, LookupFailure&) { return names; };
}

// A stand-in for a PTR lookup that gives no name, for this reason.
inline PtrLookup PtrFailure(LookupFailure why) {
  return [why](const std::string&, const std::string&, LookupFailure& failure) {
    failure = why;
    return std::vector<std::string>{};
  };
}

struct StartupStage {
  HeadlessForms forms;
  Window& form1;
  Form1Members members;
  StartupValues values;
  StartupOperations op;
  int dialogsShown = 0;
  int connectionQueries = 0;
  bool ended = false;

  explicit StartupStage(std::string commandLine = "", bool prevInstance = false)
      : forms(std::move(commandLine), prevInstance), form1(forms.Load(Form1Window())) {
    op.OsVersionText = []() { return std::string("Windows XP 5.1 build 2600 (Service Pack 3)"); };
    op.IeVersionText = [] { return std::string("6.0.2900.5512"); };
    op.InternetGetConnectedState = [this](uint32_t& flags, uint32_t) {
      ++connectionQueries;
      flags = kConnectionLan;
      return 1;
    };
    op.QueryUserName = [] { return std::string("anna"); };
    op.QueryComputerName = [] { return std::string("WS-17"); };
    op.ListLocalAddresses = [this] { return AddAddresses({"192.0.2.7", "198.51.100.9"}); };
    op.HasDnsClient = [] { return true; };
    op.QueryDnsHostName = [] { return std::string("ws-17"); };
    op.QueryDnsServer = [] { return std::string("192.0.2.53"); };
    op.DnsReverseLookup = PtrAnswer({"ws-17.uni-falkenau.de"});
    op.HostNameByAddress = [](const std::string&, LookupFailure&) { return std::string("ws-17.uni-falkenau.de"); };
    op.ShowWarningDialog = [this] { ++dialogsShown; };
  }

  bool AddAddresses(std::initializer_list<const char*> addresses) {
    for (const char* a : addresses) form1["cbo_IP"].AddItem(a);
    form1["cbo_IP"].SetListIndex(0);
    return true;
  }

  // Runs the load sequence, then shows the main window as the program's
  // start-up does unless the sequence hid it or ended the program.
  StartupStage& Run(std::string_view campusDomain = "uni-falkenau.de") {
    try {
      Form_Load(forms, form1, members, op, campusDomain, values);
      if (!values.mainWindowHidden) form1.Show();
    } catch (const EndProgram&) {
      ended = true;
    }
    return *this;
  }

  std::string Text(const char* control) { return form1[control].Text(); }
  bool Visible(const char* control) { return form1[control].Visible(); }
  bool WarningRaised() { return form1["img_Warn"].Visible() && form1["cmd_Sync"].Enabled(); }
};

// What a failing operation throws: any run-time error.
inline std::runtime_error Failure() { return std::runtime_error("operation failed"); }

}  // namespace hw::test
