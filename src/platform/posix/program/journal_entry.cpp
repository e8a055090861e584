#include "platform/posix/program/journal_entry.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "report/vocabulary.h"

namespace hw::posix {

JournalFields JournalFieldsOf(const report::VerdictEntry& entry, int priority) {
  JournalFields fields = {
      {"MESSAGE", report::VerdictLogText(entry)},
      {"MESSAGE_ID", std::string(kVerdictMessageId)},
      {"PRIORITY", std::to_string(priority)},
      {"SYSLOG_FACILITY", "1"},  // user, as the syslog entry has it
      {"SYSLOG_IDENTIFIER", "hostwarden"},
      {"SYSLOG_PID", std::to_string(getpid())},
      {"HOSTWARDEN_VERDICT", std::string(report::VerdictName(entry.verdict))},
      {"HOSTWARDEN_COMPUTER_NAME", entry.computerName},
      {"HOSTWARDEN_DNS_NAME", entry.dnsName},
      {"HOSTWARDEN_ADDRESS", entry.address},
      {"HOSTWARDEN_DNS_SERVER", entry.dnsServer},
      {"HOSTWARDEN_REASON", entry.reason},
      {"HOSTWARDEN_NAME_SET", std::string(report::NameSetValue(entry))},
      {"HOSTWARDEN_FORWARD_CONFIRMED", report::ForwardConfirmedValue(entry)},
      {"HOSTWARDEN_VERSION", entry.version},
      {"HOSTWARDEN_INVALID_POLICY", report::InvalidPolicyValue(entry)},
  };
  // The journal keeps a field given several times as several values.
  for (const auto& name : entry.ptrNames) fields.emplace_back("HOSTWARDEN_PTR_NAME", name);
  fields.emplace_back("HOSTWARDEN_PTR_NAME_COUNT", std::to_string(entry.ptrNameCount));
  if (!entry.newName.empty()) fields.emplace_back("HOSTWARDEN_NEW_NAME", entry.newName);
  return fields;
}

std::string JournalDatagram(const JournalFields& fields) {
  std::string datagram;
  for (const auto& [name, value] : fields) {
    if (value.find('\n') == std::string::npos) {
      datagram += name + "=" + value + "\n";
      continue;
    }
    // A value with a line break goes with its length, so it cannot end the field early.
    datagram += name + "\n";
    uint64_t length = value.size();
    for (int i = 0; i < 8; ++i) datagram += static_cast<char>((length >> (8 * i)) & 0xFF);
    datagram += value + "\n";
  }
  return datagram;
}

bool JournalRuns(const char* socketPath) {
  struct stat info {};
  return stat(socketPath, &info) == 0 && S_ISSOCK(info.st_mode);
}

bool SendToJournal(const std::string& datagram, const char* socketPath) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (std::strlen(socketPath) >= sizeof address.sun_path) return false;
  std::strcpy(address.sun_path, socketPath);
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // Never wait for a journal that is behind: the check's outcome is out already.
  ssize_t sent = sendto(fd, datagram.data(), datagram.size(), MSG_NOSIGNAL | MSG_DONTWAIT,
                        reinterpret_cast<const sockaddr*>(&address), sizeof address);
  close(fd);
  return sent == static_cast<ssize_t>(datagram.size());
}

}  // namespace hw::posix
