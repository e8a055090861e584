#include "platform/posix/os/name_buffer.h"

#include "text/names.h"
#include "text/text.h"

namespace hw::posix {
namespace {

// The byte offset at which the character with index `count` starts (the
// text's size when it has fewer characters).
std::size_t OffsetOfCharacter(std::string_view text, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (seen++ == count) return i;
  }
  return text.size();
}

}  // namespace

int FillNameBuffer(std::string_view name, std::string& buffer, uint32_t& size, bool countNul) {
  std::size_t characters = CharacterCount(name);
  if (characters + 1 > size) {
    size = static_cast<uint32_t>(characters + 1);
    return 0;
  }
  std::string rest = buffer.substr(OffsetOfCharacter(buffer, characters + 1));
  buffer = std::string(name) + '\0' + rest;
  size = static_cast<uint32_t>(characters + (countNul ? 1 : 0));
  return 1;
}

std::string NetbiosNameOf(std::string_view hostName) {
  return hw::NetbiosNameOf(ToUpperAscii(FirstLabel(hostName)));
}

std::string DomainOf(std::string_view hostName) {
  std::size_t dot = hostName.find('.');
  return dot == std::string_view::npos ? std::string() : std::string(hostName.substr(dot + 1));
}

}  // namespace hw::posix
