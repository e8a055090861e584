#include "resolve/ip_address_text.h"

#include <cstdint>
#include <vector>

namespace hw {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

std::string Ipv4Text(const uint8_t* bytes) {
  std::string text;
  for (int i = 0; i < 4; ++i) text += (i ? "." : "") + std::to_string(bytes[i]);
  return text;
}

bool IsIpv4MappedAddress(const std::array<uint8_t, 16>& bytes) {
  for (int i = 0; i < 10; ++i)
    if (bytes[i] != 0) return false;
  return bytes[10] == 0xFF && bytes[11] == 0xFF;
}

std::string GroupText(unsigned group) {
  char text[5];
  int length = 0;
  bool started = false;
  for (int shift = 12; shift >= 0; shift -= 4) {
    unsigned nibble = (group >> shift) & 0xF;
    if (nibble || started || shift == 0) {
      text[length++] = kHexDigits[nibble];
      started = true;
    }
  }
  return std::string(text, length);
}

std::string Ipv6Text(const std::array<uint8_t, 16>& bytes) {
  if (IsIpv4MappedAddress(bytes)) return "::ffff:" + Ipv4Text(bytes.data() + 12);
  unsigned groups[8];
  for (int i = 0; i < 8; ++i) groups[i] = (bytes[2 * i] << 8) | bytes[2 * i + 1];
  // The first longest run of at least two zero groups becomes "::".
  int bestStart = -1, bestLength = 1;
  for (int i = 0; i < 8;) {
    int j = i;
    while (j < 8 && groups[j] == 0) ++j;
    if (j - i > bestLength) bestStart = i, bestLength = j - i;
    i = j == i ? i + 1 : j;
  }
  std::string text;
  for (int i = 0; i < 8; ++i) {
    if (i == bestStart) {
      text += "::";
      i += bestLength - 1;
      continue;
    }
    if (!text.empty() && text.back() != ':') text += ':';
    text += GroupText(groups[i]);
  }
  return text;
}

std::optional<unsigned> DecimalPart(std::string_view part) {
  if (part.empty() || part.size() > 3) return std::nullopt;
  unsigned value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > 255) return std::nullopt;
  return value;
}

bool ParseIpv4(std::string_view text, uint8_t* bytes) {
  for (int i = 0; i < 4; ++i) {
    std::size_t end = text.find('.');
    if ((end == std::string_view::npos) != (i == 3)) return false;
    auto value = DecimalPart(text.substr(0, end));
    if (!value) return false;
    bytes[i] = static_cast<uint8_t>(*value);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return true;
}

std::optional<unsigned> HexGroup(std::string_view group) {
  if (group.empty() || group.size() > 4) return std::nullopt;
  unsigned value = 0;
  for (char c : group) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value * 16 + digit;
  }
  return value;
}

// The groups of one side of "::" (or of the whole address); a dotted IPv4
// tail counts as two groups. False on anything malformed.
bool ParseGroups(std::string_view text, bool ipv4TailAllowed, std::vector<uint8_t>& bytes) {
  if (text.empty()) return true;
  for (;;) {
    std::size_t end = text.find(':');
    std::string_view group = text.substr(0, end);
    if (end == std::string_view::npos && ipv4TailAllowed && group.find('.') != std::string_view::npos) {
      uint8_t tail[4];
      if (!ParseIpv4(group, tail)) return false;
      bytes.insert(bytes.end(), tail, tail + 4);
      return true;
    }
    auto value = HexGroup(group);
    if (!value) return false;
    bytes.push_back(static_cast<uint8_t>(*value >> 8));
    bytes.push_back(static_cast<uint8_t>(*value & 0xFF));
    if (end == std::string_view::npos) return true;
    text = text.substr(end + 1);
  }
}

std::optional<SocketAddress> ParseIpv6(std::string_view text) {
  SocketAddress address{kAfInet6, {}};
  std::vector<uint8_t> head, tail;
  std::size_t gap = text.find("::");
  if (gap == std::string_view::npos) {
    if (!ParseGroups(text, true, head) || head.size() != 16) return std::nullopt;
  } else {
    if (text.find("::", gap + 1) != std::string_view::npos) return std::nullopt;
    std::string_view after = text.substr(gap + 2);
    if (!ParseGroups(text.substr(0, gap), false, head) || !ParseGroups(after, true, tail)) return std::nullopt;
    if (head.size() + tail.size() > 14) return std::nullopt;
  }
  std::copy(head.begin(), head.end(), address.bytes.begin());
  std::copy(tail.begin(), tail.end(), address.bytes.end() - tail.size());
  return address;
}

}  // namespace

std::string AddressText(const SocketAddress& address) {
  if (address.family == kAfInet) return Ipv4Text(address.bytes.data());
  if (address.family == kAfInet6) return Ipv6Text(address.bytes);
  return "";
}

std::optional<SocketAddress> ParseAddress(std::string_view text) {
  if (text.find(':') != std::string_view::npos) return ParseIpv6(text);
  SocketAddress address{kAfInet, {}};
  if (!ParseIpv4(text, address.bytes.data())) return std::nullopt;
  return address;
}

bool IsIpv6Text(std::string_view text) {
  auto address = ParseAddress(text);
  return address && address->family == kAfInet6;
}

std::string Ipv6ReverseName(const SocketAddress& address) {
  std::string name;
  for (int i = 15; i >= 0; --i) {
    name += kHexDigits[address.bytes[i] & 0xF];
    name += '.';
    name += kHexDigits[address.bytes[i] >> 4];
    name += '.';
  }
  return name + "ip6.arpa";
}

}  // namespace hw
