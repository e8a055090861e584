"""The program's information options, run for real without a display:
each prints to standard output only and ends with status 0, before any
window or check. --version names the project's version, the one the
Windows version block and manifest are checked against too. Every switch
the program does not know, Windows spellings included, is refused at once
with status 2 and one line naming it: without a display, a window tried
first would show as a display error instead.
Usage: command_line.py --program P --version X.Y.Z.W"""

import argparse
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness import texts  # noqa: E402
from harness.cases import LOCALE_VARIABLES  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--version", required=True, help="the project's version")
    args = parser.parse_args()
    version_line = f"hostwarden {args.version}\n"
    # A German-speaking user, whatever the locale of the machine running this.
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", *LOCALE_VARIABLES)}
    env["LANG"] = "C.UTF-8"
    usage_start = texts.german("Usage").split("[", 1)[0]  # "Aufruf: hostwarden "
    failures = []
    for arguments, wanted in (
            (["--version"], lambda out: out == version_line),
            (["--help"], lambda out: out.startswith(usage_start) and all(
                option in out for option in ("--report", "--json", "--sync", "-Q", "--version"))),
            (["-Q", "--version"], lambda out: out == version_line),
            (["--report", "--help"], lambda out: out.startswith(usage_start))):
        done = subprocess.run([args.program, *arguments], capture_output=True, env=env, timeout=10)
        out = done.stdout.decode("utf-8", "replace")
        if done.returncode != 0 or done.stderr or not wanted(out):
            failures.append(f"{arguments}: status {done.returncode}, out {out!r}, err {done.stderr!r}")
    # A refusal comes before any check; should one ever not, a network of
    # its own keeps its query from leaving this machine.
    isolated = ["unshare", "-n"] if os.geteuid() == 0 and shutil.which("unshare") else []
    for switch in ("/SYNC", "/REPORT", "/JSON", "--REPORT", "-report", "/x", "--foo", "-", "/", "-Sync", "/sync",
                   "--report=json", "/SetComputerName"):
        for arguments in ([switch], ["-Q", switch], [switch, "-Q"]):
            done = subprocess.run([*isolated, args.program, *arguments], capture_output=True, env=env, timeout=10)
            err = done.stderr.decode("utf-8", "replace")
            if (done.returncode, done.stdout, err) != (2, b"", texts.german("UnknownSwitch", switch) + "\n"):
                failures.append(f"{arguments}: status {done.returncode}, out {done.stdout!r}, err {err!r}")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
