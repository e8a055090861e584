#include "report/report.h"
#include "report/escaping.h"

#include <algorithm>

#include "report/vocabulary.h"
#include "sync/sync_command.h"
#include "text/catalogue.h"
#include "text/text.h"

namespace hw::report {
namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0
// when it does not start with one (overlong forms, surrogates and code
// points above U+10FFFF are not well-formed).
std::size_t Utf8SequenceLength(std::string_view text) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

// `prefix` and `digits` lower-case hex digits of `value`. Written out by
// hand: the C library's formatter would bring its floating-point code into
// the Windows program for this alone.
std::string Hex(std::string_view prefix, int digits, unsigned value) {
  std::string out(prefix);
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += "0123456789abcdef"[(value >> shift) & 0xF];
  return out;
}

void AppendField(std::string& json, std::string_view key, const std::string& value) {
  json += JsonString(key) + ":" + JsonString(value) + ",";
}

void AppendList(std::string& json, std::string_view key, const std::vector<std::string>& values) {
  json += JsonString(key) + ":[";
  for (std::size_t i = 0; i < values.size(); ++i) json += (i ? "," : "") + JsonString(values[i]);
  json += "],";
}

// The reason only where the check did not apply; null everywhere else.
std::string JsonExemption(const Report& report) {
  if (report.verdict != CheckVerdict::NotApplicable) return "null";
  return JsonString(ExemptionName(report.exemption));
}

// {"value":[...],"source":"built-in"}: a list in force and where it came from.
void AppendSetting(std::string& json, std::string_view key, const std::vector<std::string>& values,
                   const std::string& source) {
  json += JsonString(key) + ":{";
  AppendList(json, "value", values);
  json += "\"source\":" + JsonString(source) + "},";
}

std::string Joined(const std::vector<std::string>& values, const char* separator) {
  std::string joined;
  for (const auto& value : values) joined += (joined.empty() ? "" : separator) + value;
  return joined;
}

// The IPv6 verdict once the side was judged, null where it was not looked at.
std::string JsonIpv6Verdict(const Report& report) {
  if (report.ipv6Verdict == CheckVerdict::Unfinished) return "null";
  return JsonString(VerdictName(report.ipv6Verdict));
}

std::string JsonIpv6Exemption(const Report& report) {
  if (report.ipv6Verdict != CheckVerdict::NotApplicable) return "null";
  return JsonString(Ipv6ExemptionName(report));
}

std::string Ipv6VerdictText(const Report& report) {
  if (report.ipv6Verdict == CheckVerdict::Unfinished) return "";
  std::string verdict(VerdictText(report.ipv6Verdict));
  if (report.ipv6Verdict == CheckVerdict::NotApplicable) verdict += " (" + std::string(Ipv6ExemptionText(report)) + ")";
  return verdict;
}

std::string JsonTruth(std::optional<bool> value) {
  if (!value) return "null";
  return *value ? "true" : "false";
}

}  // namespace

std::string_view VerdictName(CheckVerdict verdict) { return TermOf(verdict).key; }

std::string_view ExemptionName(NameCheckExemption exemption) {
  const Term* term = TermOf(exemption);
  return term ? term->key : "";
}

std::string_view ExemptionText(NameCheckExemption exemption) {
  const Term* term = TermOf(exemption);
  return term ? Text(term->text) : "";
}

// Nothing was asked: no stable global address at all, or none on an
// interface with an IPv6 default route.
std::string_view Ipv6ExemptionName(const Report& report) {
  if (!report.noIpv6Address) return ExemptionName(report.ipv6Exemption);
  return report.ipv6Addresses.empty() ? "no-ipv6-address" : "no-ipv6-default-route";
}

std::string_view Ipv6ExemptionText(const Report& report) {
  if (!report.noIpv6Address) return ExemptionText(report.ipv6Exemption);
  return Text(report.ipv6Addresses.empty() ? Msg::ReasonNoIpv6Address : Msg::ReasonNoIpv6DefaultRoute);
}

std::string_view VerdictText(CheckVerdict verdict) { return Text(TermOf(verdict).text); }

// A check that did not apply ends as its reason's row says.
int ExitCodeOf(const Report& report) {
  const Term* reason = report.verdict == CheckVerdict::NotApplicable ? TermOf(report.exemption) : nullptr;
  return reason ? reason->exitStatus : ExitCodeOf(report.verdict);
}

int ExitCodeOf(CheckVerdict verdict) { return TermOf(verdict).exitStatus; }

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  while (!text.empty()) {
    unsigned char c = static_cast<unsigned char>(text.front());
    std::size_t length = Utf8SequenceLength(text);
    if (length == 0) {
      out += "\\ufffd";
      length = 1;
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      out += Hex("\\u", 4, c);
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out + "\"";
}

std::string PrintableText(std::string_view text) {
  std::string out;
  while (!text.empty()) {
    unsigned char c = static_cast<unsigned char>(text.front());
    std::size_t length = Utf8SequenceLength(text);
    if (length == 0 || c < 0x20 || c == 0x7F || c == '\\') {
      out += c == '\\' ? "\\\\" : Hex("\\x", 2, c);
      length = 1;
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out;
}

std::string ReportAsJson(const Report& report) {
  std::string json = "{";
  AppendField(json, "system", report.system);
  AppendField(json, "ieVersion", report.ieVersion);
  AppendField(json, "connection", report.connection);
  AppendField(json, "userName", report.userName);
  AppendField(json, "computerName", report.computerName);
  json += "\"netbiosName\":" + (report.netbiosName ? JsonString(*report.netbiosName) : std::string("null")) + ",";
  AppendField(json, "dnsName", report.dnsName);
  AppendList(json, "ptrNames", report.ptrNames);
  AppendList(json, "addresses", report.addresses);
  AppendField(json, "selectedAddress", report.selectedAddress);
  AppendField(json, "dnsServer", report.dnsServer);
  AppendField(json, "dnsShortName", report.dnsShortName);
  AppendField(json, "verdict", std::string(VerdictName(report.verdict)));
  json += "\"notApplicableBecause\":" + JsonExemption(report) + ",";
  json += "\"forwardConfirmed\":" + JsonTruth(report.forwardConfirmed) + ",";
  json += "\"renameRefusedBecause\":" + (report.ambiguousPtr ? JsonString(kAmbiguousPtrReason) : "null") + ",";
  AppendSetting(json, "campusDomains", report.policy.lists.domains, report.policy.domainsSource);
  AppendSetting(json, "dynamicPoolPrefixes", report.policy.lists.poolPrefixes, report.policy.prefixesSource);
  AppendList(json, "invalidPolicy", report.policy.invalid);
  AppendList(json, "ipv6Addresses", report.ipv6Addresses);
  AppendField(json, "selectedIpv6Address", report.selectedIpv6Address);
  AppendField(json, "ipv6DnsServer", report.ipv6DnsServer);
  AppendField(json, "ipv6DnsName", report.ipv6DnsName);
  AppendList(json, "ipv6PtrNames", report.ipv6PtrNames);
  json += "\"ipv6Verdict\":" + JsonIpv6Verdict(report) + ",";
  json += "\"ipv6NotApplicableBecause\":" + JsonIpv6Exemption(report) + ",";
  json += "\"messages\":[";
  for (std::size_t i = 0; i < report.messages.size(); ++i) {
    const auto& message = report.messages[i];
    json += std::string(i ? "," : "") + "{\"text\":" + JsonString(message.text) +
            ",\"style\":" + std::to_string(message.style) + "}";
  }
  return json + "]}\n";
}

std::string ReportAsText(const Report& report) {
  std::string addresses = Joined(report.addresses, ", "), ptrNames = Joined(report.ptrNames, ", ");
  const CampusPolicy& policy = report.policy;
  std::string ipv6Addresses = Joined(report.ipv6Addresses, ", "), ipv6PtrNames = Joined(report.ipv6PtrNames, ", ");
  std::string verdict(VerdictText(report.verdict));
  if (report.verdict == CheckVerdict::NotApplicable && report.exemption != NameCheckExemption::None)
    verdict += " (" + std::string(ExemptionText(report.exemption)) + ")";
  std::string confirmed;
  if (report.forwardConfirmed) confirmed = Text(*report.forwardConfirmed ? Msg::ReportYes : Msg::ReportNo);
  if (report.ambiguousPtr) confirmed = Text(Msg::ReportNotOneConfirmed);
  const std::pair<Msg, std::string> rows[] = {
      {Msg::ReportSystem, report.system},
      {Msg::ReportIeVersion, report.ieVersion},
      {Msg::ReportConnection, report.connection},
      {Msg::ReportUserName, report.userName},
      {Msg::ReportComputerName, report.computerName},
      {Msg::ReportNetbiosName, report.netbiosName.value_or(std::string(Text(Msg::ReportHidden)))},
      {Msg::ReportDnsHostName, report.dnsName},
      {Msg::ReportPtrNames, ptrNames},
      {Msg::ReportAddresses, addresses},
      {Msg::ReportSelected, report.selectedAddress},
      {Msg::ReportDnsServer, report.dnsServer},
      {Msg::ReportDnsShortName, report.dnsShortName},
      {Msg::ReportResult, verdict},
      {Msg::ReportConfirmed, confirmed},
      {Msg::ReportCampusDomains, Joined(policy.lists.domains, ", ") + " (" + policy.domainsSource + ")"},
      {Msg::ReportPoolPrefixes, Joined(policy.lists.poolPrefixes, ", ") + " (" + policy.prefixesSource + ")"},
      {Msg::ReportInvalid, Joined(policy.invalid, ", ")},
      {Msg::ReportIpv6Addresses, ipv6Addresses},
      {Msg::ReportIpv6Selected, report.selectedIpv6Address},
      {Msg::ReportIpv6Server, report.ipv6DnsServer},
      {Msg::ReportIpv6DnsName, report.ipv6DnsName},
      {Msg::ReportIpv6PtrNames, ipv6PtrNames},
      {Msg::ReportIpv6Result, Ipv6VerdictText(report)},
  };
  std::string text;
  for (const auto& [label, value] : rows) {
    std::string line(Text(label));
    line.append(16 - std::min<std::size_t>(16, CharacterCount(line)), ' ');
    text += line + PrintableText(value) + "\n";
  }
  return text;
}

}  // namespace hw::report
