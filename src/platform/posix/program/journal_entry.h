// The verdict as a journal entry with fields of its own, sent in the
// journal's native protocol: one datagram to its socket, each field
// "NAME=value\n", or, for a value holding a line break, "NAME\n", its
// length as 64-bit little-endian, the value and "\n".
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/verdict_log.h"

namespace hw::posix {

inline constexpr const char* kJournalSocketPath = "/run/systemd/journal/socket";
// Names every verdict entry of this program, whatever the verdict.
inline constexpr std::string_view kVerdictMessageId = "95dbe523b1f64300a148c74551aeb207";

using JournalFields = std::vector<std::pair<std::string, std::string>>;

// MESSAGE, MESSAGE_ID, PRIORITY, SYSLOG_IDENTIFIER and the HOSTWARDEN_ fields.
JournalFields JournalFieldsOf(const report::VerdictEntry& entry, int priority);

// The datagram that carries `fields`.
std::string JournalDatagram(const JournalFields& fields);

// Whether the journal's socket is there, that is, journald runs.
bool JournalRuns(const char* socketPath = kJournalSocketPath);

// Sends the datagram; false when it could not go out.
bool SendToJournal(const std::string& datagram, const char* socketPath = kJournalSocketPath);

}  // namespace hw::posix
