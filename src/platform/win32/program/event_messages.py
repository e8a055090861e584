#!/usr/bin/env python3
"""Writes the program's message table (the binary form a MESSAGETABLE
resource holds): the text the Event Viewer shows for each event ID that
system_log.h names, %1 to %11 being the entry's values in the order that
system_log.h gives (%12, the entry as one line, is data only).

Usage: event_messages.py OUT.bin"""

import struct
import sys

# The values below each headline, one a line.
DETAILS = ("%n%nErgebnis: %1%nComputername: %2%nDNS-Name: %3%nIP-Adresse: %4%nDNS-Server: %5%n"
           "Grund: %6%nName gesetzt: %7%nR\u00fcckbest\u00e4tigt: %8%nPTR-Namen: %9%nVersion: %10%n"
           "Ignorierte Richtlinien: %11")

# Event ID -> text; IDs as in system_log.h.
MESSAGES = {
    1: "Computername und DNS-Name stimmen \u00fcberein." + DETAILS,
    2: "Der Namensvergleich entf\u00e4llt." + DETAILS,
    3: "Computername und DNS-Name stimmen nicht \u00fcberein." + DETAILS,
    4: "Die Pr\u00fcfung ist fehlgeschlagen." + DETAILS,
    5: "Hostwarden l\u00e4uft bereits; dieser Start pr\u00fcft nichts." + DETAILS,
    6: "Der Computername wurde gesetzt." + DETAILS,
}
UNICODE_ENTRY = 1


def entry(text):
    """MESSAGE_RESOURCE_ENTRY: length, flags, UTF-16 text ended by CR LF and
    NUL, padded to four bytes."""
    body = (text + "\r\n\0").encode("utf-16-le")
    body += b"\0" * (-(4 + len(body)) % 4)
    return struct.pack("<HH", 4 + len(body), UNICODE_ENTRY) + body


def message_table(messages):
    """MESSAGE_RESOURCE_DATA: one block per run of consecutive IDs."""
    ids = sorted(messages)
    runs = []
    for message_id in ids:
        if runs and runs[-1][-1] + 1 == message_id:
            runs[-1].append(message_id)
        else:
            runs.append([message_id])
    offset = 4 + 12 * len(runs)
    blocks, entries = b"", b""
    for run in runs:
        blocks += struct.pack("<III", run[0], run[-1], offset + len(entries))
        entries += b"".join(entry(messages[message_id]) for message_id in run)
    return struct.pack("<I", len(runs)) + blocks + entries


def main():
    with open(sys.argv[1], "wb") as out:
        out.write(message_table(MESSAGES))


if __name__ == "__main__":
    main()
