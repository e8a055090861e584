#!/usr/bin/env python3
"""Makes the Windows installer from hostwarden.wxs with msitools' wixl, then
writes into it what wixl leaves out: EventMessageFile as REG_EXPAND_SZ, the
inclusive upper limit of the upgrade range (so a rebuilt package of the same
version replaces the installed one), the program file's version and
language, and the summary's language, which wixl always makes 1033.

  make_msi.py --wxs FILE --version V --arch x86|x64 --exe NAME --icon NAME
              --help-link URL --contact TEXT --output MSI

Run in the directory that holds the exe, the icon and NOTICES.txt: wixl takes
relative sources only."""

import argparse
import os
import subprocess
import sys
import tempfile
import uuid

LANGUAGE = "1031"


def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)


def export_table(msi, table):
    """The table's lines as msiinfo exports them: three header lines, then rows."""
    done = subprocess.run(["msiinfo", "export", msi, table], check=True, capture_output=True)
    return done.stdout.decode("cp1252").replace("\r\n", "\n").split("\n")


def import_table(msi, table, directory, lines):
    path = os.path.join(directory, f"{table}.idt")
    with open(path, "w", encoding="cp1252", newline="") as idt:
        idt.write("\r\n".join(lines))
    run("msibuild", msi, "-i", path)


def rewrite_rows(msi, table, directory, change):
    """Each data row (after the three header lines) through change(fields)."""
    lines = export_table(msi, table)
    rows = [change(line.split("\t")) if line else None for line in lines[3:]]
    import_table(msi, table, directory, lines[:3] + ["\t".join(row) if row else "" for row in rows])


def finish(msi, version, arch):
    with tempfile.TemporaryDirectory() as directory:
        def older_found(fields):
            # UpgradeCode VersionMin VersionMax Language Attributes Remove ActionProperty
            if fields[6] == "OLDERFOUND":
                fields[4] = str(0x100 | 0x200)  # both limits inclusive
            return fields

        def expandable(fields):
            # Registry Root Key Name Value Component_: "#%" marks REG_EXPAND_SZ
            if fields[3] == "EventMessageFile" and not fields[4].startswith("#%"):
                fields[4] = "#%" + fields[4]
            return fields

        def file_version(fields):
            # File Component_ FileName FileSize Version Language Attributes Sequence
            if fields[0] == "hostwarden.exe":
                fields[4], fields[5] = version, LANGUAGE
            return fields

        rewrite_rows(msi, "Upgrade", directory, older_found)
        rewrite_rows(msi, "Registry", directory, expandable)
        rewrite_rows(msi, "File", directory, file_version)
    # A new package code, as every changed package needs.
    run("msibuild", msi, "-s", "Hostwarden", "Rechenzentrum der Universitaet Falkenau",
        f"{'x64' if arch == 'x64' else 'Intel'};{LANGUAGE}", "{" + str(uuid.uuid4()).upper() + "}")


def main():
    parser = argparse.ArgumentParser()
    for option in ("--wxs", "--version", "--exe", "--icon", "--help-link", "--contact", "--output"):
        parser.add_argument(option, required=True)
    parser.add_argument("--arch", required=True, choices=("x86", "x64"))
    args = parser.parse_args()
    x64 = args.arch == "x64"
    run("wixl", "-a", args.arch, "-D", f"Version={args.version}", "-D", f"Exe={args.exe}", "-D", f"Icon={args.icon}",
        "-D", f"HelpLink={args.help_link}", "-D", f"Contact={args.contact}",
        "-D", f"Win64={'yes' if x64 else 'no'}",
        "-D", f"ProgramFilesDir={'ProgramFiles64Folder' if x64 else 'ProgramFilesFolder'}",
        "-o", args.output, args.wxs)
    finish(args.output, args.version, args.arch)
    return 0


if __name__ == "__main__":
    sys.exit(main())
