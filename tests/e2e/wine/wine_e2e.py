#!/usr/bin/env python3
"""End-to-end tests of hostwarden.exe under Wine, driven by hwauto.exe.

  wine_e2e.py list --arch ARCH
      the cases the ARCH (i686 or x86_64) program runs.
  wine_e2e.py prepare --arch ARCH --prefix DIR [--build-dir DIR --source-dir DIR]
      cross-builds hostwarden.exe and hwauto.exe when they are missing and
      creates the run's base Wine prefix for that architecture.
  wine_e2e.py run CASE --arch ARCH --prefix DIR --exe FILE --hwauto FILE --artifacts DIR
      runs one case in namespaces of its own (the test harness runs it
      again under `unshare`; the case itself refuses to run outside them).
  wine_e2e.py check-table
      checks the table of what each Windows version must show, on any
      machine, Wine or not.

Where the kernel cannot run 32-bit programs, prepare and run for i686 print
the reason and exit 77, which CTest reports as skipped.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
import harness  # noqa: E402
import wine_host  # noqa: E402
from harness import texts  # noqa: E402
from wine_host import Automation, TestHost, control  # noqa: E402

FORM1 = "Hostwarden_Form1"
FRM_INFO = "Hostwarden_frm_Info"
CAMPUS = "uni-falkenau.de"
MISMATCH_NAME = "pc-0815." + CAMPUS
AGREEING_NAME = "ws-17." + CAMPUS

WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_THICKFRAME = 0x10000, 0x20000, 0x40000
WS_SYSMENU, WS_TABSTOP = 0x80000, 0x10000
WS_EX_DLGMODALFRAME, WS_EX_CLIENTEDGE, WS_EX_APPWINDOW = 0x1, 0x200, 0x40000
CBS_DROPDOWN_TYPE, SS_ICON = 0x2, 0x3

# Where every control must stand, in pixels at 96 dpi (15 twips a pixel):
# left, top, width, height from the window tables' twips.
FORM1_TWIPS = {
    "Label4": (120, 120, 975, 255), "lbl_System": (960, 120, 3615, 255),
    "label6": (120, 360, 975, 255), "lbl_IE": (960, 360, 975, 255),
    "Label5": (120, 720, 855, 255), "lbl_Username": (960, 720, 1935, 255),
    "Label1": (2920, 720, 855, 255), "lbl_Conn": (3840, 720, 615, 255),
    "Label7": (120, 1080, 1215, 255), "lbl_NB": (2520, 1080, 1215, 255),
    "txt_CN": (120, 1320, 2265, 285), "txt_NB": (2520, 1320, 1935, 285),
    "Label3": (120, 1680, 1335, 255), "txt_DNS": (120, 1920, 4335, 285),
    "Label2": (120, 2280, 1095, 255), "img_Warn": (2160, 2400, 480, 480),
    "cmd_Sync": (2640, 2480, 1815, 375), "Line1": (120, 600, 4320, 0),
}
FRM_INFO_TWIPS = {
    "Label1": (1440, 120, 855, 255), "Line1": (240, 360, 3360, 0),
    "Label2": (240, 480, 3495, 495), "Label3": (240, 960, 3615, 495),
    "Label4": (240, 1440, 3495, 375), "OKButton": (600, 2040, 1215, 375),
    "CancelButton": (2040, 2040, 1215, 375),
}
# Each control's text in the catalogue.
FRM_INFO_TEXTS = {"Label1": "DialogHeading", "Label2": "DialogNamesDiffer", "Label3": "DialogAgainstRules",
                  "Label4": "DialogClickOk", "OKButton": "ButtonOk", "CancelButton": "DialogDetails"}
FORM1_TEXTS = {"Label4": "WindowSystem", "label6": "WindowIeVersion", "Label5": "WindowUserName",
               "Label1": "WindowConnection", "Label7": "WindowComputerName", "lbl_NB": "WindowNetbiosName",
               "Label3": "WindowDnsHostName", "Label2": "WindowAddresses", "cmd_Sync": "WindowSyncButton"}


# What a screen reader says of the main window's fields and picture: MSAA and
# UI Automation name a field after the static just before it in Z order (the
# order of "controls" in hwauto's answer), a picture after its window text.
FIELD_CAPTIONS = {"cbo_IP": texts.german("WindowAddresses"), "txt_CN": texts.german("WindowComputerName"),
                  "txt_NB": texts.german("WindowNetbiosName"), "txt_DNS": texts.german("WindowDnsHostName")}
WARNING_PICTURE_NAME = texts.german("WindowWarningPicture")
FULL_HD = (1920, 1080)


def pixels(twips, dpi=96):
    return (twips * dpi + 720) // 1440


def expected_rect(twips, dpi=96):
    left, top, width, height = twips
    x0, y0 = pixels(left, dpi), pixels(top, dpi)
    return [x0, y0, max(1, pixels(left + width, dpi) - x0), max(1, pixels(top + height, dpi) - y0)]


class Failures:
    def __init__(self):
        self.messages = []

    def check(self, condition, message):
        if not condition:
            self.messages.append(message)
        return condition

    def equal(self, actual, expected, what):
        return self.check(actual == expected, f"{what}: expected {expected!r}, got {actual!r}")


# ---- shared checks --------------------------------------------------------------

def check_layout(f, window, table, dpi=96):
    for name, twips in table.items():
        f.equal(control(window, name)["rect"], expected_rect(twips, dpi),
                f"{window['class']} {name} rectangle at {dpi} dpi")
    if window["class"] == FORM1:
        # A drop-down combo box's height follows its font; its place and width do not.
        f.equal(control(window, "cbo_IP")["rect"][:3], expected_rect((120, 2520, 1695, 315), dpi)[:3],
                f"cbo_IP position and width at {dpi} dpi")


# Each window's client area in twips, as its window table gives it, and
# its controls'.
CLIENT_TWIPS = {FORM1: (4650, 3015), FRM_INFO: (3900, 2520)}
CONTROL_TWIPS = {FORM1: FORM1_TWIPS, FRM_INFO: FRM_INFO_TWIPS}


def check_scaled(f, window, dpi, when):
    """The client area and every control scaled from their twips to `dpi`."""
    width, height = CLIENT_TWIPS[window["class"]]
    f.equal(window["client"], [pixels(width, dpi), pixels(height, dpi)], f"{window['class']} client area {when}")
    check_layout(f, window, CONTROL_TWIPS[window["class"]], dpi)


def check_fixed_frame(f, window):
    style = window["style"]
    f.check(style & WS_SYSMENU, f"{window['class']} has no close button")
    f.check(not style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME),
            f"{window['class']} can be resized, maximised or minimised (style {style:#x})")


def check_form1_frame(f, form1):
    f.equal(form1["title"], "Hostwarden", "Form1 caption")
    f.equal(form1["client"], [310, 201], "Form1 client area (4650 x 3015 twips)")
    check_fixed_frame(f, form1)
    f.check(form1["exStyle"] & WS_EX_APPWINDOW and not form1["owned"], "Form1 is not in the taskbar")
    check_layout(f, form1, FORM1_TWIPS)
    f.check(control(form1, "txt_CN")["exStyle"] & WS_EX_CLIENTEDGE, "txt_CN has no sunken border")
    f.equal(control(form1, "cbo_IP")["style"] & 0x3, CBS_DROPDOWN_TYPE, "cbo_IP is not a drop-down combo box")
    f.equal(form1["tooltips"] and len(form1["tooltips"]), 1, "tooltip windows of Form1")
    for name, text in FORM1_TEXTS.items():
        f.equal(control(form1, name)["text"], texts.german(text), f"caption of {name}")


def check_only_address(f, form1):
    combo = control(form1, "cbo_IP")
    f.equal(combo["items"], [wine_host.HOST_ADDRESS], "cbo_IP entries")
    f.equal(combo["selected"], 0, "cbo_IP selection")
    f.equal(combo["text"], wine_host.HOST_ADDRESS, "cbo_IP text")


class Mode:
    """What the program must show for one Windows version, whichever build
    runs it: the i686 and the x86_64 cases read the same row, so a path one
    machine cannot run is still the code another machine ran.

    `winecfg`: what winecfg calls the version, for each Wine that can be it.
    `system_line`: the pattern of the System line, the service-pack text
    in parentheses (blanks and all; empty where Wine reports none).
    `older`: the check takes the older systems' path (the resolver) rather
    than the DNS client's (Windows 2000 on).
    `seen`: the System line each Wine 8 showed, kept as the pattern's
    examples (checked by `wine_e2e.py check-table` on every machine)."""

    def __init__(self, name, winecfg, system_line, older, seen):
        self.name, self.winecfg, self.system_line, self.older, self.seen = name, winecfg, system_line, older, seen


# 64-bit Wine knows no Windows 98 and no 32-bit XP: its XP is XP x64 (5.2).
# Windows 98 reports the service-pack text " A " (blank, A, blank).
WIN98 = Mode("win98", {"i686": "win98"}, r"Windows 98 4\.10 build 2222 \( A \)", older=True,
             seen={"i686": "Windows 98 4.10 build 2222 ( A )"})
WINXP = Mode("winxp", {"i686": "winxp", "x86_64": "winxp64"},
             r"Windows XP 5\.1 build 2600 \(Service Pack 3\)|Windows NT 5\.2 build 3790 \(Service Pack 2\)",
             older=False, seen={"i686": "Windows XP 5.1 build 2600 (Service Pack 3)",
                                "x86_64": "Windows NT 5.2 build 3790 (Service Pack 2)"})
# Windows 10 under Wine reports no service-pack text: the parentheses stay, empty.
WIN10 = Mode("win10", {"i686": "win10", "x86_64": "win10"}, r"Windows NT 10\.0 build \d+ \(\)", older=False,
             seen={"i686": "Windows NT 10.0 build 18362 ()", "x86_64": "Windows NT 10.0 build 18362 ()"})
MODES = (WIN98, WINXP, WIN10)


def check_table():
    """The table on its own, on any machine: every line a Wine was seen to
    show matches its version's pattern and no other's, for every Wine that
    can be that version."""
    f = Failures()
    for mode in MODES:
        f.equal(sorted(mode.seen), sorted(mode.winecfg), f"{mode.name}: a System line seen for each Wine")
        for arch, line in mode.seen.items():
            matches = [other.name for other in MODES if re.fullmatch(other.system_line, line)]
            f.equal(matches, [mode.name], f"versions whose pattern matches {arch}'s {line!r}")
    for message in f.messages:
        print(f"FAIL: {message}")
    print(f"the expectations table: {'wrong' if f.messages else 'consistent'}")
    return 1 if f.messages else 0


def check_system_line(f, form1, mode):
    line = control(form1, "lbl_System")["text"]
    f.check(re.fullmatch(mode.system_line, line), f"System line {line!r} is not {mode.name}'s")


def check_names(f, form1, mode, dns_name):
    """The name boxes: before Windows 2000 the computer name alone and the
    resolver's answer; from then on the DNS host name, the NetBIOS name and
    the name from the PTR record."""
    if mode.older:
        f.equal(control(form1, "txt_CN")["text"], "WS-17", "txt_CN on the older systems (the computer name)")
        f.check(not control(form1, "lbl_NB")["visible"] and not control(form1, "txt_NB")["visible"],
                "NetBIOS-Name and its box are shown before Windows 2000")
    else:
        f.equal(control(form1, "txt_CN")["text"], "ws-17", "txt_CN (the DNS host name)")
        f.equal(control(form1, "txt_NB")["text"], "WS-17", "txt_NB (the NetBIOS name)")
        f.check(control(form1, "lbl_NB")["visible"] and control(form1, "txt_NB")["visible"],
                "NetBIOS-Name and its box are hidden from Windows 2000 on")
    f.equal(control(form1, "txt_DNS")["text"], dns_name, "txt_DNS (the name DNS gives the address)")


def check_mismatch_window(f, form1, mode, dns_name=MISMATCH_NAME):
    f.check(form1["visible"], "Form1 is not visible")
    check_system_line(f, form1, mode)
    check_names(f, form1, mode, dns_name)
    image = control(form1, "img_Warn")
    f.check(image["visible"] and image.get("hasIcon"), "the warning picture is not visible")
    f.check(image["style"] & 0x1F == SS_ICON, "img_Warn does not show an icon")
    f.check(control(form1, "cmd_Sync")["enabled"], "Namen synchronisieren is not enabled")
    f.equal(form1["focus"], "cmd_Sync", "focus after a mismatch")
    check_only_address(f, form1)


def check_field_names(f, form1):
    controls = form1["controls"]
    names = [c["name"] for c in controls]
    for field, caption in FIELD_CAPTIONS.items():
        at = names.index(field)
        before = controls[at - 1] if at else {}
        f.check(before.get("class", "").lower() == "static" and before.get("text") == caption,
                f"the control before {field} in Z order is {before.get('name')!r} ({before.get('text')!r}), "
                f"not the static {caption!r}")
    f.equal(control(form1, "img_Warn")["text"], WARNING_PICTURE_NAME, "the warning picture's name")
    f.equal(control(form1, "Line1")["text"], "", "the line's text (a screen reader reads nothing)")


def check_dialog_reading(f, dialog):
    """The dialog's texts, in Z order, are what a screen reader reads when
    the dialog appears; the system's dialog class makes it a dialog."""
    f.equal(dialog["windowClass"], "#32770", "frm_Info's class (the system's dialog class)")
    read = [c["name"] for c in dialog["controls"] if c["text"]]
    f.equal(read, ["Label1", "Label2", "Label3", "Label4", "OKButton", "CancelButton"],
            "the texts of frm_Info in Z order (heading, sentences, buttons)")


def check_on_screen(f, rect, what, screen=FULL_HD):
    x, y, width, height = rect
    f.check(x >= 0 and y >= 0 and x + width <= screen[0] and y + height <= screen[1],
            f"{what} at {rect} is not all on the {screen[0]} x {screen[1]} screen")


def focus_order(mode, first):
    """The tab stops of Form1, from `first` round to it again: the NetBIOS
    box is one from Windows 2000 on, where it is shown."""
    boxes = ["txt_CN", "txt_DNS"] if mode.older else ["txt_CN", "txt_NB", "txt_DNS"]
    return ([first] if first == "cmd_Sync" else []) + ["cbo_IP"] + boxes + [first]


def check_tab_order(f, host, auto, window_class, order):
    """Tab walks `order` from its first control; Shift-Tab walks back one step."""
    window = auto.window(window_class)
    f.equal(window["focus"], order[0], f"{window_class} focus before Tab")
    walked = [order[0]]
    for _ in order[1:]:
        host.keys(window, "Tab")
        walked.append(auto.wait_focus_moved(window_class, walked[-1])["focus"])
    f.equal(walked, order, f"{window_class} tab order")
    host.keys(window, "shift+Tab")
    f.equal(auto.wait_focus_moved(window_class, walked[-1])["focus"], order[-2],
            f"{window_class} focus after Shift-Tab")
    host.keys(window, "Tab")
    auto.wait_focus_moved(window_class, order[-2])


def wait_for_exit(process, seconds, f, what):
    """The program's exit status. `seconds` bounds a wait for a program that
    never ends; it is no measure of speed, so a loaded machine gets a minute."""
    seconds = max(seconds, 60)
    try:
        code = process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        f.check(False, f"{what}: the program is still running after {seconds} s")
        return None
    f.equal(code, 0, f"{what}: exit status")
    return code


def ptr_queries(host):
    # DNS names compare without regard to letter case.
    return [q for q in host.dns_queries() if q[0] == "PTR" and q[1].lower() == wine_host.PTR_NAME]


# The message the synchronise command shows under Wine: Wine accepts the
# name, through SetComputerNameA before Windows 2000 and SetComputerNameExA
# from then on, in its registry.
SYNC_MESSAGE = texts.german("NameSet")


def check_dns_asked(f, host, mode):
    """The PTR query reached the DNS server: from Windows 2000 on sent by the
    DNS client itself, before it by the resolver."""
    f.check(ptr_queries(host), f"no PTR query reached the DNS server ({mode.name}): {host.dns_queries()}")


# ---- the cases ----------------------------------------------------------------------

def case_normal_window(host, auto, exe, f, mode):
    """Normal mode, no PTR record for the address: every value in its place,
    no warning, since the check does not apply."""
    program = host.start_wine(exe)
    form1 = auto.wait_window(FORM1)
    host.screenshot(f"form1_normal_{mode.name}")
    check_form1_frame(f, form1)
    check_system_line(f, form1, mode)
    f.equal(control(form1, "lbl_IE")["text"], "6.0.2800", "IE version (Wine's shlwapi)")
    f.equal(control(form1, "lbl_Conn")["text"], "LAN", "connection")
    f.equal(control(form1, "lbl_Username")["text"], "root", "user name")
    check_names(f, form1, mode, "")
    check_only_address(f, form1)
    f.check(not control(form1, "img_Warn")["visible"], "the warning picture shows without a mismatch")
    f.check(not control(form1, "cmd_Sync")["enabled"], "Namen synchronisieren is enabled without a mismatch")
    f.equal(form1["focus"], "cbo_IP", "focus without a mismatch")
    check_dns_asked(f, host, mode)
    check_tab_order(f, host, auto, FORM1, focus_order(mode, "cbo_IP"))
    auto.close(FORM1)
    f.check(auto.wait_gone(FORM1).get("gone"), "Form1 is still there after its close button")
    wait_for_exit(program, 10, f, "closing the main window")


def case_quiet_agree(host, auto, exe, f, mode):
    """Quiet mode, the name DNS gives the address agrees: no window, the program ends."""
    program = host.start_wine(exe, "-q")
    wait_for_exit(program, 30, f, "quiet mode with agreeing names")
    f.equal(auto.window(FORM1), {"exists": False}, "Form1 after the quiet end")
    f.equal(auto.window(FRM_INFO), {"exists": False}, "frm_Info after the quiet end")
    check_dns_asked(f, host, mode)


def windows_path(path):
    """A path of this machine as Wine's programs see it, on drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def case_quiet_no_window(host, auto, exe, f, mode):
    """Quiet mode, names agree: while the program lives it owns no top-level
    window at all, neither a hidden nor a message-only one."""
    watched = auto("watch-windows", windows_path(exe), "/Q")
    f.equal(watched.get("exit"), 0, "quiet mode with agreeing names: exit status")
    f.check(watched.get("looks", 0) > 0, f"the windows were never looked at: {watched}")
    f.equal(watched.get("windows"), [], "the windows the quiet check owned while it ran")
    check_dns_asked(f, host, mode)


# What only a window loads: the common controls, which no library the check
# calls imports, and Wine's display driver, which the first window, message
# box or screen context loads.
WINDOW_ONLY_LIBRARIES = ("comctl32.dll", "winex11.drv")
# The window system itself. shlwapi and wininet, which the check calls,
# import it (on Windows as under Wine), so a quiet run loads it with them;
# the program must not load it any earlier, with its own imports.
WINDOW_SYSTEM = ("user32.dll", "gdi32.dll")
# The first libraries the program loads by name, before shlwapi and wininet.
FIRST_BOUND = ("iphlpapi.dll", "dnsapi.dll")


def libraries_loaded_by(trace, program):
    """The libraries the process of `program` loaded, in the order the trace
    reports them (a library after those it imports), from Wine's
    +pid,+loaddll trace; the lines of Wine's own processes started on the
    way (services, the desktop) are left out."""
    loaded = re.findall(r'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:\w+ Loaded L"([^"]+)"', trace, re.M)
    names = [(pid, path.replace("\\\\", "\\").rsplit("\\", 1)[-1].lower()) for pid, path in loaded]
    own = next((pid for pid, name in names if name == program.lower()), None)
    return [name for pid, name in names if pid == own]


def case_quiet_loads_no_window_libraries(host, auto, exe, f, mode):
    """Quiet mode, names agree: nothing is shown, so the program loads
    nothing only a window needs, and the window system comes in only with
    the libraries the check calls, never with the program itself."""
    code, _, trace = run_script(host, exe, "/Q", debug="+pid,+loaddll")
    f.equal(code, 0, "quiet mode with agreeing names: exit status")
    loaded = libraries_loaded_by(trace, os.path.basename(exe))
    print("the quiet check loaded:", " ".join(loaded))
    bound = [loaded.index(name) for name in FIRST_BOUND if name in loaded]
    if not f.check(bound, f"the program's own loads were not found in the trace: {loaded}"):
        return
    f.equal([name for name in loaded[:min(bound)] if name in WINDOW_SYSTEM], [],
            "the window system loaded with the program, before it bound anything by name")
    f.equal([name for name in loaded if name in WINDOW_ONLY_LIBRARIES], [], "what only a window needs, loaded")
    check_dns_asked(f, host, mode)


def case_mismatch_sync(host, auto, exe, f, mode):
    """Normal mode, DNS gives another name: the warning in the main window;
    "Namen synchronisieren" sets the name, reports and ends."""
    program = host.start_wine(exe)
    form1 = auto.wait_window(FORM1)
    check_form1_frame(f, form1)
    check_mismatch_window(f, form1, mode)
    check_dns_asked(f, host, mode)
    host.rest_pointer_on(form1, control(form1, "cmd_Sync")["rect"])
    tips = auto.wait_tooltip(FORM1)
    f.check(any(t["visible"] and t["text"] == texts.german("WindowSyncTooltip") for t in tips),
            f"no tooltip while the pointer rests on Namen synchronisieren: {tips}")
    host.screenshot(f"form1_mismatch_{mode.name}")
    check_tab_order(f, host, auto, FORM1, focus_order(mode, "cmd_Sync"))
    host.keys(form1, "Escape")
    f.check(auto.wait_message_box(500).get("error"), "Escape raised a message box")
    # Enter on the focused button runs the synchronise command at once.
    host.keys(form1, "Return")
    box = auto.wait_message_box()
    host.screenshot(f"message_box_sync_{mode.name}")
    f.equal(box["text"], SYNC_MESSAGE, "message after Namen synchronisieren")
    f.equal(box["buttons"], ["OK"], "message box buttons")
    f.check(box["icon"], "the success message shows no icon")
    f.equal(box["owner"], FORM1, "owner of the message box")
    f.check(program.poll() is None, "the program ended before its message box was closed")
    auto.press_message_box_ok()
    wait_for_exit(program, 15, f, "after the synchronise message")
    f.equal(auto.window(FORM1), {"exists": False}, "Form1 after the synchronise command")


def case_quiet_details(host, auto, exe, f, mode):
    """Quiet mode, mismatch: only the dialog; "Details >>" trades it for the
    main window with the warning."""
    program = host.start_wine(exe, "/Q")
    dialog = auto.wait_window(FRM_INFO)
    host.screenshot(f"frm_info_quiet_{mode.name}")
    f.equal(dialog["title"], "Hostwarden", "frm_Info caption")
    f.equal(dialog["client"], [260, 168], "frm_Info client area (3900 x 2520 twips)")
    check_fixed_frame(f, dialog)
    f.check(dialog["exStyle"] & WS_EX_DLGMODALFRAME, "frm_Info has no dialog frame")
    f.check(not dialog["exStyle"] & WS_EX_APPWINDOW and dialog["owned"] and not dialog["ownerVisible"],
            "frm_Info would get a taskbar button")
    check_layout(f, dialog, FRM_INFO_TWIPS)
    for name, text in FRM_INFO_TEXTS.items():
        f.equal(control(dialog, name)["text"], texts.german(text), f"frm_Info {name} text")
    f.equal(dialog["focus"], "OKButton", "focus in frm_Info")
    host.keys(dialog, "Escape")
    f.check(auto.window(FRM_INFO).get("visible"), "Escape closed the dialog")
    f.equal(auto.window(FRM_INFO)["focus"], "OKButton", "focus in frm_Info after Escape")
    hidden = auto.window(FORM1)
    f.check(hidden.get("exists") and not hidden["visible"], "Form1 is not loaded-but-hidden behind the dialog")
    auto.click(FRM_INFO, "CancelButton")
    f.check(auto.wait_gone(FRM_INFO).get("gone"), "frm_Info stays after Details >>")
    form1 = auto.wait_window(FORM1)
    check_mismatch_window(f, form1, mode)
    host.screenshot(f"form1_after_details_{mode.name}")
    f.check(program.poll() is None, "the program ended after Details >>")
    auto.close(FORM1)
    wait_for_exit(program, 10, f, "closing the main window after Details >>")


def case_quiet_ok(host, auto, exe, f, mode):
    """Quiet mode, mismatch: "OK" synchronises, reports, and ends."""
    program = host.start_wine(exe, "-Q")
    auto.wait_window(FRM_INFO)
    auto.click(FRM_INFO, "OKButton")
    box = auto.wait_message_box()
    f.equal(box["text"], SYNC_MESSAGE, "message after OK")
    f.equal(box["owner"], FRM_INFO, "owner of the message box")
    f.check(auto.window(FRM_INFO).get("visible"), "frm_Info left the screen behind the message box")
    auto.press_message_box_ok()
    wait_for_exit(program, 15, f, "after OK")


def case_scaled_dpi(host, auto, exe, f, mode):
    """A screen of 120 dpi: every size in twips scales with it."""
    host.set_screen_dpi(120)
    program = host.start_wine(exe)
    form1 = auto.wait_window(FORM1)
    host.screenshot(f"form1_120dpi_{mode.name}")
    check_scaled(f, form1, 120, "at 120 dpi")
    auto.close(FORM1)
    wait_for_exit(program, 10, f, "closing the main window")


def case_accessible_names(host, auto, exe, f, mode):
    """Quiet mode, mismatch: the dialog is a dialog and reads its warning
    before its buttons; after "Details >>" every field of the main window
    has its caption as its name, and the warning picture says what it means."""
    program = host.start_wine(exe, "/Q")
    dialog = auto.wait_window(FRM_INFO)
    check_dialog_reading(f, dialog)
    f.equal(dialog["focus"], "OKButton", "focus in frm_Info")
    # The keyboard alone: Tab walks the buttons of the dialog class's window,
    # and Enter presses the one that has the focus.
    check_tab_order(f, host, auto, FRM_INFO, ["OKButton", "CancelButton", "OKButton"])
    host.keys(dialog, "Tab")
    f.equal(auto.wait_focus_moved(FRM_INFO, "OKButton").get("focus"), "CancelButton", "focus after Tab in frm_Info")
    host.keys(dialog, "Return")
    f.check(auto.wait_gone(FRM_INFO).get("gone"), "Enter on Details >> left frm_Info on screen")
    form1 = auto.wait_window(FORM1)
    check_field_names(f, form1)
    check_tab_order(f, host, auto, FORM1, focus_order(mode, "cmd_Sync"))
    auto.close(FORM1)
    wait_for_exit(program, 10, f, "closing the main window")


def high_dpi_case(dpi):
    def case(host, auto, exe, f, mode):
        """A 1920 x 1080 screen at this dpi: the dialog, the main window and a
        message box lie whole on the screen, every size scaled; the dialog's
        stored place would leave its buttons off the screen at 288 dpi."""
        host.set_screen_dpi(dpi)
        program = host.start_wine(exe, "/Q")
        dialog = auto.wait_window(FRM_INFO)
        host.screenshot(f"frm_info_{dpi}dpi_{mode.name}")
        check_on_screen(f, dialog["rect"], f"frm_Info at {dpi} dpi")
        check_scaled(f, dialog, dpi, f"at {dpi} dpi")
        auto.click(FRM_INFO, "CancelButton")
        form1 = auto.wait_window(FORM1)
        host.screenshot(f"form1_{dpi}dpi_{mode.name}")
        check_on_screen(f, form1["rect"], f"Form1 at {dpi} dpi")
        check_scaled(f, form1, dpi, f"at {dpi} dpi")
        auto.click(FORM1, "cmd_Sync")
        box = auto.wait_message_box()
        host.screenshot(f"message_box_{dpi}dpi_{mode.name}")
        check_on_screen(f, box["rect"], f"the message box at {dpi} dpi")
        auto.press_message_box_ok()
        wait_for_exit(program, 15, f, "after the synchronise message")
    case.screen = FULL_HD
    return case


def case_dpi_changed(host, auto, exe, f, mode):
    """The window moves to a monitor at 192 dpi (WM_DPICHANGED): fonts,
    controls and the warning picture rescale, and the window takes the
    place the system suggests, its client area as the twips say."""
    program = host.start_wine(exe)
    form1 = auto.wait_window(FORM1)
    x, y, width, height = form1["rect"]
    suggested = (x + 40, y + 30, x + 40 + 2 * width, y + 30 + 2 * height)
    f.check(auto.dpi_changed(FORM1, 192, suggested).get("sent"), "WM_DPICHANGED was not delivered")
    form1 = auto.window(FORM1)
    host.screenshot(f"form1_dpi_changed_{mode.name}")
    f.equal(form1["rect"][:2], [x + 40, y + 30], "Form1's place after WM_DPICHANGED (the suggested one)")
    check_scaled(f, form1, 192, "after WM_DPICHANGED")
    f.check(control(form1, "img_Warn")["hasIcon"], "the warning picture is gone after WM_DPICHANGED")
    check_field_names(f, form1)
    f.equal(form1["focus"], "cmd_Sync", "focus after WM_DPICHANGED")
    auto.close(FORM1)
    wait_for_exit(program, 10, f, "closing the main window")


case_dpi_changed.screen = FULL_HD


def case_quiet_close(host, auto, exe, f, mode):
    """Quiet mode, mismatch: the dialog's close button with the main window
    hidden leaves no invisible program behind."""
    program = host.start_wine(exe, "-Q")
    auto.wait_window(FRM_INFO)
    auto.close(FRM_INFO)
    wait_for_exit(program, 15, f, "closing the dialog")
    f.equal(auto.window(FORM1), {"exists": False}, "Form1 after the dialog was closed")
    f.check(auto.wait_message_box(500).get("error"), "closing the dialog showed a message")


def case_second_instance(host, auto, exe, f, mode):
    """A second start while one runs ends at once and shows nothing."""
    first = host.start_wine(exe)
    auto.wait_window(FORM1)
    trace = os.path.join(host.work, "second-instance-eventlog.txt")
    with open(trace, "wb") as err:
        second = subprocess.Popen([host.wine_kind.loader, exe], env=dict(host.env, WINEDEBUG="+eventlog"),
                                  stdout=subprocess.DEVNULL, stderr=err)
        host.processes.append(second)
        wait_for_exit(second, 20, f, "the second instance")
    # It checked nothing, and says so as information (event 5), not as a failure.
    with open(trace, encoding="utf-8", errors="replace") as err:
        reports = [line for line in err if "ReportEventW" in line]
    f.check(any(",0x0004,0x0000,0x00000005," in line for line in reports), f"no information event 5: {reports}")
    f.check(any("verdict=already-running" in line for line in reports), f"the entry: {reports}")
    f.check(first.poll() is None, "the first instance ended")
    f.check(auto.window(FORM1).get("visible"), "the first instance's window went away")
    auto.close(FORM1)
    wait_for_exit(first, 10, f, "the first instance")


# ---- the modes for scripts: /REPORT [/JSON] and /SYNC ----------------------------------

REPORT_KEYS = {"system", "ieVersion", "connection", "userName", "computerName", "netbiosName", "dnsName",
               "ptrNames", "addresses", "selectedAddress", "dnsServer", "dnsShortName", "verdict",
               "notApplicableBecause", "forwardConfirmed", "renameRefusedBecause", "campusDomains", "dynamicPoolPrefixes",
               "invalidPolicy",
               "ipv6Addresses", "selectedIpv6Address", "ipv6DnsServer", "ipv6DnsName", "ipv6PtrNames", "ipv6Verdict",
               "ipv6NotApplicableBecause", "messages"}


def run_script(host, exe, *switches, debug="-all"):
    """Runs a mode for scripts to its end: (exit status, stdout, stderr),
    the output as a script would capture it."""
    env = dict(host.env, WINEDEBUG=debug)
    done = subprocess.run([host.wine_kind.loader, exe, *switches], env=env, capture_output=True, timeout=90)
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


def names_in_registry(host):
    """The registry values that hold the computer name, as `reg query` prints them."""
    text = ""
    for key in (r"HKLM\System\CurrentControlSet\Control\ComputerName\ComputerName",
                r"HKLM\System\CurrentControlSet\Services\Tcpip\Parameters"):
        text += run_script(host, "reg", "query", key)[1]
    return text


def case_report_script(host, auto, exe, f, mode):
    """/REPORT /JSON and -report on a mismatch: the Linux report's keys and
    exit status, on the captured output, no window and no name set."""
    before = names_in_registry(host)
    code, out, err = run_script(host, exe, "/REPORT", "/json")
    f.equal(code, 1, "exit status of /REPORT /JSON on a mismatch")
    f.check(out.endswith("}\r\n"), f"the JSON ends its line as Windows does: {out[-10:]!r}")
    try:
        report = json.loads(out)
    except ValueError as error:
        f.check(False, f"not JSON ({error}): {out!r} {err!r}")
        return
    f.equal(set(report), REPORT_KEYS, "the report's keys")
    for key, wanted in (("verdict", "mismatch"), ("dnsName", MISMATCH_NAME), ("dnsShortName", "pc-0815"),
                        ("selectedAddress", wine_host.HOST_ADDRESS), ("connection", "LAN"), ("messages", []),
                        ("forwardConfirmed", True)):
        f.equal(report.get(key), wanted, key)
    code, out, _ = run_script(host, exe, "-report")
    f.equal(code, 1, "exit status of -report")
    verdict = texts.german("ReportResult").ljust(16) + texts.german("VerdictMismatch") + "\r\n"
    f.check(verdict in out, f"the text report's verdict line: {out!r}")
    f.equal(auto.window(FORM1), {"exists": False}, "a window after the report")
    f.equal(names_in_registry(host), before, "the computer name after the report")


POLICY_KEY = r"HKLM\SOFTWARE\Policies\Hostwarden"


def case_policy_script(host, auto, exe, f, mode):
    """Group Policy's values (REG_MULTI_SZ under HKLM\SOFTWARE\Policies\Hostwarden)
    are in force and applied: a pool prefix "pc-" exempts the mismatching
    name. A value of the wrong type is ignored, the build's value holds, and
    the report says so."""
    def policy(name, kind, data):
        run_script(host, "reg", "add", POLICY_KEY, "/v", name, "/t", kind, "/d", data, "/f")
    policy("CampusDomains", "REG_MULTI_SZ", "klinikum-falkenau.de\\0" + CAMPUS)
    policy("DynamicPoolPrefixes", "REG_MULTI_SZ", "dhcp\\0pc-")
    code, report = run_report(host, exe, f)
    report = report or {}
    f.equal(report.get("campusDomains"), {"value": ["klinikum-falkenau.de", CAMPUS], "source": "policy"},
            "the campus domains in force")
    f.equal(report.get("dynamicPoolPrefixes"), {"value": ["dhcp", "pc-"], "source": "policy"},
            "the pool prefixes in force")
    f.equal((code, report.get("verdict"), report.get("notApplicableBecause")), (0, "not-applicable", "dynamic-pool"),
            "a name of the pool prefix from the policy is exempt")
    policy("CampusDomains", "REG_SZ", "klinikum-falkenau.de")
    code, report = run_report(host, exe, f)
    report = report or {}
    f.equal(report.get("campusDomains"), {"value": [CAMPUS], "source": "built-in"}, "the wrong type: built-in")
    f.equal(report.get("invalidPolicy"), ["CampusDomains"], "and the report says so")
    f.equal(report.get("dynamicPoolPrefixes", {}).get("source"), "policy", "the other setting still holds")
    # A .reg import writes an empty item as two NULs in a row, the rest of the list after it.
    data = ("klinikum-falkenau.de\0\0" + CAMPUS + "\0\0").encode("utf-16-le")
    reg = os.path.join(host.work, "policy.reg")
    with open(reg, "w", encoding="utf-16", newline="") as out:  # regedit's own format: UTF-16 with its BOM
        out.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Hostwarden]"
                  '\r\n"CampusDomains"=hex(7):' + ",".join(f"{b:02x}" for b in data) + "\r\n")
    run_script(host, "reg", "import", windows_path(reg))
    code, report = run_report(host, exe, f)
    report = report or {}
    f.equal(report.get("campusDomains"), {"value": ["klinikum-falkenau.de", CAMPUS], "source": "policy"},
            "a list with an empty item, imported: both domains")


IPV6_ADDRESS = "2001:db8::7"


def case_ipv6_report(host, auto, exe, f, mode):
    """A dual-stack PC: /REPORT /JSON lists the IPv6 address that Wine's IP
    Helper reports, beside the IPv4 verdict. Wine 8 gives an adapter's
    gateways of the IPv4 routes only, so the IPv6 default route is not seen
    and nothing is selected or asked; with a gateway it reports, the PTR
    name of the address would be asked and judged."""
    code, out, err = run_script(host, exe, "/REPORT", "/JSON")
    try:
        report = json.loads(out)
    except ValueError as error:
        f.check(False, f"not JSON ({error}): {out!r} {err!r}")
        return
    f.equal(code, 0, "exit status: the IPv4 names agree")
    for key, wanted in (("verdict", "agree"), ("ipv6Addresses", [IPV6_ADDRESS]), ("ipv6DnsServer", wine_host.DNS_SERVER)):
        f.equal(report.get(key), wanted, key)
    if report.get("selectedIpv6Address"):
        for key, wanted in (("selectedIpv6Address", IPV6_ADDRESS), ("ipv6PtrNames", [MISMATCH_NAME]),
                            ("ipv6Verdict", "mismatch")):
            f.equal(report.get(key), wanted, key)
    else:
        # No IPv6 default route seen: no second query went out.
        f.equal((report.get("ipv6Verdict"), report.get("ipv6NotApplicableBecause")),
                ("not-applicable", "no-ipv6-default-route"), "the IPv6 verdict without a route")
        f.check(not any("ip6.arpa" in name for _, name in host.dns_queries()), "an ip6.arpa query was sent")


def case_sync_script(host, auto, exe, f, mode):
    """/SYNC on a mismatch: the name set as "Namen synchronisieren" sets it,
    the success text on the captured output, exit 0, and the verdict in the
    event log (Wine traces the call)."""
    code, out, err = run_script(host, exe, "/SYNC", debug="+eventlog")
    f.equal(code, 0, "exit status of /SYNC after setting the name")
    f.equal(out, SYNC_MESSAGE + "\r\n", "the text /SYNC writes")
    reports = [line for line in err.splitlines() if "ReportEventW" in line]
    f.check(any(",0x0004,0x0000,0x00000003," in line for line in reports),
            f"no information event 3 (mismatch) was reported: {reports}")
    f.check(any("verdict=mismatch" in line and "nameSet=yes" in line and MISMATCH_NAME in line for line in reports),
            f"the event's text: {reports}")
    # Wine traces each insertion string on a line of its own, in order.
    strings = [line.split('ReportEventW L"', 1)[1].rsplit('"', 1)[0] for line in reports if 'ReportEventW L"' in line]
    f.equal(strings[:11], ["mismatch", strings[1] if strings else "", MISMATCH_NAME, wine_host.HOST_ADDRESS,
                           wine_host.DNS_SERVER, "", "yes", "yes", MISMATCH_NAME, "1.2.0.0", ""],
            "the insertion strings: verdict, computer name, DNS name, address, server, reason, name set, "
            "confirmed, PTR names, version, settings ignored")
    f.equal(len(strings), 12, "twelve insertion strings, the last the whole line")
    f.check("pc-0815" in names_in_registry(host).lower(), "the name read back from the registry")
    f.equal(auto.window(FORM1), {"exists": False}, "a window after /SYNC")


def case_window_run_logs(host, auto, exe, f, mode):
    """Quiet mode, mismatch, "OK": the program ends from inside a window's
    event, and still reports the run's verdict, name set, to the event log."""
    trace = os.path.join(host.work, "eventlog-trace.txt")
    with open(trace, "wb") as err:
        program = subprocess.Popen([host.wine_kind.loader, exe, "-Q"], env=dict(host.env, WINEDEBUG="+eventlog"),
                                   stdout=subprocess.DEVNULL, stderr=err)
        host.processes.append(program)
        auto.wait_window(FRM_INFO)
        auto.click(FRM_INFO, "OKButton")
        auto.wait_message_box()
        auto.press_message_box_ok()
        wait_for_exit(program, 15, f, "after OK")
    with open(trace, encoding="utf-8", errors="replace") as err:
        reports = [line for line in err if "ReportEventW" in line]
    f.check(any(",0x0004,0x0000,0x00000003," in line for line in reports), f"no event 3 (mismatch): {reports}")
    f.check(sum("verdict=mismatch" in line and "nameSet=yes" in line for line in reports) == 1,
            f"one entry saying the name was set: {reports}")


def case_logoff_leaves_the_entry(host, auto, exe, f, mode):
    """The user logs off with the warning dialog or the main window open: the
    session ends the process once WM_ENDSESSION is answered, and the run's
    entry is in the event log already. The PCs whose users ignore the
    warning are the very ones administrators look for."""
    for arguments, window in ((["-Q"], FRM_INFO), ([], FORM1)):
        trace = os.path.join(host.work, f"logoff-{window}.txt")
        with open(trace, "wb") as err:
            program = subprocess.Popen([host.wine_kind.loader, exe, *arguments],
                                       env=dict(host.env, WINEDEBUG="+eventlog"), stdout=subprocess.DEVNULL, stderr=err)
            host.processes.append(program)
            auto.wait_window(window)
            auto.end_session(window)
            time.sleep(2)  # the window answers both messages
            program.kill()  # what the session's end does then
            program.wait(timeout=15)
        with open(trace, encoding="utf-8", errors="replace") as err:
            reports = [line for line in err if "ReportEventW" in line]
        f.check(any("verdict=mismatch" in line and "nameSet=no" in line and MISMATCH_NAME in line
                    for line in reports), f"{window}: the entry before the log-off ended the run: {reports}")


# ---- command lines as scripts write them -------------------------------------------------

INVALID_NAME_MESSAGE = texts.german("NameUnusable", "-bad-")


def launch(host, hwauto, line):
    """Starts hwlaunch.exe, which hands `line` to CreateProcessW exactly as
    written (quotes and all) and exits with the program's status."""
    launcher = os.path.join(os.path.dirname(os.path.abspath(hwauto)), "hwlaunch.exe")
    process = subprocess.Popen([host.wine_kind.loader, launcher], env=dict(host.env, WINEDEBUG="-all",
                                                                            HW_COMMAND_LINE=line),
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    host.processes.append(process)
    return process


def launched(host, hwauto, line):
    """(exit status, stdout, stderr) of a command line that shows nothing."""
    process = launch(host, hwauto, line)
    out, err = process.communicate(timeout=90)
    return process.returncode, out.decode("utf-8", "replace"), err.decode("utf-8", "replace")


def case_command_lines(host, auto, exe, f, mode):
    """Exact command lines, as PowerShell, cmd or a scheduler pass them:
    quoted switches are switches, a look-alike is an unknown switch, the
    report with the rename is refused, and the elevated copy's status says
    whether it set the name."""
    program = '"' + windows_path(exe) + '"'
    before = names_in_registry(host)
    # The quiet switch in quotes is the quiet switch: the warning alone, never the main window.
    process = launch(host, auto.hwauto, f'{program} "/Q"')
    auto.wait_window(FRM_INFO)
    f.check(not auto.window(FORM1).get("visible"), f'quoted "/Q": the main window shows {auto.window(FORM1)}')
    auto.close(FRM_INFO)
    process.communicate(timeout=30)
    code, out, err = launched(host, auto.hwauto, f'{program} "/REPORT" "/JSON"')
    f.equal(code, 1, f"exit status of quoted /REPORT /JSON on a mismatch ({err!r})")
    try:
        f.equal(json.loads(out).get("verdict"), "mismatch", "the quoted switches' report")
    except ValueError as error:
        f.check(False, f"quoted switches gave no JSON ({error}): {out!r} {err!r}")
    for line, wanted in ((f"{program} /REPORT/JSON", texts.german("UnknownSwitch", "/REPORT/JSON") + "\r\n"),
                         (f'{program} "/REPORT /JSON"', texts.german("UnknownSwitch", "/REPORT /JSON") + "\r\n"),
                         (f"{program} /REPORT /SYNC", texts.german("ReportWithSync", "/REPORT", "/SYNC") + "\r\n"),
                         (f"{program} -sync /json", texts.german("ReportWithSync", "/json", "-sync") + "\r\n")):
        code, out, err = launched(host, auto.hwauto, line)
        f.equal((code, out), (2, ""), f"{line}: refused ({err!r})")
        f.check(err.startswith(wanted) and err.count("\n") == 1, f"{line}: one line saying why: {err!r}")
    f.equal(auto.window(FORM1), {"exists": False}, "a window after the refused command lines")
    f.equal(names_in_registry(host), before, "the computer name after the refused command lines")

    for name, message, status in (("-bad-", INVALID_NAME_MESSAGE, 1), ("pc-0815", SYNC_MESSAGE, 0)):
        process = launch(host, auto.hwauto, f"{program} /SetComputerName:{name}")
        box = auto.wait_message_box()
        f.equal(box.get("text"), message, f"the elevated copy's message for {name}")
        auto.press_message_box_ok()
        out, err = process.communicate(timeout=30)
        f.equal(process.returncode, status, f"the elevated copy's exit status for {name}")
    f.check("pc-0815" in names_in_registry(host).lower(), "the name the elevated copy set")


def case_enter_at_once(host, auto, exe, f, mode):
    """Normal mode, mismatch: the moment the main window shows, Escape does
    nothing and Enter presses the focused "Namen synchronisieren"; no Tab first."""
    program = host.start_wine(exe)
    form1 = auto.wait_window(FORM1, settled=False)
    f.equal(form1["focus"], "cmd_Sync", "focus when the window shows")
    host.keys(form1, "Escape")
    f.check(auto.wait_message_box(500).get("error"), "Escape raised a message box")
    host.keys(form1, "Return")
    box = auto.wait_message_box()
    f.equal(box.get("text"), SYNC_MESSAGE, "message after Enter")
    f.equal(box.get("owner"), FORM1, "owner of the message box")
    auto.press_message_box_ok()
    wait_for_exit(program, 15, f, "after the synchronise message")


def case_dialog_enter_at_once(host, auto, exe, f, mode):
    """Quiet mode, mismatch: Enter presses "OK" the moment the dialog shows."""
    program = host.start_wine(exe, "/Q")
    dialog = auto.wait_window(FRM_INFO, settled=False)
    f.equal(dialog["focus"], "OKButton", "focus when the dialog shows")
    host.keys(dialog, "Return")
    box = auto.wait_message_box()
    f.equal(box.get("text"), SYNC_MESSAGE, "message after Enter in the dialog")
    f.equal(box.get("owner"), FRM_INFO, "owner of the message box")
    auto.press_message_box_ok()
    wait_for_exit(program, 15, f, "after OK")


def hostwarden_processes():
    """The command lines of the program's processes; the case runs in a PID
    namespace of its own, so these are the case's."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                line = cmdline.read().replace(b"\0", b" ").decode(errors="replace").strip()
        except OSError:
            continue
        program = line.split(" ", 1)[0].lower()
        if program.endswith("hostwarden.exe"):
            found.append(line)
    return found


def registry_value(host, key, name):
    """A value of the case's Wine registry as `reg query` prints it; None when missing."""
    result = wine_host.run(host.wine_kind.loader, "reg", "query", key, "/v", name, env=host.env, check=False,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    for line in result.stdout.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0] == name:
            return parts[-1]
    return None


COMPUTER_NAME_KEY = r"HKLM\System\CurrentControlSet\Control\ComputerName\ComputerName"


def check_elevated_copy_sets_the_name(host, auto, f, first_window):
    """After the press: the first program has ended, the elevated copy (our
    switch and the name on its command line) shows the success message with
    no window of its own, ends with its OK, and the name is in the registry."""
    box = auto.wait_message_box()
    host.screenshot("message_box_elevated_copy")
    f.equal(box.get("text"), SYNC_MESSAGE, "the elevated copy's message")
    f.equal(box.get("owner"), "", "owner of the copy's message box (it shows no window)")
    f.check(auto.wait_gone(first_window).get("gone"), "the first program did not end once the copy ran")
    # Its window goes before its process: the first program still writes its
    # log entry and unloads after that.
    deadline = time.monotonic() + 30
    running = hostwarden_processes()
    while len(running) > 1 and time.monotonic() < deadline:
        time.sleep(0.2)
        running = hostwarden_processes()
    f.check(len(running) == 1 and running[0].endswith(" /SetComputerName:pc-0815"),
            f"not exactly the elevated copy with the name runs: {running}")
    # Read while the Wine server runs: a new one takes the name from the host again.
    name = registry_value(host, COMPUTER_NAME_KEY, "ComputerName")
    f.equal(name and name.upper(), "PC-0815", f"the computer name read back ({name!r})")
    auto.press_message_box_ok()
    deadline = time.monotonic() + 60
    while hostwarden_processes() and time.monotonic() < deadline:
        time.sleep(0.2)
    f.equal(hostwarden_processes(), [], "programs running after the copy's message")


def start_limited(auto, f, exe, *args):
    """Starts the program as UAC starts an administrator's programs: with the
    limited half of the token, whose elevated twin "runas" gives."""
    windows_path = "Z:" + os.path.abspath(exe).replace("/", "\\")
    started = auto("start-limited", windows_path, *args)
    f.check(started.get("started"), f"the program could not be started with a limited token: {started}")


def case_elevated_copy(host, auto, exe, f, mode):
    """UAC, normal mode, mismatch: Enter on "Namen synchronisieren" starts an
    elevated copy (Wine grants "runas"), which sets the name and reports."""
    start_limited(auto, f, exe)
    form1 = auto.wait_window(FORM1)
    check_mismatch_window(f, form1, mode)
    host.keys(form1, "Return")
    check_elevated_copy_sets_the_name(host, auto, f, FORM1)


def case_elevated_copy_dialog(host, auto, exe, f, mode):
    """UAC, quiet mode, mismatch: the dialog's "OK" starts the elevated copy."""
    start_limited(auto, f, exe, "/Q")
    auto.wait_window(FRM_INFO)
    auto.click(FRM_INFO, "OKButton")
    check_elevated_copy_sets_the_name(host, auto, f, FRM_INFO)


# Libraries the program or the system libraries it binds load once it runs,
# each planted beside the program as a library that marks that it was loaded.
PLANTED_LIBRARIES = ("dnsapi", "iphlpapi", "wininet", "wsock32", "ws2_32", "netapi32", "nsi", "dhcpcsvc",
                     "winhttp", "mpr", "secur32", "shlwapi")


def planted_marker(hwauto):
    """The marking library, built beside the layer's test program."""
    return os.path.join(os.path.dirname(os.path.abspath(hwauto)), "..", "..", "win32", "hw_planted.dll")


def case_planted_libraries(host, auto, exe, f, mode):
    """Marking libraries beside the program under the names it and its
    system libraries load, preferred to Wine's own: the program runs its
    whole check and loads none of them. A control program in the same folder
    that loads one by its bare name does load it, so the marks are seen."""
    folder = os.path.join(host.work, "planted")
    os.makedirs(folder)
    program = shutil.copy(exe, folder)
    control_program = shutil.copy(auto.hwauto, os.path.join(folder, "control.exe"))
    for name in PLANTED_LIBRARIES:
        shutil.copy(planted_marker(auto.hwauto), os.path.join(folder, name + ".dll"))
    log = os.path.join(host.work, "planted.log")
    overrides = ",".join(PLANTED_LIBRARIES) + "=n,b"
    env = dict(host.env, HW_PLANTED_LOG="Z:" + log.replace("/", "\\"),
               WINEDLLOVERRIDES=";".join(filter(None, [host.env.get("WINEDLLOVERRIDES"), overrides])))

    process = subprocess.Popen([host.wine_kind.loader, program], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    host.processes.append(process)
    form1 = auto.wait_window(FORM1)
    check_mismatch_window(f, form1, mode)
    f.equal(control(form1, "lbl_Conn")["text"], "LAN", "connection (wininet)")
    check_dns_asked(f, host, mode)
    auto.close(FORM1)
    wait_for_exit(process, 15, f, "closing the main window")
    marks = open(log).read().split() if os.path.exists(log) else []
    f.equal(marks, [], "planted libraries the program loaded")

    result = wine_host.run(host.wine_kind.loader, control_program, "load-library", "iphlpapi.dll", env=env,
                           check=False, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    marks = open(log).read().split() if os.path.exists(log) else []
    f.check(any(mark.lower().endswith("\\planted\\iphlpapi.dll") for mark in marks),
            f"the control program's bare load left no mark of the planted iphlpapi.dll: {marks} ({result.stdout!r})")


PROVIDER_NAME = "dslb-092-075-123-045.pools.example-isp.de"
NOT_CONFIRMED_MESSAGE = texts.german("NotConfirmed", MISMATCH_NAME, wine_host.HOST_ADDRESS)


def case_not_confirmed(host, auto, exe, f, mode):
    """Normal mode, mismatch, but the PTR name has no A record leading back
    to the address: "Namen synchronisieren" renames nothing, says why with a
    stop icon, and ends."""
    program = host.start_wine(exe)
    form1 = auto.wait_window(FORM1)
    check_mismatch_window(f, form1, mode)
    auto.click(FORM1, "cmd_Sync")
    box = auto.wait_message_box()
    host.screenshot(f"message_box_not_confirmed_{mode.name}")
    f.equal(box["text"], NOT_CONFIRMED_MESSAGE, "message for a name DNS does not confirm")
    f.check(box["icon"], "the not-confirmed message shows no icon")
    auto.press_message_box_ok()
    wait_for_exit(program, 15, f, "after the not-confirmed message")
    forward = [q for q in host.dns_queries() if q[0] == "A" and q[1].lower() == MISMATCH_NAME]
    f.equal(len(forward), 1, f"A queries for {MISMATCH_NAME} at the DNS server: {host.dns_queries()}")


def case_provider_name(host, auto, exe, f, mode):
    """Quiet mode, a provider's name for the address (a laptop at home): the
    check does not apply outside the campus domain, so nothing shows."""
    case_quiet_agree(host, auto, exe, f, mode)


def case_either_ptr_agrees(host, auto, exe, f, mode):
    """Normal mode, two PTR records of which the second agrees: no warning,
    and the window shows the agreeing name."""
    program = host.start_wine(exe)
    form1 = auto.wait_window(FORM1)
    check_names(f, form1, mode, AGREEING_NAME)
    f.check(not control(form1, "img_Warn")["visible"], "the warning picture shows though a PTR record agrees")
    f.check(not control(form1, "cmd_Sync")["enabled"], "Namen synchronisieren is enabled though a PTR record agrees")
    auto.close(FORM1)
    wait_for_exit(program, 10, f, "closing the main window")


# ---- campus networks as they are: long names, a failing server, unusable names ----

LONG_HOST_NAME = "hoersaal-pc-0123"


def run_report(host, exe, f):
    """/REPORT /JSON, parsed; None (a failure noted) when it is no JSON."""
    code, out, err = run_script(host, exe, "/REPORT", "/JSON")
    try:
        return code, json.loads(out)
    except ValueError as error:
        f.check(False, f"not JSON ({error}): {out!r} {err!r}")
        return code, None


# Two campus names for the address, neither the PC's and both leading back to
# it, from a server that rotates their order between answers.
ROTATING_NAMES = ["pc-lab-9." + CAMPUS, "Pc-Lab-1." + CAMPUS]


def case_rotating_ptr_names(host, auto, exe, f, mode):
    """The order a server rotates PTR records in changes nothing: every
    report names the same one (the first by name, letter case ignored) and
    lists them alike, and /SYNC, finding both confirmed, sets neither."""
    seen = set()
    for _ in range(3):
        code, report = run_report(host, exe, f)
        if report is None:
            return
        seen.add((report["dnsName"], tuple(report["ptrNames"]), report["renameRefusedBecause"]))
    f.equal(seen, {(ROTATING_NAMES[1], tuple(reversed(ROTATING_NAMES)), "ambiguous-ptr")},
            "what three reports made of the rotating answers")
    code, out, err = run_script(host, exe, "/SYNC")
    f.equal(code, 1, f"exit status of /SYNC with two confirmed names ({out!r} {err!r})")
    registry = names_in_registry(host).lower()
    f.check("pc-lab" not in registry, f"a name was set though neither name is sure: {registry}")


def case_long_host_name(host, auto, exe, f, mode):
    """A PC correctly named with 16 characters: Wine cuts its NetBIOS name to
    15, as Windows does, and the names still agree."""
    code, report = run_report(host, exe, f)
    if report is None:
        return
    f.equal(code, 0, "exit status for a correctly named PC with a long name")
    for key, wanted in (("verdict", "agree"), ("computerName", LONG_HOST_NAME),
                        ("netbiosName", LONG_HOST_NAME[:15].upper()), ("dnsShortName", LONG_HOST_NAME)):
        f.equal(report.get(key), wanted, key)


def case_failing_server(host, auto, exe, f, mode):
    """The server fails the PTR query: the check does not apply, and the
    report says that the server failed, not that the record is missing."""
    code, report = run_report(host, exe, f)
    if report is None:
        return
    f.equal(code, 0, "exit status when the check does not apply")
    for key, wanted in (("verdict", "not-applicable"), ("notApplicableBecause", "dns-server-failure"),
                        ("dnsName", ""), ("dnsServer", wine_host.DNS_SERVER)):
        f.equal(report.get(key), wanted, key)
    f.check(ptr_queries(host), f"the PTR query never reached the server: {host.dns_queries()}")


def invalid_name_message(name):
    return texts.german("NameUnusable", name)


def short_name_of(dns):
    return dns.ptr_names[0].split(".")[0]


def case_sync_refuses_unusable_name(host, auto, exe, f, mode):
    """/SYNC with a confirmed PTR name no computer can carry: the command's
    refusal, exit 1, and the registry as it was."""
    before = names_in_registry(host)
    code, out, err = run_script(host, exe, "/SYNC")
    shown = short_name_of(host.dns).replace("\n", "\\x0a")  # a control byte is written as \xNN
    f.equal(code, 1, "exit status of /SYNC refusing the name")
    f.equal((out, err), ("", invalid_name_message(shown) + "\r\n"), "what /SYNC writes")
    f.equal(names_in_registry(host), before, "the computer name after the refusal")


def case_button_refuses_unusable_name(host, auto, exe, f, mode):
    """"Namen synchronisieren" with a confirmed PTR name no computer can
    carry, no UAC prompt involved: the refusal with its stop icon, and the
    program, its button and the registry stay as they were."""
    before = names_in_registry(host)
    program = host.start_wine(exe)
    form1 = auto.wait_window(FORM1)
    check_mismatch_window(f, form1, mode, host.dns.ptr_names[0])
    auto.click(FORM1, "cmd_Sync")
    box = auto.wait_message_box()
    host.screenshot(f"message_box_unusable_name_{mode.name}")
    f.equal(box.get("text"), invalid_name_message(short_name_of(host.dns)), "the refusal")
    f.check(box.get("icon"), "the refusal shows its stop icon")
    auto.press_message_box_ok()
    form1 = auto.wait_window(FORM1)
    f.check(program.poll() is None, "the program ended after refusing the name")
    f.check(control(form1, "cmd_Sync")["enabled"], "the button stays enabled after the refusal")
    auto.close(FORM1)
    wait_for_exit(program, 10, f, "closing the main window")
    f.equal(names_in_registry(host), before, "the computer name after the refusal")


def case_english_user(host, auto, exe, f, mode):
    """A user whose Windows speaks English: the warning dialog, the main
    window behind "Details >>" and the message after the rename in English;
    the log entry keeps its words."""
    program = host.start_wine(exe, "/Q")
    dialog = auto.wait_window(FRM_INFO)
    host.screenshot(f"frm_info_english_{mode.name}")
    for name, text in FRM_INFO_TEXTS.items():
        f.equal(control(dialog, name)["text"], texts.english(text), f"frm_Info {name} text in English")
    auto.click(FRM_INFO, "CancelButton")
    form1 = auto.wait_window(FORM1)
    host.screenshot(f"form1_english_{mode.name}")
    for name, text in FORM1_TEXTS.items():
        f.equal(control(form1, name)["text"], texts.english(text), f"caption of {name} in English")
    auto.click(FORM1, "cmd_Sync")
    box = auto.wait_message_box()
    f.equal(box.get("text"), texts.english("NameSet"), "the message after the rename in English")
    auto.press_message_box_ok()
    wait_for_exit(program, 15, f, "after the English message")


case_english_user.language = "en"


def _cases():
    """Every case as "<what>_<mode>": the function, the Windows version and
    what dnsmasq knows of the address. The older-systems path needs Windows
    98, which only 32-bit Wine can be; the DNS-client path runs in the XP and
    Windows 10 modes."""
    Dns = wine_host.Dns
    cases = {}
    flows = {"mismatch_sync": (case_mismatch_sync, Dns.confirmed(MISMATCH_NAME)),
             "quiet_details": (case_quiet_details, Dns.confirmed(MISMATCH_NAME)),
             "quiet_ok": (case_quiet_ok, Dns.confirmed(MISMATCH_NAME)),
             "quiet_close": (case_quiet_close, Dns.confirmed(MISMATCH_NAME)),
             "quiet_agree": (case_quiet_agree, Dns.confirmed(AGREEING_NAME))}
    for mode in MODES:
        for what, (function, dns) in flows.items():
            cases[f"{what}_{mode.name}"] = (function, mode, dns)
    for mode in MODES:
        cases[f"accessible_names_{mode.name}"] = (case_accessible_names, mode, Dns.confirmed(MISMATCH_NAME))
    for dpi in (192, 288):
        cases[f"high_dpi_{dpi}_win10"] = (high_dpi_case(dpi), WIN10, Dns.confirmed(MISMATCH_NAME))
    cases["dpi_changed_win10"] = (case_dpi_changed, WIN10, Dns.confirmed(MISMATCH_NAME))
    for mode in (WINXP, WIN10):
        cases[f"enter_at_once_{mode.name}"] = (case_enter_at_once, mode, Dns.confirmed(MISMATCH_NAME))
        cases[f"dialog_enter_at_once_{mode.name}"] = (case_dialog_enter_at_once, mode, Dns.confirmed(MISMATCH_NAME))
        cases[f"planted_libraries_{mode.name}"] = (case_planted_libraries, mode, Dns.confirmed(MISMATCH_NAME))
        cases[f"quiet_no_window_{mode.name}"] = (case_quiet_no_window, mode, Dns.confirmed(AGREEING_NAME))
        cases[f"quiet_window_libraries_{mode.name}"] = (case_quiet_loads_no_window_libraries, mode,
                                                        Dns.confirmed(AGREEING_NAME))
    cases["elevated_copy_win10"] = (case_elevated_copy, WIN10, Dns.confirmed(MISMATCH_NAME))
    cases["elevated_copy_dialog_win10"] = (case_elevated_copy_dialog, WIN10, Dns.confirmed(MISMATCH_NAME))
    cases["not_confirmed_win10"] = (case_not_confirmed, WIN10, Dns([MISMATCH_NAME]))
    cases["provider_name_win10"] = (case_provider_name, WIN10, Dns.confirmed(PROVIDER_NAME))
    cases["either_ptr_agrees_winxp"] = (case_either_ptr_agrees, WINXP, Dns([MISMATCH_NAME, AGREEING_NAME]))
    cases["rotating_ptr_names_win10"] = (case_rotating_ptr_names, WIN10,
                                         Dns(ROTATING_NAMES, [n.lower() for n in ROTATING_NAMES], rotating=True))
    cases["normal_window_winxp"] = (case_normal_window, WINXP, Dns())
    cases["second_instance_winxp"] = (case_second_instance, WINXP, Dns())
    cases["scaled_dpi_winxp"] = (case_scaled_dpi, WINXP, Dns())
    cases["report_script_win10"] = (case_report_script, WIN10, Dns.confirmed(MISMATCH_NAME))
    cases["sync_script_win10"] = (case_sync_script, WIN10, Dns.confirmed(MISMATCH_NAME))
    cases["policy_script_win10"] = (case_policy_script, WIN10, Dns.confirmed(MISMATCH_NAME))
    cases["ipv6_report_win10"] = (case_ipv6_report, WIN10,
                                  Dns([AGREEING_NAME], [AGREEING_NAME], ipv6_address=IPV6_ADDRESS, ipv6_ptr_names=[MISMATCH_NAME]))
    cases["command_lines_win10"] = (case_command_lines, WIN10, Dns.confirmed(MISMATCH_NAME))
    cases["window_run_logs_win10"] = (case_window_run_logs, WIN10, Dns.confirmed(MISMATCH_NAME))
    cases["logoff_leaves_the_entry_win10"] = (case_logoff_leaves_the_entry, WIN10, Dns.confirmed(MISMATCH_NAME))
    cases["long_host_name_win10"] = (case_long_host_name, WIN10,
                                     Dns.confirmed(f"{LONG_HOST_NAME}.{CAMPUS}", host_name=LONG_HOST_NAME))
    cases["failing_server_win10"] = (case_failing_server, WIN10, Dns.failing(2))
    cases["english_user_win10"] = (case_english_user, WIN10, Dns.confirmed(MISMATCH_NAME))
    for what, name in (("blank", "a b"), ("quote", 'lab"pc'), ("control", "lab\npc")):
        unusable = Dns.confirmed(f"{name}.{CAMPUS}", responder=True)
        cases[f"sync_refuses_{what}_win10"] = (case_sync_refuses_unusable_name, WIN10, unusable)
        if what != "control":  # a message box shows a line break as one
            cases[f"button_refuses_{what}_win10"] = (case_button_refuses_unusable_name, WIN10, unusable)
    return cases


CASES = _cases()


def cases_for(cases, arch):
    return sorted(name for name, (_, mode, _) in cases.items() if arch in mode.winecfg)


# ---- entry points ----------------------------------------------------------------------

def skip_without_kernel_support(arch):
    """A case for a kind of program this kernel cannot run is skipped, with
    its reason, never passed."""
    why = wine_host.why_not_runnable(arch)
    if why is None:
        return None
    print(f"SKIPPED: {why}, so the {arch} program is not run under Wine")
    return wine_host.SKIP_RETURN_CODE


def prepare(args):
    skip = skip_without_kernel_support(args.arch)
    if skip is not None:
        return skip
    if args.source_dir:
        # Always built (a no-op when up to date): a changed hwauto.cpp or
        # program source must not be tested in its old build.
        env = dict(os.environ)
        env.pop("CMAKE_BUILD_PARALLEL_LEVEL", None)
        if not os.path.exists(os.path.join(args.build_dir, "CMakeCache.txt")):
            subprocess.run(["cmake", "--preset", f"mingw-{args.arch}", "-B", args.build_dir], cwd=args.source_dir,
                           env=env, check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", args.build_dir, "--parallel", "2"], env=env, check=True)
    for path in (args.exe, args.hwauto):
        if not os.path.exists(path):
            print(f"missing {path}", file=sys.stderr)
            return 1
    wine_host.create_base_prefix(args.prefix, wine_host.WINES[args.arch])
    print(f"prefix ready: {args.prefix}")
    return 0


def run_case(args, cases):
    skip = skip_without_kernel_support(args.arch)
    if skip is not None:
        return skip
    # A PID namespace as well: should the case be killed (a time-out), the
    # kernel ends every process it started, Wine server included.
    code = harness.enter(sys.argv, processes=True)
    if code is not None:
        return code
    harness.require_own_namespaces()
    case, mode, dns = cases[args.case]
    if args.arch not in mode.winecfg:
        print(f"{args.case} needs a Windows version that {args.arch} Wine cannot be", file=sys.stderr)
        return 2
    f = Failures()
    started = time.monotonic()
    artifacts = os.path.join(args.artifacts, args.arch)
    language = getattr(case, "language", "de")  # the user's, German unless the case says otherwise
    screen = "x".join(map(str, getattr(case, "screen", (1024, 768))))
    with TestHost(wine_host.WINES[args.arch], args.prefix, artifacts, mode.winecfg[args.arch], dns,
                  language, screen_size=screen) as host:
        try:
            case(host, Automation(host, args.hwauto), args.exe, f, mode)
        except (KeyError, RuntimeError, subprocess.SubprocessError) as error:
            # An answer the case did not expect: a failure with its reason.
            f.check(False, f"stopped early: {error!r}\n{traceback.format_exc()}")
    elapsed = time.monotonic() - started
    for message in f.messages:
        print(f"FAIL {args.case} ({args.arch}): {message}")
    print(f"{args.case} ({args.arch}): {'failed' if f.messages else 'passed'} in {elapsed:.1f} s")
    return 1 if f.messages else 0


def main(cases=None):
    """The main of this script and of every other script of Wine cases, each
    with its own table of cases."""
    cases = CASES if cases is None else cases
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command", required=True)
    listing = sub.add_parser("list", help="the cases an architecture runs, one a line")
    sub.add_parser("check-table", help="checks the expectations table, without Wine")
    p = sub.add_parser("prepare")
    r = sub.add_parser("run")
    r.add_argument("case", choices=sorted(cases))
    r.add_argument("--artifacts", required=True)
    for each in (p, r):
        each.add_argument("--prefix", required=True)
        each.add_argument("--exe", required=True)
        each.add_argument("--hwauto", required=True)
    for each in (listing, p, r):
        each.add_argument("--arch", required=True, choices=sorted(wine_host.WINES))
    p.add_argument("--build-dir")
    p.add_argument("--source-dir")
    argv = [a for a in sys.argv[1:] if a != "--inside"]  # the harness marks the run inside
    args = parser.parse_args(argv)
    if args.command == "check-table":
        return check_table()
    if args.command == "list":
        print("\n".join(cases_for(cases, args.arch)))
        return 0
    return prepare(args) if args.command == "prepare" else run_case(args, cases)


if __name__ == "__main__":
    sys.exit(main())
