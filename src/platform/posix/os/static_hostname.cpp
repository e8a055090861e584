#include "platform/posix/os/static_hostname.h"

#include <dlfcn.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>

#include "text/names.h"

namespace hw::posix {
namespace {

bool IsValidLabel(std::string_view label) { return label.size() <= kMaxDnsLabelLength && IsAsciiHostLabel(label); }

// libsystemd's bus functions, bound by name when a name is first set: the
// check that runs at every log-on then never loads libsystemd and the five
// libraries it pulls in. Each pointer has the type of the header's own
// declaration, so a wrong signature fails to compile.
struct SdBus {
  decltype(&::sd_bus_open_system) open_system;
  decltype(&::sd_bus_set_method_call_timeout) set_method_call_timeout;
  decltype(&::sd_bus_call_method) call_method;
  decltype(&::sd_bus_message_new_method_call) new_method_call;
  decltype(&::sd_bus_message_append) message_append;
  decltype(&::sd_bus_message_set_allow_interactive_authorization) set_allow_interactive_authorization;
  decltype(&::sd_bus_call) call;
  decltype(&::sd_bus_message_unref) message_unref;
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
        !Bind(library, "sd_bus_message_new_method_call", bus.new_method_call) ||
        !Bind(library, "sd_bus_message_append", bus.message_append) ||
        !Bind(library, "sd_bus_message_set_allow_interactive_authorization",
              bus.set_allow_interactive_authorization) ||
        !Bind(library, "sd_bus_call", bus.call) || !Bind(library, "sd_bus_message_unref", bus.message_unref) ||
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

// polkit's refusals, as hostnamed passes them on.
bool IsRefusalForRights(const SdBus& sd, const sd_bus_error& error) {
  return sd.error_has_name(&error, SD_BUS_ERROR_ACCESS_DENIED) ||
         sd.error_has_name(&error, SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED) ||
         sd.error_has_name(&error, "org.freedesktop.PolicyKit1.Error.NotAuthorized");
}

// A password typed into the desktop's agent takes the user a while.
constexpr uint64_t kPlainCallMicroseconds = 10ull * 1000 * 1000;
constexpr uint64_t kInteractiveCallMicroseconds = 5ull * 60 * 1000 * 1000;

// The reply to SetStaticHostname or SetHostname; the call's flag
// ALLOW_INTERACTIVE_AUTHORIZATION and its own argument both tell hostnamed
// whether polkit may ask.
int CallSetName(const SdBus& sd, sd_bus* bus, const char* method, const std::string& name, bool interactive,
                sd_bus_error& error) {
  sd_bus_message* call = nullptr;
  int result = sd.new_method_call(bus, &call, "org.freedesktop.hostname1", "/org/freedesktop/hostname1",
                                  "org.freedesktop.hostname1", method);
  if (result >= 0) result = sd.message_append(call, "sb", name.c_str(), static_cast<int>(interactive));
  if (result >= 0) result = sd.set_allow_interactive_authorization(call, interactive);
  if (result >= 0)
    result = sd.call(bus, call, interactive ? kInteractiveCallMicroseconds : kPlainCallMicroseconds, &error, nullptr);
  sd.message_unref(call);
  return result;
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

namespace {

HostnamedResult SetThroughHostnamed(const char* method, const std::string& name, bool interactive) {
  const SdBus* sd = BoundSdBus();
  if (!sd) return HostnamedResult::Unreachable;  // no libsystemd: no hostnamed to ask either
  sd_bus* bus = nullptr;
  if (sd->open_system(&bus) < 0) return HostnamedResult::Unreachable;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  int result = CallSetName(*sd, bus, method, name, interactive, error);
  HostnamedResult outcome = result >= 0                          ? HostnamedResult::Set
                            : IsUnreachable(*sd, error, result) ? HostnamedResult::Unreachable
                            : IsRefusalForRights(*sd, error)    ? HostnamedResult::RefusedForRights
                                                                : HostnamedResult::Refused;
  sd->error_free(&error);
  sd->flush_close_unref(bus);
  return outcome;
}

}  // namespace

HostnamedResult SetStaticHostnameThroughHostnamed(const std::string& name, bool interactive) {
  return SetThroughHostnamed("SetStaticHostname", name, interactive);
}

HostnamedResult SetTransientHostnameThroughHostnamed(const std::string& name, bool interactive) {
  return SetThroughHostnamed("SetHostname", name, interactive);
}

bool HostnamedAnswers() {
  const SdBus* sd = BoundSdBus();
  if (!sd) return false;
  sd_bus* bus = nullptr;
  if (sd->open_system(&bus) < 0) return false;
  sd->set_method_call_timeout(bus, kPlainCallMicroseconds);
  sd_bus_error error = SD_BUS_ERROR_NULL;
  int result = sd->call_method(bus, "org.freedesktop.hostname1", "/org/freedesktop/hostname1",
                               "org.freedesktop.DBus.Peer", "Ping", &error, nullptr, "");
  sd->error_free(&error);
  sd->flush_close_unref(bus);
  return result >= 0;
}

}  // namespace hw::posix
