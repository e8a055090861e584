#include "platform/posix/static_hostname.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>
#include <vector>

#include "platform/posix/files.h"
#include "platform/posix/hosts_file.h"
#include "platform/posix/posix_os.h"

namespace hw::posix {
namespace {

bool IsValidLabel(std::string_view label) {
  if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
  for (char c : label) {
    bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    if (!allowed) return false;
  }
  return true;
}

// libsystemd's bus functions, bound by name when a name is first set: the
// check that runs at every log-on then never loads libsystemd and the five
// libraries it pulls in. Each pointer has the type of the header's own
// declaration, so a wrong signature fails to compile.
struct SdBus {
  decltype(&::sd_bus_open_system) open_system;
  decltype(&::sd_bus_set_method_call_timeout) set_method_call_timeout;
  decltype(&::sd_bus_call_method) call_method;
  decltype(&::sd_bus_error_has_name) error_has_name;
  decltype(&::sd_bus_error_is_set) error_is_set;
  decltype(&::sd_bus_error_free) error_free;
  decltype(&::sd_bus_flush_close_unref) flush_close_unref;
};

template <typename Function>
bool Bind(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  return function != nullptr;
}

// nullptr when libsystemd or one of its functions is missing.
const SdBus* BoundSdBus() {
  static const std::optional<SdBus> bound = []() -> std::optional<SdBus> {
    void* library = ::dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return std::nullopt;
    SdBus bus{};
    if (!Bind(library, "sd_bus_open_system", bus.open_system) ||
        !Bind(library, "sd_bus_set_method_call_timeout", bus.set_method_call_timeout) ||
        !Bind(library, "sd_bus_call_method", bus.call_method) ||
        !Bind(library, "sd_bus_error_has_name", bus.error_has_name) ||
        !Bind(library, "sd_bus_error_is_set", bus.error_is_set) ||
        !Bind(library, "sd_bus_error_free", bus.error_free) ||
        !Bind(library, "sd_bus_flush_close_unref", bus.flush_close_unref))
      return std::nullopt;
    return bus;  // the library stays loaded for the life of the process
  }();
  return bound ? &*bound : nullptr;
}

// Errors that mean nobody answered on the bus, as opposed to hostnamed
// answering with a refusal.
bool IsUnreachable(const SdBus& sd, const sd_bus_error& error, int result) {
  if (sd.error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN) ||
      sd.error_has_name(&error, SD_BUS_ERROR_NAME_HAS_NO_OWNER) ||
      sd.error_has_name(&error, SD_BUS_ERROR_NO_REPLY) || sd.error_has_name(&error, SD_BUS_ERROR_TIMEOUT) ||
      sd.error_has_name(&error, SD_BUS_ERROR_DISCONNECTED))
    return true;
  return !sd.error_is_set(&error) && (result == -ENOENT || result == -ECONNREFUSED || result == -ETIMEDOUT);
}

// The names the machine's own hosts line may carry: the static name that
// is to be replaced and the running one (they differ after a rename that
// waits for the next start).
std::vector<std::string> NamesBeforeRenaming(const std::string& hostnameFile) {
  std::vector<std::string> names;
  if (auto text = ReadSmallFile(hostnameFile, 256)) {
    std::string first = text->substr(0, text->find('\n'));
    while (!first.empty() && (first.back() == ' ' || first.back() == '\t' || first.back() == '\r')) first.pop_back();
    if (!first.empty() && first.front() != '#') names.push_back(first);
  }
  char running[256] = {};
  if (::gethostname(running, sizeof running - 1) == 0 && running[0]) names.emplace_back(running);
  return names;
}

}  // namespace

bool IsValidStaticHostname(std::string_view name) {
  if (name.empty() || name.size() > 64) return false;
  while (true) {
    std::size_t dot = name.find('.');
    if (!IsValidLabel(name.substr(0, dot))) return false;
    if (dot == std::string_view::npos) return true;
    name.remove_prefix(dot + 1);
  }
}

bool WriteHostnameFileAtomically(const std::string& path, const std::string& name) {
  std::string directory = DirectoryOf(path);
  std::string temporary = directory + "/.hostname.XXXXXX";
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool written = ::fchmod(fd, 0644) == 0 && WriteAll(fd, name + "\n") && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncDirectory(directory);
  return true;
}

HostnamedResult SetStaticHostnameThroughHostnamed(const std::string& name) {
  const SdBus* sd = BoundSdBus();
  if (!sd) return HostnamedResult::Unreachable;  // no libsystemd: no hostnamed to ask either
  sd_bus* bus = nullptr;
  if (sd->open_system(&bus) < 0) return HostnamedResult::Unreachable;
  sd->set_method_call_timeout(bus, 10 * 1000 * 1000);  // microseconds
  sd_bus_error error = SD_BUS_ERROR_NULL;
  int result = sd->call_method(bus, "org.freedesktop.hostname1", "/org/freedesktop/hostname1",
                               "org.freedesktop.hostname1", "SetStaticHostname", &error, nullptr, "sb", name.c_str(),
                               0 /* not interactive: no password prompt */);
  HostnamedResult outcome = result >= 0                          ? HostnamedResult::Set
                            : IsUnreachable(*sd, error, result) ? HostnamedResult::Unreachable
                                                                : HostnamedResult::Refused;
  sd->error_free(&error);
  sd->flush_close_unref(bus);
  return outcome;
}

// Both Windows calls set the one name Linux has. hostnamed, where it runs,
// keeps its own idea of the name in step with the file; elsewhere the file
// is the static host name.
int PosixOs::SetComputerNameExA(int /*nameType*/, const std::string& name) {
  if (!IsValidStaticHostname(name)) return 0;
  const std::vector<std::string> oldNames = NamesBeforeRenaming(paths_.hostnameFile);
  bool set = false;
  if (DirectoryExists(paths_.systemdRunning)) {
    switch (SetStaticHostnameThroughHostnamed(name)) {
      case HostnamedResult::Set: set = true; break;
      case HostnamedResult::Refused: return 0;
      case HostnamedResult::Unreachable: break;
    }
  }
  if (!set) set = WriteHostnameFileAtomically(paths_.hostnameFile, name);
  if (!set) return 0;
  RenameInHostsFile(paths_.hostsFile, oldNames, name, std::cerr);
  return 1;
}

int PosixOs::SetComputerNameA(const std::string& name) {
  return SetComputerNameExA(kComputerNamePhysicalDnsHostname, name);
}

}  // namespace hw::posix
