// Reading the small text files of /etc, /run and /sys.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hw::posix {

// The file's first `limit` bytes; nullopt when it cannot be read.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit = 64 * 1024);

bool DirectoryExists(const std::string& path);

// Writes all of `text` to `fd`, going on after interruptions.
bool WriteAll(int fd, std::string_view text);

// The directory part of a path: "." when it has none.
std::string DirectoryOf(const std::string& path);

// Flushes a directory's entries to disk, so a rename in it survives a crash.
void SyncDirectory(const std::string& directory);

}  // namespace hw::posix
