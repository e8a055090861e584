// Reading the small text files of /etc, /run and /sys.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace hw::posix {

// The file's first `limit` bytes; nullopt when it cannot be read.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit = 64 * 1024);

bool DirectoryExists(const std::string& path);

}  // namespace hw::posix
