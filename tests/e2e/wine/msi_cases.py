#!/usr/bin/env python3
"""The Windows Installer package and its signing under Wine: installing,
replacing and removing the package, and signing the program and the package
as the build does. The same command line and entry points as wine_e2e.py,
whose machinery (prefix, namespaces, host) these cases share.

  msi_cases.py list --arch ARCH
  msi_cases.py run CASE --arch ARCH --prefix DIR --exe FILE --hwauto FILE --artifacts DIR
"""

import glob
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine_e2e  # noqa: E402
import wine_host  # noqa: E402
from wine_e2e import CAMPUS, MISMATCH_NAME, WIN10, run_script, windows_path  # noqa: E402


RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
EVENT_SOURCE_KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Hostwarden"


SOURCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")
MAKE_MSI = os.path.join(SOURCE_DIR, "resources", "windows", "make_msi.py")
HELP_LINK = "https://www." + CAMPUS + "/"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"


def installer_beside(exe):
    """The newest hostwarden-VERSION-ARCH.msi of the build that made `exe`."""
    build_dir = os.path.abspath(os.path.join(os.path.dirname(exe), "..", "..", ".."))
    found = glob.glob(os.path.join(build_dir, "hostwarden-*.msi"))
    return max(found, key=os.path.getmtime) if found else None


def installed_files(host):
    drive_c = os.path.join(host.env["WINEPREFIX"], "drive_c")
    found = []
    for directory, _, files in os.walk(drive_c):
        found += [os.path.relpath(os.path.join(directory, name), drive_c) for name in files
                  if name.lower().startswith(("hostwarden", "notices"))]
    return sorted(found)


def package_files(host, exe, name):
    """A copy of what the build made the MSI from (the stripped program, its
    icon, NOTICES.txt), in the case's own directory."""
    copy = os.path.join(host.work, name)
    shutil.copytree(os.path.join(os.path.dirname(exe), "msi"), copy)
    return copy


def make_package(host, files, msi, version):
    """Another package from the same files, as the build makes it: a product
    code of its own, the same upgrade code."""
    output = os.path.join(host.work, f"hostwarden-{version}-{os.path.basename(files)}.msi")
    subprocess.run([sys.executable, MAKE_MSI, "--wxs", os.path.join(SOURCE_DIR, "resources", "windows", "hostwarden.wxs"),
                    "--version", version, "--arch", "x64" if msi.endswith("-x64.msi") else "x86",
                    "--exe", "hostwarden.exe", "--icon", "hostwarden.ico", "--help-link", HELP_LINK,
                    "--contact", "rechenzentrum@" + CAMPUS, "--output", output],
                   cwd=files, check=True, capture_output=True, timeout=120)
    return output


def uninstall_entries(host):
    """{product code: {value name: (type, data)}} of every uninstall entry named Hostwarden."""
    out = run_script(host, "reg", "query", UNINSTALL_KEY, "/s")[1]
    entries, key = {}, None
    for line in out.splitlines():
        if line.startswith("HKEY_"):
            key = line.rsplit("\\", 1)[-1]
            entries[key] = {}
            continue
        fields = line.split(None, 2)
        if key and len(fields) >= 2 and fields[1].startswith("REG_"):
            entries[key][fields[0]] = (fields[1], fields[2] if len(fields) > 2 else "")
    return {code: values for code, values in entries.items() if values.get("DisplayName", ("", ""))[1] == "Hostwarden"}


def check_one_entry(f, host, version, step):
    """Exactly one entry in "Programs and Features", with its link, contact,
    icon and neither change nor repair; its product code."""
    entries = uninstall_entries(host)
    f.equal(len(entries), 1, f"uninstall entries after {step}: {entries}")
    if len(entries) != 1:
        return None
    code, values = next(iter(entries.items()))
    wanted = {"DisplayVersion": version, "HelpLink": HELP_LINK, "URLInfoAbout": HELP_LINK,
              "Contact": "rechenzentrum@" + CAMPUS, "NoModify": "0x1", "NoRepair": "0x1"}
    for name, data in wanted.items():
        f.equal(values.get(name, ("", None))[1], data, f"{name} of the entry after {step}")
    # The entry's icon is the product's, which Windows Installer keeps with
    # the product it published (ARPPRODUCTICON).
    products = run_script(host, "reg", "query", r"HKLM\Software\Classes\Installer\Products", "/s")[1]
    icons = re.findall(r"ProductIcon\s+REG_SZ\s+(\S.*hostwarden\.ico)", products, re.IGNORECASE)
    f.equal(len(icons), 1, f"the product's icon after {step}: {products[-600:]!r}")
    drive_c = os.path.join(host.env["WINEPREFIX"], "drive_c")
    for icon in icons:
        f.check(os.path.exists(os.path.join(drive_c, icon.strip()[3:].replace("\\", "/"))), f"{icon} is missing")
    return code


def msi_rows(msi, table):
    out = subprocess.run(["msiinfo", "export", msi, table], check=True, capture_output=True, text=True).stdout
    return [line.split("\t") for line in out.splitlines()[3:] if line]


def check_tables(f, msi):
    """What msiexec does not show: the shortcut's target is the program, not
    the feature (not advertised); the program file has its version; one
    language; component GUIDs of this architecture only."""
    shortcut = msi_rows(msi, "Shortcut")
    f.equal([row[4] for row in shortcut], ["[#hostwarden.exe]"], "the shortcut's target")
    program = [row for row in msi_rows(msi, "File") if row[0] == "hostwarden.exe"]
    version = re.match(r"hostwarden-([\d.]+)-", os.path.basename(msi)).group(1)
    f.equal([row[4:6] for row in program], [[version, "1031"]], "the program file's version and language")
    summary = subprocess.run(["msiinfo", "suminfo", msi], check=True, capture_output=True, text=True).stdout
    f.check(re.search(r"^Template: (Intel|x64);1031$", summary, re.MULTILINE), f"the summary's language: {summary}")
    guids = {row[0]: row[1] for row in msi_rows(msi, "Component")}
    x64 = msi.endswith("-x64.msi")
    f.check("{2C7E9A41-5B3D-4E8F-A106-3F2D9B7C8E15}" not in guids.values() or not x64,
            f"the x64 package uses the x86 package's component GUIDs: {guids}")


def pe_section_names(path):
    """The sections' names; a long one ("/4") is read from the COFF string table."""
    with open(path, "rb") as image:
        data = image.read()
    pe = int.from_bytes(data[0x3C:0x40], "little")
    count = int.from_bytes(data[pe + 6:pe + 8], "little")
    strings = int.from_bytes(data[pe + 12:pe + 16], "little") + 18 * int.from_bytes(data[pe + 16:pe + 20], "little")
    table = pe + 24 + int.from_bytes(data[pe + 20:pe + 22], "little")
    names = []
    for i in range(count):
        name = data[table + 40 * i:table + 40 * i + 8].rstrip(b"\0").decode("latin-1")
        if name.startswith("/") and name[1:].isdigit():
            start = strings + int(name[1:])
            name = data[start:data.index(b"\0", start)].decode("latin-1")
        names.append(name)
    return names


def check_shortcut(f, host):
    """The Start-menu shortcut starts the program itself (not advertised: no
    installer descriptor) and shows an icon that exists."""
    drive_c = os.path.join(host.env["WINEPREFIX"], "drive_c")
    links = glob.glob(os.path.join(drive_c, "**", "Start Menu", "Programs", "Hostwarden.lnk"), recursive=True)
    f.equal(len(links), 1, f"the Start-menu shortcut: {links}")
    if not links:
        return
    with open(links[0], "rb") as link:
        data = link.read()
    text = data.decode("latin-1") + data.decode("utf-16-le", "replace")
    f.check("Program Files\\Hostwarden\\hostwarden.exe" in text, "the shortcut does not name the program")
    icons = re.findall(r"[A-Za-z]:\\[^\x00]*?hostwarden\.ico", text, re.IGNORECASE)
    f.check(icons, "the shortcut has no icon")
    for icon in icons[:1]:
        f.check(os.path.exists(os.path.join(drive_c, icon[3:].replace("\\", "/"))), f"the icon {icon} exists")


def case_msi_install(host, auto, exe, f, mode):
    """msiexec /i … /qn: the stripped program in Program Files\Hostwarden, its
    shortcut, the quiet check in HKLM Run and the event source; the installed
    program runs. The same version rebuilt, then a newer one, each replace
    the installed package, leaving one entry; msiexec /x takes all away."""
    msi = installer_beside(exe)
    if not msi:
        f.check(False, "no installer beside the program (is msitools' wixl installed?)")
        return
    check_tables(f, msi)
    code, _, err = run_script(host, "msiexec", "/i", windows_path(msi), "/qn")
    f.equal(code, 0, f"msiexec /i exit status ({err[-300:]!r})")
    files = installed_files(host)
    program = os.path.join("Program Files", "Hostwarden", "hostwarden.exe")
    f.check(program in files, f"the program: {files}")
    f.check(os.path.join("Program Files", "Hostwarden", "NOTICES.txt") in files, f"the notices: {files}")
    if program in files:
        sections = pe_section_names(os.path.join(host.env["WINEPREFIX"], "drive_c", program))
        f.check(not any(name.startswith(".debug") for name in sections), f"not stripped: {sections}")
    check_shortcut(f, host)
    version = re.match(r"hostwarden-([\d.]+)-", os.path.basename(msi)).group(1)  # the project's version
    first = check_one_entry(f, host, version, "installing")
    run_value = run_script(host, "reg", "query", RUN_KEY, "/v", "Hostwarden")[1]
    f.check('"C:\\Program Files\\Hostwarden\\hostwarden.exe" /Q' in run_value, f"the Run value: {run_value!r}")
    source = run_script(host, "reg", "query", EVENT_SOURCE_KEY)[1]
    f.check(re.search(r"EventMessageFile\s+REG_EXPAND_SZ\s+C:\\Program Files\\Hostwarden\\hostwarden\.exe", source)
            and "0x7" in source, f"the event source: {source!r}")
    code, out, _ = run_script(host, r"C:\Program Files\Hostwarden\hostwarden.exe", "/report", "/json")
    f.equal(code, 1, f"the installed program's report on a mismatch ({out[:200]!r})")

    files_copy = package_files(host, exe, "rebuilt")
    for step, package_version in (("the same version rebuilt", version), ("a newer version", "9.9.9.0")):
        package = make_package(host, files_copy, msi, package_version)
        code, _, err = run_script(host, "msiexec", "/i", windows_path(package), "/qn")
        f.equal(code, 0, f"msiexec /i of {step} ({err[-300:]!r})")
        product = check_one_entry(f, host, package_version, step)
        f.check(product != first, f"{step} has the product code of the one before ({product})")
        first = product
        check_shortcut(f, host)

    # An older package does not replace a newer one: msiexec stops, the entry stays.
    code, _, _ = run_script(host, "msiexec", "/i", windows_path(msi), "/qn")
    f.equal(code, 1603 % 256, "msiexec /i of an older package over a newer one (1603; Linux keeps its low byte)")
    check_one_entry(f, host, "9.9.9.0", "an older package refused")

    code, _, err = run_script(host, "msiexec", "/x", windows_path(package), "/qn")
    f.equal(code, 0, f"msiexec /x exit status ({err[-300:]!r})")
    f.equal(installed_files(host), [], "files left after removing")
    f.equal(uninstall_entries(host), {}, "uninstall entries after removing")
    for query in ((RUN_KEY, "/v", "Hostwarden"), (EVENT_SOURCE_KEY,)):
        code, out, _ = run_script(host, "reg", "query", *query)
        f.check(code != 0, f"{query} is still in the registry: {out!r}")


def verify_signature(path, certificate):
    done = subprocess.run(["osslsigncode", "verify", "-CAfile", certificate, "-in", path], capture_output=True,
                          text=True, timeout=60)
    return done.returncode, done.stdout + done.stderr


def case_msi_signed(host, auto, exe, f, mode):
    """Signing as the build does it (cmake/signing.cmake), with a throw-away
    certificate: nothing without one; the program, then the MSI made from it,
    both verified; the installed program carries the signature."""
    msi = installer_beside(exe)
    if not msi:
        f.check(False, "no installer beside the program (is msitools' wixl installed?)")
        return
    key, certificate = os.path.join(host.work, "key.pem"), os.path.join(host.work, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", certificate,
                    "-days", "2", "-subj", "/CN=Hostwarden Test Signing", "-addext", "extendedKeyUsage=codeSigning"],
                   check=True, capture_output=True, timeout=60)
    files = package_files(host, exe, "signed")
    program = os.path.join(files, "hostwarden.exe")
    code, said = verify_signature(program, certificate)
    f.check(code != 0, f"the unsigned build verifies: {said}")

    # The command the build runs, made by the build's own function from the
    # cache variables (none set: no command, nothing signed).
    script = os.path.join(host.work, "sign.cmake")
    with open(script, "w") as text:
        text.write(f'include("{os.path.abspath(SOURCE_DIR)}/cmake/signing.cmake")\n'
                   'hostwarden_sign_command(command "${TO_SIGN}")\n'
                   'if(NOT HOSTWARDEN_SIGN_CERT AND command)\n'
                   '  message(FATAL_ERROR "a signing command without a certificate: ${command}")\n'
                   'endif()\n'
                   'if(command)\n'
                   '  execute_process(COMMAND ${command} COMMAND_ERROR_IS_FATAL ANY)\n'
                   'endif()\n')

    def sign(path, *variables):
        done = subprocess.run(["cmake", f"-DTO_SIGN={path}", *variables, "-P", script], capture_output=True, text=True,
                              timeout=120)
        f.equal(done.returncode, 0, f"signing {os.path.basename(path)}: {done.stdout}{done.stderr}")

    unchanged = open(program, "rb").read()
    sign(program)
    f.check(open(program, "rb").read() == unchanged, "the program changed without a certificate")

    credentials = (f"-DHOSTWARDEN_SIGN_CERT={certificate}", f"-DHOSTWARDEN_SIGN_KEY={key}",
                   f"-DHOSTWARDEN_HELP_URL={HELP_LINK}")
    sign(program, *credentials)
    package = make_package(host, files, msi, "9.9.9.0")
    sign(package, *credentials)
    for path in (program, package):
        code, said = verify_signature(path, certificate)
        f.equal(code, 0, f"osslsigncode verify {os.path.basename(path)}: {said[-400:]}")
    code, _, err = run_script(host, "msiexec", "/i", windows_path(package), "/qn")
    f.equal(code, 0, f"msiexec /i of the signed package ({err[-300:]!r})")
    installed = os.path.join(host.env["WINEPREFIX"], "drive_c", "Program Files", "Hostwarden", "hostwarden.exe")
    code, said = verify_signature(installed, certificate)
    f.equal(code, 0, f"the installed program's signature: {said[-400:]}")


CASES = {
    "msi_install_win10": (case_msi_install, WIN10, wine_host.Dns.confirmed(MISMATCH_NAME)),
    "msi_signed_win10": (case_msi_signed, WIN10, wine_host.Dns.confirmed(MISMATCH_NAME)),
}


if __name__ == "__main__":
    sys.exit(wine_e2e.main(CASES))
