#include "check/form_load.h"

#include "check/guard.h"
#include "check/name_rules.h"
#include "text/text.h"
#include "text/control_names.h"

namespace hw {
namespace {

std::vector<std::string> EachCutAtNul(const std::vector<std::string>& names) {
  std::vector<std::string> cut;
  for (const auto& name : names) cut.push_back(TrimAtNul(name));
  return cut;
}

bool IsOneOf(const std::string& text, const std::vector<std::string>& list) {
  for (const auto& entry : list)
    if (entry == text) return true;
  return false;
}

// One run of the load sequence. Each step is one method; from the quiet
// switch on, every assignment and every test runs under the guards of
// guard.h, so a failing action is skipped and a failing test counts as passed.
class StartupCheck {
 public:
  StartupCheck(Forms& forms, Window& form1, Form1Members& members, const StartupOperations& op,
               const CampusLists& campus, StartupValues& values)
      : forms_(forms), form1_(form1), members_(members), op_(op), campus_(campus), v_(values) {}

  void Run() {
    RefuseSecondInstance();
    ReadQuietSwitch();
    ShowSystem();
    ShowBrowser();
    ReadConnection();
    ShowUserName();
    ReadComputerName();
    ListAddresses();
    SelectFirstAddress();
    LookUpDnsName();
    LookUpIpv6Name();
    if (!NameCheckIsApplicable()) return EndInQuietMode(CheckVerdict::NotApplicable);
    TakeShortName();
    if (!NamesAreDifferent()) return EndInQuietMode(CheckVerdict::Agree);
    RaiseWarning();
  }

 private:
  void EndBecause(CheckVerdict verdict) {
    v_.verdict = verdict;
    forms_.End();
  }

  // In quiet mode there is nothing to show; in normal mode the window is shown
  // without a warning.
  void EndInQuietMode(CheckVerdict verdict) {
    v_.verdict = verdict;
    if (passes([&] { return members_.QuietMode; })) forms_.End();
  }

  void RefuseSecondInstance() {
    if (forms_.PrevInstance()) EndBecause(CheckVerdict::AlreadyRunning);
  }

  void ReadQuietSwitch() {
    attempt([&] { members_.QuietMode = IsQuietSwitch(forms_.Command()); });
  }

  void ShowSystem() {
    attempt([&] {
      form1_[kLblSystem].SetText(op_.OsVersionText());
    });
    if (passes([&] { return form1_[kLblSystem].Text().empty(); })) EndBecause(CheckVerdict::Failed);
  }

  void ShowBrowser() {
    attempt([&] { form1_[kLblIe].SetText(op_.IeVersionText()); });
  }

  // Browsers before version 4 cannot tell the connection; the PC then counts
  // as being on the LAN, unless the system tells the connection by itself.
  void ReadConnection() {
    if (BrowserTellsTheConnection() || SystemTellsTheConnection()) {
      int connected = 0;
      attempt([&] { connected = op_.InternetGetConnectedState(v_.connectionFlags, 0); });
      if (passes([&] { return connected != 0; })) {
        attempt([&] { v_.isDialUp = (v_.connectionFlags & kConnectionModem) != 0; });
        attempt([&] { v_.isLan = (v_.connectionFlags & kConnectionLan) != 0; });
      }
      if (passes([&] { return v_.isDialUp; })) attempt([&] { form1_[kLblConn].SetText("Dial-Up"); });
      if (passes([&] { return v_.isLan; })) attempt([&] { form1_[kLblConn].SetText("LAN"); });
    } else {
      attempt([&] { v_.isLan = true; });
    }
  }

  bool BrowserTellsTheConnection() {
    constexpr int kFirstBrowserThatTellsTheConnection = 4;
    return passes([&] { return LeadingVersionDigit(form1_[kLblIe].Text()) >= kFirstBrowserThatTellsTheConnection; });
  }

  // Asked only when the browser cannot tell, so that where it tells, its
  // answer decides alone; an error here means the system cannot tell either.
  bool SystemTellsTheConnection() {
    try {
      return op_.ConnectionStateWithoutBrowser && op_.ConnectionStateWithoutBrowser();
    } catch (const std::exception&) {
      return false;
    }
  }

  void ShowUserName() {
    attempt([&] { form1_[kLblUsername].SetText(op_.QueryUserName()); });
  }

  void ReadComputerName() {
    attempt([&] { v_.computerName = op_.QueryComputerName(); });
  }

  // The address list has told the user why when it fails.
  void ListAddresses() {
    if (passes([&] { return !op_.ListLocalAddresses(); })) EndBecause(CheckVerdict::Failed);
  }

  // The first address is checked, unless it is a VPN tunnel's: a tunnel's
  // name is its pool's, so the next address of the list is taken instead.
  void SelectFirstAddress() {
    attempt([&] { v_.selectedAddress = form1_[kCboIp].Text(); });
    std::vector<std::string> tunnels;
    attempt([&] { tunnels = op_.TunnelAddresses ? op_.TunnelAddresses() : std::vector<std::string>{}; });
    if (!IsOneOf(v_.selectedAddress, tunnels)) return;
    attempt([&] {
      std::vector<std::string> listed = form1_[kCboIp].Items();
      for (std::size_t i = 0; i < listed.size(); ++i) {
        if (IsOneOf(listed[i], tunnels)) continue;
        form1_[kCboIp].SetListIndex(static_cast<int>(i));
        v_.selectedAddress = listed[i];
        return;
      }
      v_.onlyTunnelAddresses = true;
    });
  }

  void LookUpDnsName() {
    if (passes([&] { return op_.HasDnsClient(); })) {
      attempt([&] { form1_[kLblNb].SetVisible(true); });
      attempt([&] { form1_[kTxtNb].SetVisible(true); });
      attempt([&] { v_.hostName = op_.QueryDnsHostName(); });
      attempt([&] { v_.dnsServer = op_.QueryDnsServer(); });
      if (!v_.onlyTunnelAddresses)
        attempt([&] {
          v_.ptrNames =
              InStableOrder(EachCutAtNul(op_.DnsReverseLookup(v_.selectedAddress, v_.dnsServer, v_.lookupFailure)));
        });
      // An address may carry several PTR records, in an order that servers
      // rotate: any one that agrees is the PC's name, and otherwise the
      // first of the stable order is the same on every run.
      attempt([&] { v_.dnsName = PtrNameToCompare(v_.ptrNames, v_.hostName, v_.computerName); });
      attempt([&] { form1_[kTxtCn].SetText(v_.hostName); });
      attempt([&] { form1_[kTxtNb].SetText(v_.computerName); });
      attempt([&] { form1_[kTxtDns].SetText(v_.dnsName); });
    } else {
      // Older systems ask the resolver, which may answer with the PC's own
      // name from its own tables: such an answer says nothing about DNS.
      attempt([&] { form1_[kLblNb].SetVisible(false); });
      attempt([&] { form1_[kTxtNb].SetVisible(false); });
      attempt([&] { form1_[kTxtCn].SetText(v_.computerName); });
      attempt([&] { v_.hostName = v_.computerName; });
      if (!v_.onlyTunnelAddresses)
        attempt([&] { v_.dnsName = TrimAtNul(op_.HostNameByAddress(v_.selectedAddress, v_.lookupFailure)); });
      if (passes([&] { return v_.dnsName == v_.computerName; })) attempt([&] { v_.dnsName.clear(); });
      attempt([&] { form1_[kTxtDns].SetText(v_.dnsName); });
    }
  }

  // The IPv6 side, wherever the DNS client is: judged beside the IPv4 check, and
  // in its place on a PC whose only IPv4 address is the loop-back one.
  void LookUpIpv6Name() {
    bool dnsClient = false, ipv6Only = false;
    attempt([&] { dnsClient = op_.HasDnsClient(); });
    if (!dnsClient) return;
    attempt([&] { hw::LookUpIpv6Name(op_, v_.hostName, v_.computerName, v_.ipv6); });
    attempt([&] { JudgeIpv6(v_.ipv6, {v_.isLan, campus_, v_.hostName, v_.computerName}); });
    attempt([&] { ipv6Only = IsIpv6OnlyPc(form1_[kCboIp].Items(), v_.ipv6); });
    if (ipv6Only) TakeIpv6Side();
  }

  void TakeIpv6Side() {
    v_.ipv6.decides = true;
    attempt([&] {
      Control& box = form1_[kCboIp];
      const int first = static_cast<int>(box.Items().size());
      for (const auto& address : v_.ipv6.addresses) box.AddItem(address);
      box.SetListIndex(first);  // the selected address leads the IPv6 list
    });
    attempt([&] { v_.selectedAddress = v_.ipv6.selectedAddress; });
    attempt([&] { v_.dnsServer = v_.ipv6.dnsServer; });
    attempt([&] { v_.ptrNames = v_.ipv6.ptrNames; });
    attempt([&] { v_.dnsName = v_.ipv6.dnsName; });
    attempt([&] { form1_[kTxtDns].SetText(v_.dnsName); });
  }

  bool NameCheckIsApplicable() {
    return passes([&] {
      v_.exemption = NameCheckExemptionOf(
          {v_.isLan, v_.dnsName, v_.selectedAddress, campus_, v_.lookupFailure, v_.onlyTunnelAddresses});
      return v_.exemption == NameCheckExemption::None;
    });
  }

  void TakeShortName() {
    attempt([&] { members_.DnsShortName = FirstLabel(v_.dnsName); });
  }

  bool NamesAreDifferent() {
    return passes([&] { return NamesDiffer(v_.hostName, v_.computerName, members_.DnsShortName); });
  }

  void RaiseWarning() {
    v_.verdict = CheckVerdict::Mismatch;
    attempt([&] { form1_[kImgWarn].SetVisible(true); });
    attempt([&] { form1_[kCmdSync].SetEnabled(true); });
    if (passes([&] { return members_.QuietMode; })) {
      attempt([&] { op_.ShowWarningDialog(); });
      attempt([&] {
        form1_.Hide();
        v_.mainWindowHidden = true;
      });
    }
  }

  Forms& forms_;
  Window& form1_;
  Form1Members& members_;
  const StartupOperations& op_;
  const CampusLists& campus_;
  StartupValues& v_;
};

}  // namespace

void Form_Load(Forms& forms, Window& form1, Form1Members& members, const StartupOperations& operations,
               const CampusLists& campus, StartupValues& values) {
  StartupCheck(forms, form1, members, operations, campus, values).Run();
}

}  // namespace hw
