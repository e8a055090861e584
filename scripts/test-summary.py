#!/usr/bin/env python3
"""The test command's last line: `N passed, N failed, N skipped` over all its
stages, counted from their JUnit files (CTest's, GoogleTest's, the fuzz
stage's). A stage that failed without a failing test in its files (its build
broke, say) counts as one failed test, so the line never hides a failure.

  scripts/test-summary.py --stage NAME STATUS [JUNIT...] [--stage ...]
Exits 1 when anything failed."""
import sys
import xml.etree.ElementTree as ElementTree


def outcome(case):
    if case.find("failure") is not None or case.find("error") is not None:
        return "failed"
    if case.find("skipped") is not None or case.get("result") == "skipped" or case.get("status") == "notrun":
        return "skipped"
    return "passed"


def count(paths):
    counts = {"passed": 0, "failed": 0, "skipped": 0}
    for path in paths:
        try:
            root = ElementTree.parse(path).getroot()
        except (OSError, ElementTree.ParseError):
            continue  # the stage did not get as far as writing it
        for case in root.iter("testcase"):
            counts[outcome(case)] += 1
    return counts


def stages(argv):
    """(name, status, files) for each --stage."""
    found = []
    for item in argv:
        if item == "--stage":
            found.append([None, None, []])
        elif found[-1][0] is None:
            found[-1][0] = item
        elif found[-1][1] is None:
            found[-1][1] = int(item)
        else:
            found[-1][2].append(item)
    return found


def main():
    total = {"passed": 0, "failed": 0, "skipped": 0}
    for name, status, files in stages(sys.argv[1:]):
        counts = count(files)
        if status and not counts["failed"]:
            print(f"stage {name} failed (exit {status}) outside its tests")
            counts["failed"] = 1
        for key in total:
            total[key] += counts[key]
    print(f"{total['passed']} passed, {total['failed']} failed, {total['skipped']} skipped")
    return 1 if total["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
