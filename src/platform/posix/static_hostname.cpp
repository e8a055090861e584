#include "platform/posix/static_hostname.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/posix/files.h"
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

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectory(const std::string& directory) {
  int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
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
  if (DirectoryExists(paths_.systemdRunning)) {
    switch (SetStaticHostnameThroughHostnamed(name)) {
      case HostnamedResult::Set: return 1;
      case HostnamedResult::Refused: return 0;
      case HostnamedResult::Unreachable: break;
    }
  }
  return WriteHostnameFileAtomically(paths_.hostnameFile, name) ? 1 : 0;
}

int PosixOs::SetComputerNameA(const std::string& name) {
  return SetComputerNameExA(kComputerNamePhysicalDnsHostname, name);
}

}  // namespace hw::posix
