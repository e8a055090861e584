#!/usr/bin/env python3
"""Checks a cross-built hostwarden.exe.

  check_pe.py imports EXE --arch i686|x86_64 --objects DIR --nm NM
      The program binds every operating-system function it calls by name at
      run time: no object file of ours (under DIR) may call one of them
      through the import table, none of them may be in the executable's
      load-time import table (but for those the compiler's own runtime
      imports), no DLL outside the system's own may be imported (no compiler
      runtime DLLs), and the 32-bit binary may need nothing newer than
      Windows XP. The window system (user32, gdi32, comctl32) is bound by name
      too, at the first window or message box, so nothing of it is imported;
      no object of ours uses the stream library (iostreams); and the C++
      library's name demangler, which only its verbose terminate handler
      needs, is not linked, nor its logic_error family, which only its own
      throwing functions need.

  check_pe.py resources EXE --icons DIR --version X.Y.Z.W
      The version block (the project's version X.Y.Z.W, German and English,
      Unicode, its texts from the catalogue, with the text "X.0Y"), the two icons in their order, and a manifest
      Windows will accept that names the same version.
"""

import argparse
import os
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness import texts  # noqa: E402
from pe_image import (MACHINE_AMD64, MACHINE_I386, RT_GROUP_ICON, RT_ICON, RT_MANIFEST, RT_VERSION, PeImage,
                      group_icon_ids, icon_file_images, parse_version_node)

# Every function the program calls, bound by name on first use.
BOUND_AT_RUN_TIME = {
    "GetComputerNameA", "GetComputerNameExA", "GetVersionExA", "SetComputerNameA", "SetComputerNameExA",
    "GetCurrentProcess", "CloseHandle", "lstrlen", "lstrlenA", "RtlMoveMemory",
    "GetUserNameA", "OpenProcessToken", "GetTokenInformation", "AllocateAndInitializeSid",
    "LookupAccountSidA", "FreeSid",
    "WSAStartup", "WSACleanup", "gethostname", "gethostbyname", "WSAGetLastError", "gethostbyaddr",
    "inet_addr",
    "DnsQuery_A", "DnsRecordListFree", "GetNetworkParams", "InternetGetConnectedState", "DllGetVersion",
    "SetDefaultDllDirectories", "SetDllDirectoryW", "NetGetJoinInformation", "NetApiBufferFree",
    "GetModuleFileNameW", "ShellExecuteExW",
    "AttachConsole", "RegisterEventSourceW", "ReportEventW", "DeregisterEventSource",
    "GetUserDefaultUILanguage",
}

# The window system: loaded only for a window or a message box, never when
# the program starts, so a quiet run with nothing to show never loads it.
WINDOW_DLLS = {"user32.dll", "gdi32.dll", "comctl32.dll"}

# What pulls the stream library (and its locale machinery) into the program.
STREAM_SYMBOL = re.compile(r"std::(basic_[io]?stream|basic_[io]?stringstream|basic_ios|ios_base)\b")

# Imported by the compiler's runtime, not by the program: libgcc's thread
# support (gthr-win32, used by the exception and static-initialisation
# machinery) closes its semaphores with CloseHandle. The object check below
# makes sure no code of ours calls it through the import table.
RUNTIME_IMPORTS = {"CloseHandle"}

# DLLs every Windows from XP on has; anything else (Dnsapi, iphlpapi, wsock32,
# the compiler's runtime DLLs) must not be needed to start the program.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll", "advapi32.dll",
               "shell32.dll", "ole32.dll", "comdlg32.dll"}

# Functions a compiler runtime or window code pulls in easily that Windows XP
# lacks; the 32-bit binary must start there.
NEWER_THAN_XP = {
    "GetTickCount64", "InitializeSRWLock", "AcquireSRWLockExclusive", "AcquireSRWLockShared",
    "ReleaseSRWLockExclusive", "ReleaseSRWLockShared", "TryAcquireSRWLockExclusive",
    "InitializeConditionVariable", "SleepConditionVariableCS", "SleepConditionVariableSRW",
    "WakeConditionVariable", "WakeAllConditionVariable", "InitOnceExecuteOnce", "InitOnceBeginInitialize",
    "InitOnceComplete", "FlsAlloc", "FlsFree", "FlsGetValue", "FlsSetValue", "InitializeCriticalSectionEx",
    "CreateEventExW", "CreateMutexExW", "CreateSemaphoreExW", "GetSystemTimePreciseAsFileTime",
    "GetFileInformationByHandleEx", "GetFinalPathNameByHandleW", "CreateSymbolicLinkW", "LCIDToLocaleName",
    "LocaleNameToLCID", "GetLocaleInfoEx", "CompareStringEx", "GetUserDefaultLocaleName",
    "QueryFullProcessImageNameW", "GetCurrentProcessorNumber", "SetDefaultDllDirectories", "AddDllDirectory",
    "SetProcessDPIAware", "SetProcessDpiAwareness", "SetProcessDpiAwarenessContext", "GetDpiForWindow",
    "GetDpiForSystem", "GetDpiForMonitor", "EnableNonClientDpiScaling", "AdjustWindowRectExForDpi",
    "SystemParametersInfoForDpi", "GetSystemMetricsForDpi", "TaskDialog", "TaskDialogIndirect",
    "LoadIconMetric", "LoadIconWithScaleDown", "RegGetValueW", "RegGetValueA",
}

VERSION_ENTRIES = {
    "OriginalFilename": "hostwarden.exe",
    "ProductName": "Hostwarden",
    "InternalName": "hostwarden",
}
# Each string table's language, and where its texts come from.
GERMAN, ENGLISH = 0x0407, 0x0409
UNICODE = 1200
VERSION_TABLES = {"040704B0": texts.german, "040904B0": texts.english}
CATALOGUE_ENTRIES = {"CompanyName": "VersionCompany", "FileDescription": "VersionDescription",
                     "LegalCopyright": "VersionCopyright"}


class Findings:
    def __init__(self):
        self.faults = []

    def expect(self, condition, fault):
        if not condition:
            self.faults.append(fault)

    def report(self, passed):
        for fault in self.faults:
            print("FAULT: " + fault)
        if not self.faults:
            print(passed)
        return 1 if self.faults else 0


def check_imports(image, arch, findings):
    expected_machine = MACHINE_I386 if arch == "i686" else MACHINE_AMD64
    findings.expect(image.machine == expected_machine, "machine %#x, not %#x" % (image.machine, expected_machine))
    findings.expect(image.subsystem == 2, "subsystem %d, not the windows subsystem (2)" % image.subsystem)
    if arch == "i686":
        findings.expect(image.subsystem_version <= (5, 1) and image.os_version <= (5, 1),
                        "needs Windows %d.%d (subsystem) / %d.%d (OS): newer than XP"
                        % (image.subsystem_version + image.os_version))

    imported = {}
    for dll, functions in image.imports().items():
        imported.setdefault(dll.lower(), []).extend(functions)
    for dll, functions in sorted(imported.items()):
        print("%s: %s" % (dll, " ".join(sorted(functions))))

    # The binder itself must be there, or this reader found nothing to judge.
    kernel32 = imported.get("kernel32.dll", [])
    findings.expect("GetProcAddress" in kernel32 and "LoadLibraryExW" in kernel32,
                    "kernel32's GetProcAddress/LoadLibraryExW not imported: the import table was not read")

    for dll, functions in imported.items():
        findings.expect(dll in SYSTEM_DLLS, "imports %s, which is not a system DLL every Windows has" % dll)
        findings.expect(dll not in WINDOW_DLLS, "imports %s at load time: %s" % (dll, " ".join(sorted(functions))))
        for function in functions:
            findings.expect(function not in BOUND_AT_RUN_TIME - RUNTIME_IMPORTS,
                            "%s!%s is imported at load time instead of bound by name" % (dll, function))
            if arch == "i686":
                findings.expect(function not in NEWER_THAN_XP,
                                "%s!%s does not exist on Windows XP" % (dll, function))


# The type name of std::logic_error: where it is in the program, the
# library's own throwing functions came back, and with them its second string
# implementation.
LOGIC_ERROR_TYPE_NAME = b"St11logic_error"

# A text only the C++ library's demangler holds.
DEMANGLER_TEXT = b"typeinfo name for "


def check_no_demangler(data, findings):
    """The program's own terminate handler takes the place of the library's
    verbose one, which alone pulls in the demangler (a tenth of the program)."""
    findings.expect(DEMANGLER_TEXT not in data,
                    "the C++ library's demangler is linked: the verbose terminate handler came back")


def check_no_logic_errors(data, findings):
    """The program's own versions of the library's throwing functions take the
    place of the library's, whose logic_error family holds its messages in a
    second string implementation (a fifth of the program)."""
    findings.expect(LOGIC_ERROR_TYPE_NAME not in data,
                    "the C++ library's logic_error family is linked: its throwing functions came back")


def imported_name(symbol, arch):
    """The function an undefined symbol of an object file names: __imp__F@8 and
    _F@8 (32-bit) or __imp_F and F (64-bit) all name F."""
    if symbol.startswith("__imp_"):
        symbol = symbol[len("__imp_"):]
    if arch == "i686" and symbol.startswith("_"):
        symbol = symbol[1:]
    return re.sub(r"@\d+$", "", symbol)


def check_objects(objects_dir, nm, arch, findings):
    """No object file of ours calls a function it must bind by name, nor
    uses the stream library."""
    objects = []
    for directory, _, files in os.walk(objects_dir):
        objects.extend(os.path.join(directory, name) for name in files if name.endswith(".obj"))
    findings.expect(len(objects) > 0, "no object files under %s: nothing was checked" % objects_dir)
    for path in sorted(objects):
        undefined = subprocess.run([nm, "-u", path], check=True, capture_output=True, text=True).stdout.split()
        for symbol in undefined:
            function = imported_name(symbol, arch)
            findings.expect(function not in BOUND_AT_RUN_TIME,
                            "%s calls %s through the import table (%s) instead of binding it by name"
                            % (os.path.relpath(path, objects_dir), function, symbol))
        demangled = subprocess.run([nm, "-C", path], check=True, capture_output=True, text=True).stdout
        streams = sorted(set(match.group(0) for match in STREAM_SYMBOL.finditer(demangled)))
        findings.expect(not streams, "%s uses the stream library: %s"
                        % (os.path.relpath(path, objects_dir), " ".join(streams)))


def resources_of(image, kind):
    return [(name, language, data) for (rtype, name, language, data) in image.resources() if rtype == kind]


def version_text(version):
    """The version as the text entries show it: 1.2.0.0 is "1.02"."""
    return "%d.%02d" % version[:2]


def check_version(image, expected_version, findings):
    versions = resources_of(image, RT_VERSION)
    findings.expect(len(versions) == 1, "%d version resources, not one" % len(versions))
    if not versions:
        return
    _, language, data = versions[0]
    findings.expect(language == GERMAN, "version resource in language %#x, not German" % language)
    key, fixed, children, _ = parse_version_node(data)
    findings.expect(key == "VS_VERSION_INFO", "version resource key %r" % key)
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed, 0)
    findings.expect(signature == 0xFEEF04BD, "no VS_FIXEDFILEINFO")
    for what, ms, ls in (("file", file_ms, file_ls), ("product", product_ms, product_ls)):
        version = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        findings.expect(version == expected_version, "%s version %d.%d.%d.%d, not %s"
                        % ((what,) + version + (".".join(map(str, expected_version)),)))

    blocks = {name: (value, grandchildren) for name, value, grandchildren in children}
    tables = blocks.get("StringFileInfo", (None, []))[1]
    findings.expect([name.upper() for name, _, _ in tables] == list(VERSION_TABLES),
                    "string tables %r, not %r" % ([name for name, _, _ in tables], list(VERSION_TABLES)))
    for table, _, table_strings in tables:
        language = VERSION_TABLES.get(table.upper())
        if not language:
            continue
        strings = {name: value for name, value, _ in table_strings}
        entries = dict(VERSION_ENTRIES, FileVersion=version_text(expected_version),
                       ProductVersion=version_text(expected_version),
                       **{name: language(text) for name, text in CATALOGUE_ENTRIES.items()})
        for name, expected in entries.items():
            findings.expect(strings.get(name) == expected,
                            "%s %s is %r, not %r" % (table, name, strings.get(name), expected))

    variables = {name: value for name, value, _ in blocks.get("VarFileInfo", (None, []))[1]}
    translation = variables.get("Translation", b"")
    pairs = [tuple(struct.unpack_from("<HH", translation, i)) for i in range(0, len(translation), 4)]
    findings.expect(pairs == [(GERMAN, UNICODE), (ENGLISH, UNICODE)],
                    "Translation %r, not [(0x0407, 1200), (0x0409, 1200)]" % pairs)


def check_icons(image, icons_dir, findings):
    groups = resources_of(image, RT_GROUP_ICON)
    singles = {name: data for name, _, data in resources_of(image, RT_ICON)}
    names = [name for name, _, _ in groups]
    # Explorer shows the first icon group of the directory: the application's.
    findings.expect(names[:2] == [1, 2], "icon groups %r: the application icon (1) must come first, then 2" % names)
    for (name, _, data), file_name in zip(groups, ("hostwarden.ico", "warning.ico")):
        with open("%s/%s" % (icons_dir, file_name), "rb") as icon_file:
            expected = icon_file_images(icon_file.read())
        built = [singles.get(ident) for ident in group_icon_ids(data)]
        findings.expect(built == expected, "icon group %r does not hold the images of %s" % (name, file_name))


def check_manifest(image, expected_version, findings):
    manifests = resources_of(image, RT_MANIFEST)
    findings.expect([name for name, _, _ in manifests] == [1], "manifest resources %r, not one with id 1"
                    % [name for name, _, _ in manifests])
    if not manifests:
        return
    try:
        root = ElementTree.fromstring(manifests[0][2])
    except ElementTree.ParseError as error:
        findings.expect(False, "the manifest is not well-formed XML (Windows refuses to start the program): %s"
                        % error)
        return

    def all_named(local):
        return [element for element in root.iter() if element.tag.rsplit("}", 1)[-1] == local]

    identities = [element.attrib for element in all_named("assemblyIdentity")]
    findings.expect(any(identity.get("name") == "Microsoft.Windows.Common-Controls"
                        and identity.get("version") == "6.0.0.0" for identity in identities),
                    "no dependency on Common Controls 6")
    own = [identity.get("version") for identity in identities if identity.get("name") == "UniFalkenau.Hostwarden"]
    expected_text = ".".join(map(str, expected_version))
    findings.expect(own == [expected_text], "the manifest names the program's version %r, not %s" % (own, expected_text))
    levels = [element.get("level") for element in all_named("requestedExecutionLevel")]
    findings.expect(levels == ["asInvoker"], "execution level %r, not asInvoker" % levels)
    dpi = [element.text for element in all_named("dpiAware")]
    findings.expect([text.strip().lower() for text in dpi if text] == ["true/pm"], "dpiAware %r, not true/pm" % dpi)
    findings.expect(len(all_named("supportedOS")) >= 5, "supportedOS entries missing (Vista to 10)")


RT_MESSAGETABLE = 11
# The event IDs of the event log (src/platform/win32/program/system_log.h): the Event
# Viewer shows the program's text for each, with the entry's values as %1 to
# %11 (%12, the entry as one line, is data only).
EVENT_IDS = (1, 2, 3, 4, 5, 6)
SHOWN_STRINGS = 11


def message_table_texts(data):
    """{id: text} of a MESSAGE_RESOURCE_DATA block."""
    texts = {}
    (blocks,) = struct.unpack_from("<I", data, 0)
    for block in range(blocks):
        low, high, offset = struct.unpack_from("<III", data, 4 + 12 * block)
        for message_id in range(low, high + 1):
            length, flags = struct.unpack_from("<HH", data, offset)
            body = data[offset + 4:offset + length]
            text = body.decode("utf-16-le") if flags & 1 else body.decode("latin-1")
            texts[message_id] = text.split("\0")[0]
            offset += length
    return texts


def check_message_table(image, findings):
    tables = resources_of(image, RT_MESSAGETABLE)
    findings.expect(len(tables) == 1, "%d message tables, not 1" % len(tables))
    if len(tables) != 1:
        return
    texts = message_table_texts(tables[0][2])
    findings.expect(sorted(texts) == list(EVENT_IDS), "message IDs %s, not %s" % (sorted(texts), EVENT_IDS))
    for message_id, text in texts.items():
        missing = [n for n in range(1, SHOWN_STRINGS + 1) if not re.search("%%%d(?![0-9])" % n, text)]
        findings.expect(not missing, "message %d does not show the values %s: %r" % (message_id, missing, text))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("check", choices=("imports", "resources"))
    parser.add_argument("exe")
    parser.add_argument("--arch", choices=("i686", "x86_64"), default="i686")
    parser.add_argument("--icons")
    parser.add_argument("--objects", help="the directory of the object files of our own code")
    parser.add_argument("--nm", help="the cross toolchain's nm")
    parser.add_argument("--version", help="the project's version, X.Y.Z.W")
    arguments = parser.parse_args()
    with open(arguments.exe, "rb") as exe:
        data = exe.read()
    image = PeImage(data)
    findings = Findings()
    if arguments.check == "imports":
        check_imports(image, arguments.arch, findings)
        check_no_demangler(data, findings)
        check_no_logic_errors(data, findings)
        if not (arguments.objects and arguments.nm):
            parser.error("imports needs --objects and --nm")
        check_objects(arguments.objects, arguments.nm, arguments.arch, findings)
        return findings.report("imports: only system DLLs, nothing the program binds by name")
    if not arguments.version or not re.fullmatch(r"\d+\.\d+\.\d+\.\d+", arguments.version):
        parser.error("resources needs --version X.Y.Z.W")
    expected_version = tuple(int(part) for part in arguments.version.split("."))
    check_version(image, expected_version, findings)
    check_icons(image, arguments.icons, findings)
    check_manifest(image, expected_version, findings)
    check_message_table(image, findings)
    return findings.report("resources: version %s (German and English, Unicode), both icons in order, manifest, message table"
                           % arguments.version)


if __name__ == "__main__":
    sys.exit(main())
