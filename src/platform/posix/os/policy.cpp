#include "platform/posix/os/policy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/os/posix_os.h"
#include "text/text.h"

namespace hw::posix {
namespace {

constexpr std::size_t kLargestFile = 64 * 1024;  // a few lines are expected; more is not read

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

// The file's text; nullopt with `exists` false when there is no file.
std::optional<std::string> FileText(const std::string& path, bool& exists) {
  exists = true;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    exists = errno != ENOENT && errno != ENOTDIR;
    return std::nullopt;
  }
  struct stat info {};
  std::optional<std::string> text;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    std::string buffer(kLargestFile, '\0');
    std::size_t filled = 0;
    ssize_t got = 0;
    while (filled < buffer.size() && (got = read(fd, buffer.data() + filled, buffer.size() - filled)) != 0) {
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) break;
      filled += static_cast<std::size_t>(got);
    }
    if (got >= 0) text = buffer.substr(0, filled);
  }
  close(fd);
  return text;
}

}  // namespace

std::map<std::string, std::vector<std::string>> ParsePolicyText(std::string_view text) {
  std::map<std::string, std::vector<std::string>> settings;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    line = line.substr(0, line.find('#'));
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = Trimmed(line.substr(0, equals));
    if (!key.empty()) settings[std::string(key)] = ListOf(line.substr(equals + 1));
  }
  return settings;
}

std::optional<PolicySetting> ReadPolicyFileSetting(const std::string& path, const std::string& name) {
  bool exists = false;
  std::optional<std::string> text = FileText(path, exists);
  if (!text) {
    if (!exists) return std::nullopt;
    return PolicySetting{"file", /*readable=*/false, {}};
  }
  std::optional<PolicySetting> found;
  for (const auto& [key, values] : ParsePolicyText(*text))
    if (ToLower(key) == ToLower(name)) found = PolicySetting{"file", true, values};
  return found;
}

}  // namespace hw::posix

namespace hw::posix {

std::optional<PolicySetting> PosixOs::ReadPolicySetting(const std::string& name) {
  return ReadPolicyFileSetting(kPolicyFilePath, name);
}

}  // namespace hw::posix
