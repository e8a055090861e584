// How many entries of a TOKEN_GROUPS record lie inside the buffer that holds it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hw::win32 {

// A record of `claimed` entries of `entrySize` bytes each after a header of
// `headerSize` bytes, in a buffer of `bufferLength` bytes: the entries that
// lie wholly inside the buffer, never more than claimed. No multiplication,
// so a huge count cannot wrap around to a small size.
constexpr std::size_t EntriesWithin(std::size_t bufferLength, std::size_t headerSize, std::size_t entrySize,
                                    std::uint32_t claimed) {
  if (entrySize == 0 || bufferLength < headerSize) return 0;
  std::size_t room = (bufferLength - headerSize) / entrySize;
  return claimed < room ? claimed : room;
}

}  // namespace hw::win32
