#!/usr/bin/env python3
"""The README's Windows event queries: the Event Forwarding subscription
query is well-formed XML that selects the program's source and the event ID
of a mismatch (system_log.h), and the wevtutil queries use the same source.
Wine has no event log to run them against; this is as far as they can be
checked here. Usage: check_event_queries.py SOURCE_DIR"""

import os
import re
import sys
import xml.etree.ElementTree as ElementTree


def main():
    source = sys.argv[1]
    with open(os.path.join(source, "README.md"), encoding="utf-8") as f:
        readme = f.read()
    with open(os.path.join(source, "src/platform/win32/program/system_log.h"), encoding="utf-8") as f:
        mismatch = re.search(r"kEventMismatch = (\d+);", f.read()).group(1)
    failures = []
    block = re.search(r"^( *)<QueryList>\n.*?^\1</QueryList>", readme, re.M | re.S)
    if not block:
        failures.append("no <QueryList> in the README")
    else:
        query = ElementTree.fromstring("\n".join(line[len(block.group(1)):] for line in block.group(0).splitlines()))
        selects = [select.text for select in query.iter("Select")]
        wanted = f"*[System[Provider[@Name='Hostwarden'] and EventID={mismatch}]]"
        if selects != [wanted]:
            failures.append(f"the subscription selects {selects}, not {wanted!r}")
        if any(select.get("Path") != "Application" for select in query.iter("Select")):
            failures.append("the subscription reads another log than Application")
    for line in re.findall(r"^ *wevtutil qe .*$", readme, re.M):
        if "Application" not in line or "Provider[@Name='Hostwarden']" not in line:
            failures.append(f"a wevtutil query of another log or source: {line.strip()}")
    for message in failures:
        print("FAIL:", message)
    print("event queries: " + ("failed" if failures else f"the subscription selects event {mismatch}"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
