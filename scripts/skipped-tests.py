#!/usr/bin/env python3
"""Prints one line for each group of tests that CTest skipped, with the reason
the tests printed ("SKIPPED: ..."), from the JUnit files of ctest runs:
  scripts/skipped-tests.py build/default/ctest-results.xml [more.xml...]"""
import collections
import re
import sys
import xml.etree.ElementTree as ElementTree


def skipped_tests(junit_file):
    """(test name, reason) for each skipped test."""
    for case in ElementTree.parse(junit_file).getroot().iter("testcase"):
        skipped = case.find("skipped")
        if skipped is None:
            continue
        reason = re.search(r"^SKIPPED: (.+)$", case.findtext("system-out") or "", re.M)
        yield case.get("name"), reason.group(1) if reason else skipped.get("message") or "no reason given"


def main():
    groups = collections.defaultdict(list)
    for junit_file in sys.argv[1:]:
        try:
            for name, reason in skipped_tests(junit_file):
                groups[reason].append(name)
        except (OSError, ElementTree.ParseError):
            continue  # no run to report on
    for reason, names in sorted(groups.items()):
        shown = ", ".join(names[:3]) + (", ..." if len(names) > 3 else "")
        print(f"skipped {len(names)} test(s): {reason} ({shown})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
