#include "platform/posix/os/pkexec_copy.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/os/posix_os.h"
#include "platform/posix/os/static_hostname.h"
#include "sync/elevated_copy.h"
#include "text/text.h"

namespace hw::posix {
namespace {

constexpr std::string_view kDnsNameSwitch = "/DnsName:";
constexpr int kPkexecDismissed = 126;
constexpr int kPkexecNotAuthorized = 127;

// The running program's own file, as the kernel names it: never a path the
// user could have put in front of it.
std::string OwnProgram() {
  char path[4096];
  ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return "";
  return std::string(path, static_cast<std::size_t>(length));
}

// pkexec's exit status, -1 when it could not be started or waited for.
// Standard input is /dev/null, so that pkexec never falls back to asking
// on a terminal; the environment is empty.
int RunAndWait(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const auto& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  char* noEnvironment[] = {nullptr};
  posix_spawn_file_actions_t files;
  if (posix_spawn_file_actions_init(&files) != 0) return -1;
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t child = 0;
  int started = posix_spawn(&child, argv[0], &files, nullptr, argv.data(), noEnvironment);
  posix_spawn_file_actions_destroy(&files);
  if (started != 0) return -1;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string DnsNameArgument(const std::string& dnsName) { return std::string(kDnsNameSwitch) + dnsName; }

std::optional<std::string> DnsNameFromArgument(std::string_view argument, std::string_view shortName) {
  if (argument.substr(0, kDnsNameSwitch.size()) != kDnsNameSwitch) return std::nullopt;
  std::string_view name = argument.substr(kDnsNameSwitch.size());
  std::size_t dot = name.find('.');
  if (dot == std::string_view::npos || !EqualsIgnoringAsciiCase(name.substr(0, dot), shortName)) return std::nullopt;
  if (!IsValidStaticHostname(name)) return std::nullopt;
  return std::string(name);
}

std::vector<std::string> PkexecCommand(const std::string& program, const std::string& shortName,
                                       const std::string& dnsName) {
  std::vector<std::string> command = {kPkexec, program, ElevatedCopyArguments(shortName)};
  std::string trimmed = dnsName;
  while (!trimmed.empty() && trimmed.back() == '.') trimmed.pop_back();  // the root's dot
  if (DnsNameFromArgument(DnsNameArgument(trimmed), shortName)) command.push_back(DnsNameArgument(trimmed));
  return command;
}

std::optional<ElevatedCopyEnd> CopyEndOfPkexecStatus(int status) {
  if (status < 0 || status == kPkexecDismissed || status == kPkexecNotAuthorized) return std::nullopt;
  return status == 0 ? ElevatedCopyEnd::NameSet : ElevatedCopyEnd::NameNotSet;
}

// The core asks for "runas" with this program and the copy's switch; the
// name is checked again here, and the program is the one the kernel says
// is running.
int PosixOs::ShellExecuteExW(ShellExecuteInfo& info) {
  lastCopyEnd_ = ElevatedCopyEnd::ShowsItsOwnMessage;
  if (info.lpVerb != "runas") return 0;
  const auto name = ElevatedCopyName(info.lpParameters);
  const std::string program = OwnProgram();
  if (!name || !IsValidComputerName(*name) || program.empty() || info.lpFile != program) return 0;
  const auto end = CopyEndOfPkexecStatus(RunAndWait(PkexecCommand(program, *name, info.dnsName)));
  if (!end) return 0;
  lastCopyEnd_ = *end;
  return 1;
}

}  // namespace hw::posix
