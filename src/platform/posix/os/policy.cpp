#include "platform/posix/os/policy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/posix/os/posix_os.h"
#include "text/text.h"

namespace hw::posix {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trimmed(std::string_view text) {
  const char* blanks = " \t\r";
  std::size_t start = text.find_first_not_of(blanks);
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(blanks) - start + 1);
}

std::vector<std::string> ListOf(std::string_view value) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while ((start = value.find_first_not_of(", \t\r", start)) != std::string_view::npos) {
    std::size_t end = value.find_first_of(", \t\r", start);
    items.emplace_back(value.substr(start, end - start));
    start = end;
  }
  return items;
}

// The file as read: its text, or why it gives none.
struct PolicyFile {
  bool exists = false;
  std::optional<std::string> text;  // nullopt: unreadable or refused
  std::string refusal;              // why it was refused whole
};

// A directory in which only the trusted owner (or root, who may do all) can
// replace the file's entry.
bool IsTrustedDirectory(const struct stat& info, uid_t trustedOwner) {
  if (!S_ISDIR(info.st_mode) || (info.st_uid != trustedOwner && info.st_uid != 0)) return false;
  return (info.st_mode & S_ISVTX) != 0 || (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Every directory from the file's own (the path followed) up to "/".
bool DirectoriesAreTrusted(const std::string& path, uid_t trustedOwner) {
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) return false;
  std::string directory(resolved);
  while (directory.size() > 1) {
    directory.erase(directory.rfind('/'));
    if (directory.empty()) directory = "/";
    struct stat info {};
    if (stat(directory.c_str(), &info) != 0 || !IsTrustedDirectory(info, trustedOwner)) return false;
  }
  return true;
}

// Reads at most one byte beyond the limit, to tell a long file from a full one.
std::optional<std::string> TextUpTo(int fd, std::size_t limit) {
  std::string buffer(limit + 1, '\0');
  std::size_t filled = 0;
  while (filled < buffer.size()) {
    ssize_t got = read(fd, buffer.data() + filled, buffer.size() - filled);
    if (got == 0) break;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    filled += static_cast<std::size_t>(got);
  }
  buffer.resize(filled);
  return buffer;
}

PolicyFile ReadPolicyFile(const std::string& path, uid_t trustedOwner) {
  PolicyFile file;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    file.exists = errno != ENOENT && errno != ENOTDIR;
    return file;
  }
  file.exists = true;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return file;
  }
  if (!IsTrustedPolicyMode(info.st_uid, info.st_mode, trustedOwner) || !DirectoriesAreTrusted(path, trustedOwner)) {
    close(fd);
    file.refusal = kUntrustedPolicyFile;
    return file;
  }
  file.text = TextUpTo(fd, kLargestPolicyFile);
  close(fd);
  if (file.text && file.text->size() > kLargestPolicyFile) {
    file.text.reset();
    file.refusal = kPolicyFileTooLarge;
  }
  return file;
}

}  // namespace

bool IsTrustedPolicyMode(uid_t owner, mode_t mode, uid_t trustedOwner) {
  return owner == trustedOwner && (mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::map<std::string, std::vector<std::string>> ParsePolicyText(std::string_view text) {
  std::map<std::string, std::vector<std::string>> settings;
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    line = line.substr(0, line.find('#'));
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = Trimmed(line.substr(0, equals));
    if (!key.empty()) settings[ToLower(key)] = ListOf(line.substr(equals + 1));
  }
  return settings;
}

std::optional<PolicySetting> ReadPolicyFileSetting(const std::string& path, const std::string& name,
                                                   uid_t trustedOwner) {
  PolicyFile file = ReadPolicyFile(path, trustedOwner);
  if (!file.exists) return std::nullopt;
  if (!file.text) return PolicySetting{"file", /*readable=*/false, {}, file.refusal};
  auto settings = ParsePolicyText(*file.text);
  auto found = settings.find(ToLower(name));
  if (found == settings.end()) return std::nullopt;
  return PolicySetting{"file", true, found->second};
}

}  // namespace hw::posix

namespace hw::posix {

std::optional<PolicySetting> PosixOs::ReadPolicySetting(const std::string& name) {
  return ReadPolicyFileSetting(kPolicyFilePath, name);
}

}  // namespace hw::posix
