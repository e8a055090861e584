// The Windows way of handing a name back in a caller's buffer, and the
// names Linux gives for the computer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hw::posix {

// Writes `name` and a NUL at the start of `buffer` (which holds `size`
// characters) and keeps the rest of it. When the name and its NUL do not
// fit, the buffer stays as it was, `size` becomes the characters needed
// (NUL included) and the result is 0. On success `size` becomes the name's
// characters, plus one when `countNul` (GetUserName counts the NUL).
int FillNameBuffer(std::string_view name, std::string& buffer, uint32_t& size, bool countNul);

// The NetBIOS form of a host name: its first label in capitals (ASCII
// letters), cut to 15 characters.
std::string NetbiosNameOf(std::string_view hostName);

// The domain of a host name: the part after its first dot, or "".
std::string DomainOf(std::string_view hostName);

}  // namespace hw::posix
