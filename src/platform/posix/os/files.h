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

// The file a path names once its links are followed, also where the last
// link points to a file that does not exist yet; the path itself when it is
// no link.
std::string FileBehindLinks(const std::string& path);

// Replaces the file at `path` with `text`: a temporary file beside the file
// the path names (links followed, so a link stays a link), with that file's
// owner and mode (0644 for a new file), written and flushed to disk, then
// renamed over it, so a crash leaves the old text or the new one, never a
// torn file. "" on success, otherwise what went wrong (strerror).
std::string ReplaceFileAtomically(const std::string& path, std::string_view text);

}  // namespace hw::posix
