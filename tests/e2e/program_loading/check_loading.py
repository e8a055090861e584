"""Checks, from the ELF files alone, that the program starts without the
window toolkit, X11 and libsystemd, and that the window module it loads
instead carries them and exports the entries the program looks up. Nothing
is run. With --static-cxx the program must also carry its own C++ library
rather than resolve the shared one's symbols at every start.
Usage: check_loading.py --program P --module M [--static-cxx]"""

import argparse
import os
import re
import subprocess
import sys

AT_START_FORBIDDEN = re.compile(r"^lib(gtk-3|gdk-3|gdk_pixbuf|glib|gobject|gio|atk|cairo|pango|wayland|X11|Xft|Xext|"
                                r"fontconfig|freetype|systemd|gcrypt)\b")
MODULE_ENTRIES = ("hostwarden_run_window_mode", "hostwarden_show_message_box", "hostwarden_continue_quiet_mode",
                  "hostwarden_open_screen")


def needed(path):
    """The libraries an ELF file names as NEEDED."""
    out = subprocess.run(["readelf", "-d", path], capture_output=True, text=True, check=True).stdout
    return re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", out)


def exported_functions(path):
    out = subprocess.run(["readelf", "--dyn-syms", "-W", path], capture_output=True, text=True, check=True).stdout
    names = []
    for line in out.splitlines():
        fields = line.split()
        if len(fields) >= 8 and fields[3] == "FUNC" and fields[4] == "GLOBAL" and fields[6] != "UND":
            names.append(fields[7])
    return names


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--module", required=True)
    parser.add_argument("--static-cxx", action="store_true")
    args = parser.parse_args()
    failures = []

    at_start = needed(args.program)
    loaded = [library for library in at_start if AT_START_FORBIDDEN.match(library)]
    if loaded:
        failures.append(f"the program loads {loaded} at start")
    if args.static_cxx and any(library.startswith("libstdc++") for library in at_start):
        failures.append("the program loads the shared C++ library at start")
    if os.path.dirname(os.path.abspath(args.module)) != os.path.dirname(os.path.abspath(args.program)):
        failures.append("the window module is not built beside the program, where the program looks first")
    if not any(library.startswith("libgtk-3") for library in needed(args.module)):
        failures.append(f"the window module does not carry GTK: {needed(args.module)}")
    missing = [entry for entry in MODULE_ENTRIES if entry not in exported_functions(args.module)]
    if missing:
        failures.append(f"the window module does not export {missing}")

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("the program starts with", ", ".join(at_start))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
