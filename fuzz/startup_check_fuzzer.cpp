// The text helpers, the name rules and a whole load sequence of the main
// window, fed with arbitrary texts: every name, version and address the
// system or the network hands the program is someone else's bytes.
//
// Input: byte 0 says which stand-in operations fail (bit n: operation n of
// kFailing), byte 1 is the connection and platform switches below, the rest
// are texts separated by 0x1F, in the order of Texts. The reverse answer
// holds the PTR names separated by 0x1E.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "check/name_rules.h"
#include "support/startup_stage.h"
#include "text/text.h"

namespace {

constexpr char kSeparator = '\x1f';
constexpr char kNameSeparator = '\x1e';

enum Switch : uint8_t {
  kConnected = 0x01,   // InternetGetConnectedState answers nonzero
  kLan = 0x02,         // ... with the LAN bit
  kModem = 0x04,       // ... with the modem bit
  kOlderWindows = 0x08,
  kNoAddresses = 0x10,  // the address list fails
  kPrevInstance = 0x20,
  kSystemTellsConnection = 0x40,  // the connection is asked whatever the browser
};

struct Texts {
  std::string commandLine, osVersion, ieVersion, userName, computerName, dnsHostName, dnsServer, reverseAnswer,
      resolverAnswer, campusDomain;
  std::vector<std::string> addresses;
  std::vector<std::string> ptrNames;  // the reverse answer's names
};

void Require(bool condition) {
  if (!condition) std::abort();  // libFuzzer reports the input
}

Texts SplitTexts(std::string_view rest) {
  std::vector<std::string> parts;
  for (;;) {
    std::size_t end = rest.find(kSeparator);
    parts.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  parts.resize(std::max<std::size_t>(parts.size(), 10));
  Texts texts{parts[0], parts[1], parts[2], parts[3], parts[4], parts[5], parts[6], parts[7], parts[8], parts[9], {}, {}};
  texts.addresses.assign(parts.begin() + 10, parts.end());
  for (std::string_view names = texts.reverseAnswer; !texts.reverseAnswer.empty();) {
    std::size_t end = names.find(kNameSeparator);
    texts.ptrNames.emplace_back(names.substr(0, end));
    if (end == std::string_view::npos) break;
    names.remove_prefix(end + 1);
  }
  return texts;
}

bool IsPrefix(std::string_view part, std::string_view whole) { return whole.substr(0, part.size()) == part; }

// What the helpers promise for any text.
void CheckTextHelpers(const std::string& text) {
  std::string trimmed = hw::TrimAtNul(text);
  Require(IsPrefix(trimmed, text) && trimmed.find('\0') == std::string::npos);

  std::string reversed = hw::ReverseDottedName(text);
  Require(reversed.size() == text.size());
  Require(hw::ReverseDottedName(reversed) == text);

  Require(hw::ToLower(text).size() == text.size());
  std::string upper = hw::ToUpperAscii(text);
  Require(upper.size() == text.size() && hw::ToUpperAscii(upper) == upper);
  Require(hw::CharacterCount(text) <= text.size());

  std::string shortName = hw::FirstLabel(text);
  Require(IsPrefix(shortName, text) && shortName.find('.') == std::string::npos);

  (void)hw::IsQuietSwitch(text);
  int digit = hw::LeadingVersionDigit(text);
  Require(digit >= 0 && digit <= 9);
}

void CheckNameRules(const Texts& t) {
  std::string shortName = hw::FirstLabel(t.reverseAnswer);
  bool differs = hw::NamesDiffer(t.dnsHostName, t.computerName, shortName);
  // The host name is compared whole, the NetBIOS name with the first 15
  // characters: a PC named after the short name agrees, however long it is.
  if (hw::ToLower(t.dnsHostName) != hw::ToLower(shortName)) Require(differs);
  Require(!hw::NamesDiffer(shortName, hw::NetbiosNameOf(shortName), shortName));
  std::string_view address = t.addresses.empty() ? std::string_view() : std::string_view(t.addresses.front());
  bool applies = hw::NameCheckExemptionOf({true, t.reverseAnswer, address, t.campusDomain}) ==
                 hw::NameCheckExemption::None;
  Require(hw::NameCheckExemptionOf({false, t.reverseAnswer, address, t.campusDomain}) == hw::NameCheckExemption::NoLan);
  if (t.reverseAnswer.empty()) Require(!applies);
}

// One load sequence on the headless main window; every operation answers
// with the fuzzed text or fails.
void RunLoadSequence(uint8_t failing, uint8_t switches, const Texts& t) {
  hw::test::StartupStage stage(t.commandLine, (switches & kPrevInstance) != 0);
  auto fails = [failing](int bit) {
    if (failing & (1u << bit)) throw hw::test::Failure();
  };
  auto& op = stage.op;
  op.OsVersionText = [&]() { return fails(0), t.osVersion; };
  op.IeVersionText = [&] { return fails(1), t.ieVersion; };
  op.InternetGetConnectedState = [&](uint32_t& flags, uint32_t) {
    fails(2);
    flags = ((switches & kLan) ? hw::kConnectionLan : 0u) | ((switches & kModem) ? hw::kConnectionModem : 0u);
    return (switches & kConnected) ? 1 : 0;
  };
  op.ConnectionStateWithoutBrowser = [&] { return (switches & kSystemTellsConnection) != 0; };
  op.QueryUserName = [&] { return fails(3), t.userName; };
  op.QueryComputerName = [&] { return fails(4), t.computerName; };
  op.ListLocalAddresses = [&] {
    if (switches & kNoAddresses) {
      stage.forms.MsgBox("Fehler", 16);
      return false;
    }
    for (const auto& address : t.addresses) stage.form1["cbo_IP"].AddItem(address);
    if (!t.addresses.empty()) stage.form1["cbo_IP"].SetListIndex(0);
    return true;
  };
  op.HasDnsClient = [&] { return (switches & kOlderWindows) == 0; };
  op.QueryDnsHostName = [&] { return fails(5), t.dnsHostName; };
  op.QueryDnsServer = [&] { return fails(6), t.dnsServer; };
  op.DnsReverseLookup = [&](const std::string&, const std::string&, hw::LookupFailure&) {
    return fails(7), t.ptrNames;
  };
  op.HostNameByAddress = [&](const std::string&, hw::LookupFailure&) { return fails(7), t.resolverAnswer; };

  stage.Run(t.campusDomain);

  const hw::StartupValues& values = stage.values;
  if (values.verdict == hw::CheckVerdict::Agree || values.verdict == hw::CheckVerdict::Mismatch) {
    Require(!values.dnsName.empty());
    Require(stage.members.DnsShortName == hw::FirstLabel(values.dnsName));
    Require(hw::IsWithinCampusDomain(values.dnsName, t.campusDomain));
  }
  // A mismatch means that no PTR name agrees, and the first one is shown.
  if (values.verdict == hw::CheckVerdict::Mismatch && !(switches & kOlderWindows)) {
    Require(values.dnsName == values.ptrNames.front());
    for (const auto& name : values.ptrNames)
      Require(hw::NamesDiffer(values.hostName, values.computerName, hw::FirstLabel(name)));
  }
  // Whatever order the server gave, the check holds its names in one fixed order.
  Require(values.ptrNames == hw::InStableOrder(values.ptrNames));
  Require(values.dnsName.find('\0') == std::string::npos);
  if (values.verdict == hw::CheckVerdict::Mismatch) Require(stage.WarningRaised());
  if (values.mainWindowHidden) Require(stage.dialogsShown == 1);
  // A system that tells the connection is never taken to be on the LAN
  // unless it says so.
  if ((switches & kSystemTellsConnection) && !(failing & (1u << 2)) && !((switches & kConnected) && (switches & kLan)))
    Require(!values.isLan);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  Texts texts = SplitTexts(rest);
  for (const std::string* text : {&texts.commandLine, &texts.osVersion, &texts.ieVersion, &texts.computerName,
                                  &texts.dnsHostName, &texts.reverseAnswer, &texts.campusDomain})
    CheckTextHelpers(*text);
  for (const auto& address : texts.addresses) CheckTextHelpers(address);
  CheckNameRules(texts);
  RunLoadSequence(data[0], data[1], texts);
  return 0;
}
