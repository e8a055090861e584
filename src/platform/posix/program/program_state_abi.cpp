#include "platform/posix/program/program_state_abi.h"

namespace hw::posix {
namespace {

std::string TextOf(const char* text) { return text ? text : ""; }

ControlState ControlOf(const HostwardenControlState& record) {
  ControlState control{TextOf(record.name), TextOf(record.text)};
  for (int i = 0; record.items && i < record.itemCount; ++i) control.items.push_back(TextOf(record.items[i]));
  control.listIndex = record.listIndex;
  control.visible = record.visible != 0;
  control.enabled = record.enabled != 0;
  return control;
}

}  // namespace

ProgramStateRecord::ProgramStateRecord(const ProgramState& state) {
  items_.reserve(state.form1.size());
  for (const auto& control : state.form1) {
    std::vector<const char*>& items = items_.emplace_back();
    for (const auto& item : control.items) items.push_back(item.c_str());
    controls_.push_back({control.name.c_str(), control.text.c_str(), items.data(), static_cast<int>(items.size()),
                         control.listIndex, control.visible, control.enabled});
  }
  record_.form1 = controls_.data();
  record_.form1Count = static_cast<int>(controls_.size());
  record_.form1Visible = state.form1Visible;
  record_.warningShown = state.warningShown;
  record_.quietMode = state.members.QuietMode;
  record_.dnsShortName = state.members.DnsShortName.c_str();
  const OsVersionInfo& version = state.version;
  record_.osVersionInfoSize = version.dwOSVersionInfoSize;
  record_.majorVersion = version.dwMajorVersion;
  record_.minorVersion = version.dwMinorVersion;
  record_.buildNumber = version.dwBuildNumber;
  record_.platformId = version.dwPlatformId;
  record_.csdVersion = version.szCSDVersion.data();
  record_.csdVersionLength = version.szCSDVersion.size();
  record_.verdict = static_cast<int>(state.values.verdict);
  record_.hostName = state.values.hostName.c_str();
  record_.dnsName = state.values.dnsName.c_str();
  record_.selectedAddress = state.values.selectedAddress.c_str();
  record_.dnsServer = state.values.dnsServer.c_str();
  record_.ipv6Verdict = static_cast<int>(state.values.ipv6.verdict);
  record_.ipv6Address = state.values.ipv6.selectedAddress.c_str();
  record_.ipv6DnsName = state.values.ipv6.dnsName.c_str();
  for (const auto& name : state.values.ptrNames) ptrNames_.push_back(name.c_str());
  record_.ptrNames = ptrNames_.data();
  record_.ptrNameCount = static_cast<int>(ptrNames_.size());
}

ProgramState StateOf(const HostwardenProgramState& record) {
  ProgramState state;
  for (int i = 0; record.form1 && i < record.form1Count; ++i) state.form1.push_back(ControlOf(record.form1[i]));
  state.form1Visible = record.form1Visible != 0;
  state.warningShown = record.warningShown != 0;
  state.members.QuietMode = record.quietMode != 0;
  state.members.DnsShortName = TextOf(record.dnsShortName);
  state.version.dwOSVersionInfoSize = record.osVersionInfoSize;
  state.version.dwMajorVersion = record.majorVersion;
  state.version.dwMinorVersion = record.minorVersion;
  state.version.dwBuildNumber = record.buildNumber;
  state.version.dwPlatformId = record.platformId;
  state.version.szCSDVersion =
      record.csdVersion ? std::string(record.csdVersion, record.csdVersionLength) : std::string(128, '\0');
  state.values.verdict = static_cast<CheckVerdict>(record.verdict);
  state.values.hostName = TextOf(record.hostName);
  state.values.dnsName = TextOf(record.dnsName);
  state.values.selectedAddress = TextOf(record.selectedAddress);
  state.values.dnsServer = TextOf(record.dnsServer);
  state.values.ipv6.verdict = static_cast<CheckVerdict>(record.ipv6Verdict);
  state.values.ipv6.selectedAddress = TextOf(record.ipv6Address);
  state.values.ipv6.dnsName = TextOf(record.ipv6DnsName);
  for (int i = 0; record.ptrNames && i < record.ptrNameCount; ++i)
    state.values.ptrNames.push_back(TextOf(record.ptrNames[i]));
  return state;
}

}  // namespace hw::posix
