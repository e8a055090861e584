#!/usr/bin/env python3
"""End-to-end tests of Hostwarden's GTK windows, driven with xdotool.

  gtk_e2e.py xvfb-run COMMAND...
      Runs COMMAND on an Xvfb screen of its own (96 dpi) and exits with its
      status; as root inside network and mount namespaces of its own.

  gtk_e2e.py scenario NAME --program PATH --artifacts DIR
      Runs the real program in a namespace of its own (network, host name,
      mounts) with a private copy of /etc, an empty /run of its own
      (so the machine can never be renamed), the PC's address
      from 192.0.2.0/24 on a veth interface with the default route, and
      dnsmasq answering the PTR query, all set up by the test harness
      (tests/harness). Screenshots go to DIR. Needs root; exits 77
      (skipped) without it.

  gtk_e2e.py list
      the scenarios, one a line.
"""

import argparse
import contextlib
import json
import os
import re
import shutil
import signal
import socket
import stat
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
import harness  # noqa: E402
from harness import texts  # noqa: E402

HOST_NAME = "ws-17"
DNS_NAME = "labor-pc3.uni-falkenau.de"
DNS_SHORT_NAME = "labor-pc3"
PROVIDER_NAME = "dslb-192-000-002-007.pools.example-isp.de"
OWN_ADDRESS = "192.0.2.7"
DNS_SERVER = "192.0.2.53"
PTR_NAME = "7.2.0.192.in-addr.arpa"
OWN_IPV6_ADDRESS = "2001:db8::7"
IPV6_PTR_NAME = "7.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"
NOBODY = 65534

# Pixel places from the window tables (twips / 15 at 96 dpi), client-relative,
# at 100%. The windows may grow by one factor for the desktop's font; a place
# on screen is the table's place times the window's width over the table's.
MAIN_SIZE = (310, 201)           # 4650 x 3015
DIALOG_SIZE = (260, 168)         # 3900 x 2520
WARNING_PICTURE = (144, 160, 32, 32)
SYNC_BUTTON = (176, 165, 121, 25)
DIALOG_OK = (40, 136, 81, 25)
DIALOG_DETAILS = (136, 136, 81, 25)


def scale_of(window, table_size):
    """The window's factor over the table; it never shrinks, and grows
    both ways alike."""
    scale = window[3] / table_size[0]
    check(scale >= 1 and window[4] >= table_size[1], f"window {window[3:]} is smaller than the table's {table_size}")
    check(abs(window[4] - table_size[1] * scale) <= 2, f"window {window[3:]} is not the table {table_size} scaled")
    return scale


def scaled(box, scale):
    x, y, w, h = box
    return round(x * scale), round(y * scale), round(w * scale), round(h * scale)


def main_place(window, box):
    return scaled(box, scale_of(window, MAIN_SIZE))


def dialog_place(window, box):
    return scaled(box, scale_of(window, DIALOG_SIZE))


def centre(box):
    x, y, w, h = box
    return x + w // 2, y + h // 2


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(what, predicate, timeout=60.0):
    try:
        return harness.wait_until(what, predicate, timeout)
    except harness.TimedOut as timed_out:
        raise Failure(str(timed_out)) from None


# ---- Xvfb ------------------------------------------------------------------------

def xvfb_run(command, inside=False):
    """As root, in namespaces of its own, so the screen shares nothing with
    other tests' screens; otherwise on a shared /tmp."""
    if os.geteuid() == 0:
        if not inside:
            return harness.enter([os.path.abspath(__file__), "xvfb-run", *command])
        harness.require_own_namespaces()
        harness.run("ip", "link", "set", "lo", "up")
        harness.private_x_directories()
    with harness.Xvfb(private=os.geteuid() == 0) as screen:
        return subprocess.run(command, env=screen.env).returncode


# ---- The screen, through xdotool, xprop and ImageMagick -------------------------

class Screen:
    def __init__(self, display):
        self.env = dict(os.environ, DISPLAY=display)

    def run(self, *command):
        """A tool's output; "" when it hangs (xdotool can, while windows come and go)."""
        try:
            return subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=5).stdout
        except subprocess.TimeoutExpired:
            print(f"hung: {' '.join(command)}", file=sys.stderr)
            return ""

    def windows(self):
        """The program's mapped windows: {role: (id, x, y, width, height)}."""
        found = {}
        for wid in self.run("xdotool", "search", "--onlyvisible", "--name", "^Hostwarden$").split():
            role = self.run("xprop", "-id", wid, "WM_WINDOW_ROLE").partition("=")[2].strip().strip('"')
            geometry = dict(line.split("=", 1) for line in
                            self.run("xdotool", "getwindowgeometry", "--shell", wid).split() if "=" in line)
            if "WIDTH" in geometry:
                found[role] = (wid, int(geometry["X"]), int(geometry["Y"]),
                               int(geometry["WIDTH"]), int(geometry["HEIGHT"]))
        return found

    def wait_for_windows(self, roles, timeout=60.0):
        """Waits until exactly these roles are on screen."""
        seen = {}

        def exactly_these():
            seen["last"] = self.windows()
            return seen["last"] if set(seen["last"]) == set(roles) else None

        try:
            return wait_until(f"windows {sorted(roles)}", exactly_these, timeout)
        except Failure as failure:
            raise Failure(f"{failure}; on screen: {seen.get('last')}") from None

    def click(self, window, point):
        self.run("xdotool", "mousemove", "--window", window[0], str(point[0]), str(point[1]))
        time.sleep(0.1)
        self.run("xdotool", "click", "1")

    def key_over(self, window, key):
        """A key press; without a window manager the keyboard follows the pointer."""
        self.run("xdotool", "mousemove", "--window", window[0], str(window[3] - 3), "3")
        time.sleep(0.1)
        self.run("xdotool", "key", key)

    def tooltip_shown(self):
        """GTK's tooltip: a mapped override-redirect window other than the
        program's own windows (GDK names it after the program, not its
        title)."""
        for line in self.run("xwininfo", "-root", "-children").splitlines():
            fields = line.split()
            if not fields or not fields[0].startswith("0x") or fields[1:2] == ['"Hostwarden":']:
                continue
            info = self.run("xwininfo", "-id", fields[0])
            if "IsViewable" in info and "Override Redirect State: yes" in info and "Width: 1\n" not in info:
                return True
        return False

    def property(self, window, name):
        return self.run("xprop", "-id", window[0], name)

    def icon_sizes(self, window):
        text = self.run("xprop", "-id", window[0], "_NET_WM_ICON")
        return [size for size in ("32 x 32", "16 x 16") if f"Icon ({size})" in text]

    def hover(self, window, point):
        self.run("xdotool", "mousemove", "--window", window[0], str(point[0] - 1), str(point[1]))
        time.sleep(0.1)
        self.run("xdotool", "mousemove", "--window", window[0], str(point[0]), str(point[1]))

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True, timeout=20)

    def pixels(self, window):
        """The window's pixels as rows of (r, g, b)."""
        data = subprocess.run(["import", "-window", window[0], "-depth", "8", "ppm:-"], env=self.env,
                              capture_output=True, check=True, timeout=20).stdout
        fields, at = [], 0
        while len(fields) < 4:  # P6, width, height, maximum
            while data[at:at + 1].isspace():
                at += 1
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[at:end])
            at = end
        width, height = int(fields[1]), int(fields[2])
        body = data[at + 1:]
        return [[tuple(body[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
                for y in range(height)]


def count_pixels(pixels, box, predicate):
    x0, y0, w, h = box
    return sum(1 for y in range(y0, y0 + h) for x in range(x0, x0 + w) if predicate(pixels[y][x]))


def warning_picture_shown(pixels, main):
    """The picture's red at its place: 32 pixels at 100%, grown in whole
    multiples (or by the desktop's scale), from the place's top-left corner."""
    return count_pixels(pixels, main_place(main, WARNING_PICTURE), lambda p: p == (255, 0, 0)) > 100


def sync_button_enabled(pixels, main):
    """Enabled captions are drawn in the theme's dark text colour; disabled
    ones grey."""
    x, y, w, h = main_place(main, SYNC_BUTTON)
    inside = (x + 6, y + 5, w - 12, h - 10)
    return count_pixels(pixels, inside, lambda p: max(p) < 80) > 15


def message_ok(box):
    """The message dialog's OK: its button row spans the bottom."""
    return box[3] // 2, box[4] - 12


# A display that no server serves: the socket of :99 exists neither in our
# private /tmp/.X11-unix nor in the abstract namespace of our own network.
NO_DISPLAY = ":99"


# The user's locale for each language the program speaks: C (no language
# named) gets German, as a German one would.
LOCALES = {"de": "C.UTF-8", "en": "en_US.UTF-8"}


def compiled_locale(work, name):
    """The folder (for LOCPATH) holding locale `name`, compiled from the C
    library's sources (package locales): GTK sets the user's locale and
    warns on standard error where the machine lacks it, which would
    muddle what the program itself says there."""
    folder = os.path.join(work, "locales")
    if not os.path.isdir(os.path.join(folder, name)):
        os.makedirs(folder, mode=0o755, exist_ok=True)
        source, charset = name.split(".")
        subprocess.run(["localedef", "-i", source, "-f", charset, os.path.join(folder, name)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        check(os.path.isdir(os.path.join(folder, name)), f"localedef made no {name} (package locales)")
    return folder


class Program:
    def __init__(self, path, arguments, work, display, as_nobody, trace_loading=False, desktop=None, language="de"):
        """`desktop`: what the desktop session adds to the environment (its
        scale, theme, session bus, Wayland display); a None value unsets.
        `language`: the user's (LOCALES)."""
        self.path, self.work, self.as_nobody, self.language = path, work, as_nobody, language
        self.desktop = desktop or {}
        self.output = tempfile.mktemp(prefix="program-", suffix=".out", dir=work)
        home = tempfile.mkdtemp(dir=work)
        os.chmod(home, 0o777)
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DISPLAY": display, "HOME": home,
               "LANG": LOCALES[language]}
        if language != "de":
            env["LOCPATH"] = compiled_locale(work, LOCALES[language])
        env.update(self.desktop)
        env = {key: value for key, value in env.items() if value is not None}
        command = [path] + arguments
        if as_nobody:
            uid = NOBODY if as_nobody is True else as_nobody  # or another user's id
            self.path = harness.runnable_by_everyone(path, work)
            command = ["setpriv", f"--reuid={uid}", f"--regid={uid}", "--clear-groups", "--", self.path] + arguments
            # A session's runtime directory of its own, as a desktop gives
            # one: without it the user's instance lock would lie in the
            # /tmp that cases running side by side share.
            runtime = tempfile.mkdtemp(dir=work)
            os.chown(runtime, uid, uid)
            env["XDG_RUNTIME_DIR"] = runtime
        if trace_loading:
            env["LD_DEBUG"] = "files"  # the loader names every library it maps, on stderr
        with open(self.output, "w") as out:
            self.process = subprocess.Popen(command, env=env, stdout=out, stderr=subprocess.STDOUT,
                                            preexec_fn=harness.end_with_parent)

    def exit_status(self, timeout=60):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def running(self):
        return self.process.poll() is None

    def another(self, arguments, display, trace_loading=False, language=None):
        """A second start of the same program, as the same user on the same
        desktop (in the same language, unless told another)."""
        return Program(self.path, arguments, self.work, display, self.as_nobody, trace_loading, self.desktop,
                       language or self.language)

    def libraries_loaded(self):
        """The libraries the loader mapped (with trace_loading)."""
        return re.findall(r"file=(\S+)\s+\[\d+\];", open(self.output).read())

    def stop(self):
        if self.running():
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def read_hostname_file():
    with open("/etc/hostname") as f:
        return f.read().strip()


def check_running_name_kept():
    """A rename takes effect at the next start: the running name stays."""
    check(socket.gethostname() == HOST_NAME,
          f"the running name is {socket.gethostname()!r}, not {HOST_NAME!r} until the next start")


# ---- Scenarios -----------------------------------------------------------------------
# Each gets the screen, the running program and a function saving a screenshot.

def expect_main_window_with_warning(screen, windows):
    main = windows["Form1"]
    scale_of(main, MAIN_SIZE)
    pixels = screen.pixels(main)
    check(warning_picture_shown(pixels, main), "the warning picture is not shown")
    check(sync_button_enabled(pixels, main), "'Namen synchronisieren' is not enabled")
    return main


def confirm_success_and_end(screen, program, shot, name, behind):
    """The success message, with the window `behind` still on screen; OK ends
    the program, and the private /etc/hostname holds the DNS short name."""
    box = screen.wait_for_windows({behind, "MsgBox"})["MsgBox"]
    shot(f"{name}-success-message")
    screen.click(box, message_ok(box))
    check(program.exit_status() == 0, "the program did not end with status 0 after the message")
    check(read_hostname_file() == DNS_SHORT_NAME,
          f"/etc/hostname holds {read_hostname_file()!r}, not {DNS_SHORT_NAME!r}")


def normal_mismatch(screen, program, shot):
    windows = screen.wait_for_windows({"Form1"})
    main = expect_main_window_with_warning(screen, windows)
    check(screen.icon_sizes(main) == ["32 x 32", "16 x 16"], "the main window lacks its icons")
    shot("normal-mismatch-main")
    screen.hover(main, centre(main_place(main, SYNC_BUTTON)))
    wait_until("the button's tooltip", screen.tooltip_shown)
    shot("normal-mismatch-tooltip")
    # The button has the focus: Space runs the synchronise command.
    screen.key_over(main, "space")
    confirm_success_and_end(screen, program, shot, "normal-mismatch", "Form1")


def quiet_mismatch_details(screen, program, shot):
    windows = screen.wait_for_windows({"frm_Info"})
    dialog = windows["frm_Info"]
    scale_of(dialog, DIALOG_SIZE)
    expect_dialog_in_the_window_switcher(screen, dialog)
    shot("quiet-mismatch-dialog")
    screen.click(dialog, centre(dialog_place(dialog, DIALOG_DETAILS)))
    windows = screen.wait_for_windows({"Form1"})
    main = expect_main_window_with_warning(screen, windows)
    shot("quiet-mismatch-details-main")
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    confirm_success_and_end(screen, program, shot, "quiet-mismatch-details", "Form1")


def expect_dialog_in_the_window_switcher(screen, dialog):
    """A dialog to the window manager, and in the taskbar, so a desktop's
    Alt+Tab keeps it (GNOME leaves skip-taskbar windows out)."""
    check("_NET_WM_WINDOW_TYPE_DIALOG" in screen.property(dialog, "_NET_WM_WINDOW_TYPE"),
          "the warning dialog is not a dialog to the window manager")
    check("SKIP_TASKBAR" not in screen.property(dialog, "_NET_WM_STATE"), "the warning dialog skips the taskbar")


def quiet_enter_syncs(screen, program, shot):
    """The dialog's focus starts on OK: Escape does nothing, Enter presses
    OK at once."""
    dialog = screen.wait_for_windows({"frm_Info"})["frm_Info"]
    screen.key_over(dialog, "Escape")
    time.sleep(0.5)
    check(set(screen.windows()) == {"frm_Info"} and program.running(), "Escape closed the dialog")
    screen.key_over(dialog, "Return")
    confirm_success_and_end(screen, program, shot, "quiet-enter", "frm_Info")


def ipv6_only_mismatch(screen, program, shot):
    """An IPv6-only PC: its IPv6 name decides; the warning shows, and the
    rename, confirmed by the name's AAAA record, sets the DNS short name."""
    windows = screen.wait_for_windows({"Form1"})
    expect_main_window_with_warning(screen, windows)
    shot("ipv6-only-mismatch-main")
    screen.key_over(windows["Form1"], "space")
    confirm_success_and_end(screen, program, shot, "ipv6-only-mismatch", "Form1")


def quiet_ok_syncs(screen, program, shot, host):
    dialog = screen.wait_for_windows({"frm_Info"})["frm_Info"]
    log = host.system_log()
    screen.click(dialog, centre(dialog_place(dialog, DIALOG_OK)))
    confirm_success_and_end(screen, program, shot, "quiet-ok", "frm_Info")
    # The run ended from inside a window's event and still logged its verdict.
    entry = log.wait_for_entries(1)[0]
    check(" hostwarden[" in entry and "verdict=mismatch" in entry and " nameSet=yes " in entry,
          f"the run's entry in the system log: {entry!r}")


def sync_without_rights(screen, program, shot):
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    box = screen.wait_for_windows({"Form1", "MsgBox"})["MsgBox"]
    shot("sync-without-rights-message")
    screen.click(box, message_ok(box))
    screen.wait_for_windows({"Form1"})
    check(read_hostname_file() == HOST_NAME, "the host name file changed without rights")
    # Still running and usable: the button asks again.
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    screen.wait_for_windows({"Form1", "MsgBox"})
    check(program.running(), "the program ended after the rights message")


def sync_not_confirmed(screen, program, shot):
    """The PTR name has no A record: the stop message instead of a rename,
    and the program ends after it."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    expect_main_window_with_warning(screen, {"Form1": main})
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    box = screen.wait_for_windows({"Form1", "MsgBox"})["MsgBox"]
    shot("sync-not-confirmed-message")
    screen.click(box, message_ok(box))
    check(program.exit_status() == 0, "the program did not end with status 0 after the message")
    check(read_hostname_file() == HOST_NAME, f"/etc/hostname changed to {read_hostname_file()!r}")


def outside_campus_normal(screen, program, shot):
    main = screen.wait_for_windows({"Form1"})["Form1"]
    pixels = screen.pixels(main)
    shot("outside-campus-main")
    check(not warning_picture_shown(pixels, main), "the warning picture is shown for a provider's name")
    check(not sync_button_enabled(pixels, main), "'Namen synchronisieren' is enabled for a provider's name")


def normal_agree(screen, program, shot):
    main = screen.wait_for_windows({"Form1"})["Form1"]
    pixels = screen.pixels(main)
    shot("normal-agree-main")
    check(not warning_picture_shown(pixels, main), "the warning picture is shown although the names agree")
    check(not sync_button_enabled(pixels, main), "'Namen synchronisieren' is enabled although the names agree")


def quiet_agree(screen, program, shot):
    check(program.exit_status() == 0, "quiet mode did not end with status 0 when the names agree")
    check(not screen.windows(), "quiet mode showed a window although the names agree")


WINDOW_LIBRARIES = re.compile(r"(hostwarden-windows\.so|libgtk-3|libgdk-3|libX11|libwayland)")


def check_no_windows_loaded(program, what):
    """Ended with 0 on a display that does not exist, without the window
    module or X11 ever mapped: the quiet mode touched neither."""
    status = program.exit_status()
    output = open(program.output).read()
    check(status == 0, f"{what}: ended with {status} without a display:\n{output[-2000:]}")
    loaded = [library for library in program.libraries_loaded() if WINDOW_LIBRARIES.search(library)]
    check(program.libraries_loaded(), f"{what}: the loader's trace is missing")
    check(not loaded, f"{what}: loaded {loaded}")


def quiet_agree_without_display(screen, program, shot):
    check_no_windows_loaded(program, "quiet mode with agreeing names")


def quiet_second_instance_without_display(screen, program, shot):
    """The first instance shows its main window; a quiet second start ends
    at once, without the screen: had it missed the first one, it would have
    found the mismatch and needed the display for its dialog."""
    screen.wait_for_windows({"Form1"})
    second = program.another(["-Q"], NO_DISPLAY, trace_loading=True)
    check_no_windows_loaded(second, "a quiet second instance")
    check(program.running(), "the first instance ended")


def hostnamed_sync(screen, program, shot, service):
    """Root renames where the host-name service runs: the service reports
    the new static name, read from the private /etc/hostname, and the
    desktop keeps its running name until the next start."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    confirm_success_and_end(screen, program, shot, "hostnamed-sync", "Form1")
    check(service.static_hostname() == DNS_SHORT_NAME,
          f"the service's static name is {service.static_hostname()!r}, not {DNS_SHORT_NAME!r}")
    check_running_name_kept()


def hostnamed_without_rights(screen, program, shot, service):
    """Nobody, with no polkit to let pkexec run the copy, gets the rights
    message, and the service keeps its name."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    box = screen.wait_for_windows({"Form1", "MsgBox"})["MsgBox"]
    shot("hostnamed-without-rights-message")
    screen.click(box, message_ok(box))
    screen.wait_for_windows({"Form1"})
    check(service.static_hostname() == HOST_NAME, f"the service's static name is {service.static_hostname()!r}")
    check(read_hostname_file() == HOST_NAME, "the host name file changed without rights")
    check_running_name_kept()


def quiet_mismatch_without_display(screen, program, shot):
    """A quiet log-on that finds a mismatch and cannot open its display:
    the verdict's exit status, one line in the user's language, and the
    entry in the system log, which says nothing was shown."""
    status = program.exit_status()
    output = open(program.output).read()
    check(status == 1, f"ended with {status}, not the mismatch's 1:\n{output[-2000:]}")
    said = texts.english("NoDisplay") if program.language == "en" else texts.german("NoDisplay")
    check(output.splitlines() == ["hostwarden: " + said], f"standard error: {output!r}")
    entry = program.log.wait_for_entries(1)[0]
    check(" hostwarden[" in entry and "verdict=mismatch" in entry and " nameSet=no " in entry
          and entry.endswith(" shown=no"),
          f"the run's entry in the system log: {entry!r}")


def wait_for_the_copys_entry(program):
    """The copy that pkexec ran as root writes its own log entry."""
    seen = []

    def copy_logged():
        seen.extend(program.log.entries())
        return any(" hostwarden[" in entry and "verdict=renamed" in entry and " nameSet=yes " in entry
                   for entry in seen)

    try:
        harness.wait_until("the copy's log entry", copy_logged, 30)
    except harness.TimedOut:
        raise Failure(f"no verdict=renamed entry from the copy: {seen!r}")


def polkit_user_renames(screen, program, shot, service):
    """A user whom polkit would let set the host name through hostnamed
    renames from the window through pkexec's copy all the same (a Red Hat
    hosts file, so only /etc/hostname changes): the service reads the new
    static name, and the running name stays until the next start, as the
    success message says."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    confirm_success_and_end(screen, program, shot, "polkit-user-renames", "Form1")
    check(service.static_hostname() == DNS_SHORT_NAME,
          f"the service's static name is {service.static_hostname()!r}, not {DNS_SHORT_NAME!r}")
    check_running_name_kept()
    wait_for_the_copys_entry(program)


def polkit_hostnamed_rule_alone_renames_nothing(screen, program, shot, service):
    """A user whom polkit lets set the host name through hostnamed, but not
    run programs as root: hostnamed is never asked, pkexec refuses, the
    rights message shows, nothing is renamed, and the window stays."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    box = screen.wait_for_windows({"Form1", "MsgBox"})["MsgBox"]
    shot("polkit-hostnamed-rule-alone-message")
    screen.click(box, message_ok(box))
    screen.wait_for_windows({"Form1"})
    check(program.running(), "the program ended after the rights message")
    check(service.static_hostname() == HOST_NAME, f"the service's static name is {service.static_hostname()!r}")
    check(read_hostname_file() == HOST_NAME, "the host name file changed without rights")
    check_running_name_kept()
    output = open(program.output).read()
    check("authentication agent" in output or "Not authorized" in output, f"pkexec did not refuse: {output!r}")


def read_hosts_file():
    with open("/etc/hosts") as f:
        return f.read()


def pkexec_user_renames(screen, program, shot, service):
    """A user whom polkit lets run programs as root (pkexec's own action)
    renames a Debian host from the window: the program's copy runs as root
    through pkexec and renames all of it, the hosts file's 127.0.1.1 line
    too, while the running name stays until the next start; the copy writes
    its own log entry."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    confirm_success_and_end(screen, program, shot, "pkexec-user-renames", "Form1")
    check(service.static_hostname() == DNS_SHORT_NAME,
          f"the service's static name is {service.static_hostname()!r}, not {DNS_SHORT_NAME!r}")
    hosts = read_hosts_file()
    check(f"127.0.1.1\t{DNS_NAME}\t{DNS_SHORT_NAME}\n" in hosts and HOST_NAME not in hosts,
          f"the hosts file does not name the new host (full and short) alone:\n{hosts}")
    check_running_name_kept()
    wait_for_the_copys_entry(program)


def pkexec_quiet_ok_renames(screen, program, shot, service):
    """The quiet log-on's warning dialog: OK goes through pkexec as the
    button does, and the hosts line follows."""
    dialog = screen.wait_for_windows({"frm_Info"})["frm_Info"]
    screen.click(dialog, centre(dialog_place(dialog, DIALOG_OK)))
    confirm_success_and_end(screen, program, shot, "pkexec-quiet-ok", "frm_Info")
    hosts = read_hosts_file()
    check(f"127.0.1.1\t{DNS_NAME}\t{DNS_SHORT_NAME}\n" in hosts, f"the hosts file:\n{hosts}")
    check_running_name_kept()


def pkexec_refuses_another_user(screen, program, shot, service):
    """Another user, whom polkit lets run nothing as root: pkexec refuses,
    the rights message shows, and neither the name nor the hosts file changes."""
    hosts_before = read_hosts_file()
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    box = screen.wait_for_windows({"Form1", "MsgBox"})["MsgBox"]
    shot("pkexec-refuses-another-user-message")
    screen.click(box, message_ok(box))
    screen.wait_for_windows({"Form1"})
    # The rename-failure message would have ended the program.
    check(program.running(), "the program ended: not the rights message")
    check(service.static_hostname() == HOST_NAME, f"the service's static name is {service.static_hostname()!r}")
    check(read_hostname_file() == HOST_NAME, "the host name file changed without rights")
    check(read_hosts_file() == hosts_before, "the hosts file changed without rights")
    check_running_name_kept()
    # pkexec was asked: with no agent to ask the user it says so on the
    # program's standard error (and exits 127).
    output = open(program.output).read()
    check("authentication agent" in output or "Not authorized" in output, f"pkexec did not refuse: {output!r}")


SQUATTER = r"""
import os, socket, sys, time
# What another user can try: take root's old instance name (an abstract
# socket) and plant root's lock file; then wait.
held = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
held.bind("\0hostwarden-0")
try:
    os.close(os.open("/run/hostwarden.lock", os.O_CREAT | os.O_RDWR, 0o666))
except OSError:
    pass
print("ready", flush=True)
time.sleep(600)
"""


def start_squatter():
    """Another user's process that tries to pass for root's running instance."""
    squatter = subprocess.Popen(["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups", "--",
                                 sys.executable, "-c", SQUATTER], stdout=subprocess.PIPE, text=True,
                                preexec_fn=harness.end_with_parent)
    check(squatter.stdout.readline().strip() == "ready", "the other user's process did not start")
    return squatter


# The warning dialog's texts as a reader meets them: the heading, the three
# sentences, the two buttons.
DIALOG_TEXTS = ("DialogHeading", "DialogNamesDiffer", "DialogAgainstRules", "DialogClickOk", "ButtonOk",
                "DialogDetails")


def read_dialog(bus):
    """The texts of the shown warning dialog, in the order a reader meets them."""
    tree = bus.read()
    check([(w["role"], w["showing"]) for w in tree] == [("alert", True)], f"windows: {tree}")
    return [n["name"] for n in walk(tree[0]) if n["role"] in ("label", "push button")]


def dialog_follows_the_users_language(screen, program, shot, bus):
    """The warning dialog of a German user, then of an English one: every
    text in the user's language, as the catalogue has it; OK then renames
    and says so in English, on an OK button of the catalogue's."""
    screen.wait_for_windows({"frm_Info"})
    german = read_dialog(bus)
    check(german == [texts.german(name) for name in DIALOG_TEXTS], f"the German user's dialog reads {german}")
    shot("dialog-german")
    program.stop()
    english_program = program.another(["-Q"], screen.env["DISPLAY"], language="en")
    try:
        dialog = screen.wait_for_windows({"frm_Info"})["frm_Info"]
        english = read_dialog(bus)
        check(english == [texts.english(name) for name in DIALOG_TEXTS], f"the English user's dialog reads {english}")
        shot("dialog-english")
        screen.click(dialog, centre(dialog_place(dialog, DIALOG_OK)))
        screen.wait_for_windows({"frm_Info", "MsgBox"})
        said = texts.english("NameSet").split("\r\n")
        boxes = [[n["name"] for n in walk(w) if n["role"] in ("label", "push button")]
                 for w in bus.read() if w["role"] == "alert"]
        check(any(said[0] in " ".join(names) and texts.english("ButtonOk") in names for names in boxes),
              f"no English success message: {boxes}")
        confirm_success_and_end(screen, english_program, shot, "dialog-english", "frm_Info")
    finally:
        english_program.stop()


def another_user_cannot_stop_the_check(screen, program, shot):
    """Root's quiet check runs and shows its dialog although another user's
    process holds what root's instance used to hold."""
    screen.wait_for_windows({"frm_Info"})
    check(not os.path.exists("/run/hostwarden.lock") or os.stat("/run/hostwarden.lock").st_uid == 0,
          "another user planted root's lock file")


# ---- What screen readers get, the desktop's scale and theme, Wayland -----------------

READ_ACCESSIBLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "read_accessible.py")


class AccessibilityBus:
    """A session bus (dbus-launch) with the accessibility bus on it, as a
    desktop session starts them; a screen reader reads what programs
    started with `env` put there."""

    def __init__(self, display, work):
        self.display = display
        # The accessibility bus's socket goes to the runtime directory, else
        # to ~/.cache/at-spi, which cases running side by side would share.
        self.runtime = tempfile.mkdtemp(dir=work)
        os.chmod(self.runtime, 0o700)

    def __enter__(self):
        env = dict(os.environ, DISPLAY=self.display, XDG_RUNTIME_DIR=self.runtime)
        out = subprocess.run(["dbus-launch", "--sh-syntax"], env=env, capture_output=True, text=True,
                             check=True).stdout
        values = dict(re.findall(r"^(DBUS_SESSION_BUS_\w+)='?([^';]*)'?;", out, re.M))
        self.address, self.daemon = values["DBUS_SESSION_BUS_ADDRESS"], int(values["DBUS_SESSION_BUS_PID"])
        self.env = {"DBUS_SESSION_BUS_ADDRESS": self.address}
        self.launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                         env=dict(env, **self.env), stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL, preexec_fn=harness.end_with_parent)
        time.sleep(0.5)
        return self

    def read(self, application="hostwarden"):
        """The application's shown windows as a reader finds them."""
        done = subprocess.run(["/usr/bin/python3", READ_ACCESSIBLE, application, "20"], capture_output=True,
                              text=True, env=dict(os.environ, DISPLAY=self.display, **self.env), timeout=60)
        check(done.returncode == 0, f"no window of {application} on the accessibility bus: {done.stderr[-2000:]}")
        return json.loads(done.stdout)

    def __exit__(self, *exc):
        self.launcher.terminate()
        self.launcher.wait()
        try:
            os.kill(self.daemon, signal.SIGTERM)
        except OSError:
            pass


def walk(node):
    yield node
    for child in node["children"]:
        yield from walk(child)


def found(tree, role, name):
    nodes = [n for window in tree for n in walk(window) if n["role"] == role and n["name"] == name]
    check(nodes, f"no {role} named {name!r}: " + ", ".join(f"{n['role']}:{n['name']}" for w in tree for n in walk(w)))
    return nodes[0]


def screen_reader_main_window(screen, program, shot, bus):
    """Every control with its role and name; the fields named by their
    captions and related to them; the warning picture says what it warns of."""
    screen.wait_for_windows({"Form1"})
    tree = bus.read()
    check([w["role"] for w in tree] == ["frame"] and tree[0]["name"] == "Hostwarden", f"windows: {tree}")
    caption = {name: texts.german(name) for name in (
        "WindowSystem", "WindowIeVersion", "WindowUserName", "WindowConnection", "WindowComputerName",
        "WindowNetbiosName", "WindowDnsHostName", "WindowAddresses")}
    for text in caption.values():
        found(tree, "label", text)
    for role, name, label in (("text", caption["WindowComputerName"], caption["WindowComputerName"]),
                              ("text", caption["WindowNetbiosName"], caption["WindowNetbiosName"]),
                              ("text", caption["WindowDnsHostName"], caption["WindowDnsHostName"]),
                              ("combo box", caption["WindowAddresses"], caption["WindowAddresses"]),
                              ("label", "root", caption["WindowUserName"]),
                              ("label", "LAN", caption["WindowConnection"])):
        node = found(tree, role, name)
        check(node["labelled_by"] == [label], f"{role} {name!r} is labelled by {node['labelled_by']}")
    check(found(tree, "text", caption["WindowComputerName"])["text"] == HOST_NAME,
          "the computer name's field does not read ws-17")
    check(found(tree, "text", caption["WindowDnsHostName"])["text"] == DNS_NAME, "the DNS name's field")
    check(found(tree, "push button", texts.german("WindowSyncButton"))["focusable"], "the button cannot take the focus")
    found(tree, "icon", texts.german("WindowWarningPicture"))


def screen_reader_warning_dialog(screen, program, shot, bus):
    """The warning dialog is an alert, shown, and a reader meets its texts
    in the order they are seen, before its buttons; the message box after
    OK is an alert too."""
    dialog = screen.wait_for_windows({"frm_Info"})["frm_Info"]
    tree = bus.read()
    check([(w["role"], w["name"], w["showing"]) for w in tree] == [("alert", "Hostwarden", True)], f"windows: {tree}")
    read = [n["name"] for n in walk(tree[0]) if n["role"] in ("label", "push button")]
    check(read == [texts.german(name) for name in DIALOG_TEXTS], f"read in the order {read}")
    screen.click(dialog, centre(dialog_place(dialog, DIALOG_OK)))
    screen.wait_for_windows({"frm_Info", "MsgBox"})
    boxes = [w for w in bus.read() if w["role"] == "alert" and any(
        n["name"].startswith(texts.german("NameSet").split("\r\n")[0]) for n in walk(w))]
    check(boxes, "the success message is not an alert with its text")
    confirm_success_and_end(screen, program, shot, "screen-reader", "frm_Info")


def scaled_desktop(screen, program, shot):
    """GDK_SCALE=2: everything twice as large on screen, the layout the
    same; the button is where the table says, twice over."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    check(main[3] >= 2 * MAIN_SIZE[0] and main[4] >= 2 * MAIN_SIZE[1], f"main window {main[3:]} at 200%")
    expect_main_window_with_warning(screen, {"Form1": main})
    shot("scaled-200-main")
    screen.click(main, centre(main_place(main, SYNC_BUTTON)))
    confirm_success_and_end(screen, program, shot, "scaled-200", "Form1")


def large_text(screen, program, shot):
    """The desktop's text twice the size: the window grows with it rather
    than shrink or clip a text."""
    dialog = screen.wait_for_windows({"frm_Info"})["frm_Info"]
    check(scale_of(dialog, DIALOG_SIZE) >= 1.9, f"the dialog {dialog[3:]} did not grow with the text")
    shot("large-text-dialog")
    screen.click(dialog, centre(dialog_place(dialog, DIALOG_DETAILS)))
    main = screen.wait_for_windows({"Form1"})["Form1"]
    check(scale_of(main, MAIN_SIZE) >= 1.9, f"the main window {main[3:]} did not grow with the text")
    expect_main_window_with_warning(screen, {"Form1": main})
    shot("large-text-main")


def desktop_dpi_192(screen, program, shot):
    """The desktop's resolution at 192 dpi (Xft.dpi, as a desktop sets it
    for 200 % text): the window grows with the text."""
    dialog = screen.wait_for_windows({"frm_Info"})["frm_Info"]
    check(scale_of(dialog, DIALOG_SIZE) >= 1.9, f"the dialog {dialog[3:]} did not grow with the text")
    shot("xft-dpi-192-dialog")


def heading_pixels(screen, dialog):
    x, y, w, h = dialog_place(dialog, (96, 8, 57, 17))  # Label1, "Warnung"
    pixels = screen.pixels(dialog)
    return [pixels[j][i] for j in range(y, y + h) for i in range(x, x + w)]


def reddish(p):
    return p[0] > 100 and p[0] > 2 * max(p[1], p[2])


def heading_default_theme(screen, program, shot):
    """In the default theme the heading is red and readable (4.5:1)."""
    dialog = screen.wait_for_windows({"frm_Info"})["frm_Info"]
    shot("default-theme-dialog")
    check(any(reddish(p) for p in heading_pixels(screen, dialog)), "the heading is not red")


def high_contrast_theme(screen, program, shot):
    """In a high-contrast theme the heading takes the theme's text colour."""
    dialog = screen.wait_for_windows({"frm_Info"})["frm_Info"]
    shot("high-contrast-dialog")
    pixels = heading_pixels(screen, dialog)
    check(not any(reddish(p) for p in pixels), "the heading stays red in a high-contrast theme")
    check(any(max(p) < 60 for p in pixels), "the heading is not drawn in the theme's black")
    screen.click(dialog, centre(dialog_place(dialog, DIALOG_DETAILS)))
    screen.wait_for_windows({"Form1"})
    shot("high-contrast-main")


class Weston:
    """A Wayland compositor without a screen and without Xwayland."""

    def __init__(self, work):
        self.runtime = tempfile.mkdtemp(dir=work)
        os.chmod(self.runtime, 0o700)

    def __enter__(self):
        self.socket = "wayland-hostwarden"
        self.log = os.path.join(self.runtime, "weston.log")
        self.process = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", f"--socket={self.socket}", "--idle-time=0",
             f"--log={self.log}"],
            env=dict(os.environ, XDG_RUNTIME_DIR=self.runtime), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=harness.end_with_parent)
        wait_until("weston's socket", lambda: os.path.exists(os.path.join(self.runtime, self.socket)), 30)
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait()


def wayland_dialog(screen, program, shot):
    """Only a Wayland display: the dialog's window is made and configured by
    the compositor (the protocol as the program's Wayland client logs it)."""
    def configured():
        text = open(program.output, errors="replace").read()
        return 'xdg_toplevel@' in text and 'set_title("Hostwarden")' in text and "ack_configure" in text
    try:
        harness.wait_until("the dialog's toplevel configured", configured, 30)
    except harness.TimedOut:
        raise Failure("no configured toplevel: " + open(program.output, errors="replace").read()[-3000:])
    check(program.running(), "the program ended")
    check(not screen.windows(), "a window appeared on the X screen")


SCENARIOS = {
    # name: (function, arguments, host name, run as nobody[, options]); options:
    # "no display" starts the program on NO_DISPLAY and traces what it
    # loads.
    "normal_mismatch": (normal_mismatch, [], HOST_NAME, False),
    "quiet_mismatch_details": (quiet_mismatch_details, ["-Q"], HOST_NAME, False),
    "quiet_ok_syncs": (quiet_ok_syncs, ["/q"], HOST_NAME, False),
    "quiet_enter_syncs": (quiet_enter_syncs, ["-Q"], HOST_NAME, False),
    "sync_without_rights": (sync_without_rights, [], HOST_NAME, True),
    "normal_agree": (normal_agree, [], DNS_SHORT_NAME, False),
    "quiet_agree": (quiet_agree, ["-Q"], DNS_SHORT_NAME, False),
    "sync_not_confirmed": (sync_not_confirmed, [], HOST_NAME, False),
    "outside_campus_normal": (outside_campus_normal, [], HOST_NAME, False),
    "outside_campus_quiet": (quiet_agree, ["-Q"], HOST_NAME, False),  # ends without a window, as on agreement
    "quiet_agree_without_display": (quiet_agree_without_display, ["-Q"], DNS_SHORT_NAME, False, {"no display"}),
    "quiet_second_instance_without_display": (quiet_second_instance_without_display, [], HOST_NAME, False),
    "quiet_mismatch_without_display": (quiet_mismatch_without_display, ["-Q"], HOST_NAME, False,
                                       {"absent display", "system log"}),
    "another_user_cannot_stop_the_check": (another_user_cannot_stop_the_check, ["-Q"], HOST_NAME, False,
                                           {"another user first"}),
    "ipv6_only_mismatch": (ipv6_only_mismatch, [], HOST_NAME, False, {"ipv6 only"}),
    "screen_reader_main_window": (screen_reader_main_window, [], HOST_NAME, False, {"accessibility"}),
    "screen_reader_warning_dialog": (screen_reader_warning_dialog, ["-Q"], HOST_NAME, False, {"accessibility"}),
    "scaled_desktop": (scaled_desktop, [], HOST_NAME, False),
    "large_text": (large_text, ["-Q"], HOST_NAME, False),
    "desktop_dpi_192": (desktop_dpi_192, ["-Q"], HOST_NAME, False, {"xft dpi 192"}),
    "heading_default_theme": (heading_default_theme, ["-Q"], HOST_NAME, False),
    "high_contrast_theme": (high_contrast_theme, ["-Q"], HOST_NAME, False),
    "wayland_dialog": (wayland_dialog, ["-Q"], HOST_NAME, False, {"wayland"}),
    "quiet_mismatch_without_display_english": (quiet_mismatch_without_display, ["-Q"], HOST_NAME, False,
                                               {"absent display", "system log", "english"}),
    "dialog_follows_the_users_language": (dialog_follows_the_users_language, ["-Q"], HOST_NAME, False,
                                          {"accessibility"}),
}
# What the desktop session sets for the program.
DESKTOPS = {
    "scaled_desktop": {"GDK_SCALE": "2"},
    "large_text": {"GDK_DPI_SCALE": "2"},
    "heading_default_theme": {"GTK_THEME": "Adwaita"},
    "high_contrast_theme": {"GTK_THEME": "HighContrast"},
}

# What DNS says in each scenario: the PTR answer, and the address its name
# leads back to (None: no A record). By default the rename is confirmed.
DNS_RECORDS = {
    "sync_not_confirmed": (DNS_NAME, None),
    "outside_campus_normal": (PROVIDER_NAME, OWN_ADDRESS),
    "outside_campus_quiet": (PROVIDER_NAME, OWN_ADDRESS),
}
# Scenarios with the host-name service running: its function takes the service too.
WITH_HOSTNAMED = {
    "hostnamed_sync": (hostnamed_sync, [], HOST_NAME, False),
    "hostnamed_without_rights": (hostnamed_without_rights, [], HOST_NAME, True),
}
# polkit on the same bus. A rule that lets nobody (and only nobody) set the
# static host name through hostnamed, and one that lets nobody run programs
# as root through pkexec as well.
DAEMON = 1
POLKIT_RULE = """polkit.addRule(function(action, subject) {
    if (action.id == "org.freedesktop.hostname1.set-static-hostname" && subject.user == "nobody")
        return polkit.Result.YES;
});
"""
PKEXEC_RULE = """polkit.addRule(function(action, subject) {
    if ((action.id == "org.freedesktop.policykit.exec" ||
         action.id == "org.freedesktop.hostname1.set-static-hostname") && subject.user == "nobody")
        return polkit.Result.YES;
});
"""
# Red Hat's stock hosts file names no host: only /etc/hostname changes.
RED_HAT_HOSTS = ("127.0.0.1   localhost localhost.localdomain localhost4 localhost4.localdomain4\n"
                 "::1         localhost localhost.localdomain localhost6 localhost6.localdomain6\n")
WITH_POLKIT = {
    "polkit_user_renames": (polkit_user_renames, [], HOST_NAME, True, {"system log"}),
    "polkit_hostnamed_rule_alone_renames_nothing": (polkit_hostnamed_rule_alone_renames_nothing, [], HOST_NAME,
                                                    True),
}
# Debian's stock hosts file, whose 127.0.1.1 line follows the name.
DEBIAN_HOSTS = (f"127.0.0.1\tlocalhost\n127.0.1.1\tws-17.uni-falkenau.de\t{HOST_NAME}\n\n"
                "# The following lines are desirable for IPv6 capable hosts\n"
                "::1     localhost ip6-localhost ip6-loopback\nff02::1 ip6-allnodes\nff02::2 ip6-allrouters\n")
WITH_PKEXEC = {
    "pkexec_user_renames": (pkexec_user_renames, [], HOST_NAME, True, {"system log"}),
    "pkexec_quiet_ok_renames": (pkexec_quiet_ok_renames, ["-Q"], HOST_NAME, True),
    "pkexec_refuses_another_user": (pkexec_refuses_another_user, [], HOST_NAME, DAEMON),
}
POLKIT_RULES = {**{name: PKEXEC_RULE for name in WITH_POLKIT}, **{name: PKEXEC_RULE for name in WITH_PKEXEC},
                "polkit_hostnamed_rule_alone_renames_nothing": POLKIT_RULE}
WITH_HOSTNAMED.update(WITH_POLKIT)
WITH_HOSTNAMED.update(WITH_PKEXEC)
SCENARIOS.update(WITH_HOSTNAMED)
HOSTS_FILES = {**{name: RED_HAT_HOSTS for name in WITH_POLKIT}, **{name: DEBIAN_HOSTS for name in WITH_PKEXEC}}
# Every scenario on polkit's bus starts pkexec.
NEEDS_PKEXEC = {**WITH_POLKIT, **WITH_PKEXEC}
# Scenarios whose function takes the test host too (its system log).
WITH_HOST = {"quiet_ok_syncs"}


PKEXEC = "/usr/bin/pkexec"


def require_pkexec():
    """pkexec, set-user-ID root, where the program starts it."""
    try:
        mode = os.stat(PKEXEC).st_mode
    except OSError:
        raise harness.Skipped(f"missing {PKEXEC} (Debian package pkexec)")
    if not mode & stat.S_ISUID:
        raise harness.Skipped(f"{PKEXEC} is not set-user-ID root")


def run_inside(name, program_path, artifacts):
    harness.require_own_namespaces()
    scenario, arguments, host_name, as_nobody, *rest = SCENARIOS[name]
    options = rest[0] if rest else set()
    harness.run("mount", "--make-rprivate", "/")
    os.makedirs(artifacts, exist_ok=True)
    # As Debian's installer writes the hosts file: the address list must
    # still be the interface's address, not 127.0.1.1.
    hosts = HOSTS_FILES.get(name, f"127.0.0.1 localhost\n127.0.1.1 {host_name}\n")
    ipv6_only = "ipv6 only" in options
    network = dict(addresses=(DNS_SERVER,), ipv4_on_lan=False, ipv6=(OWN_IPV6_ADDRESS,)) if ipv6_only else {}
    with harness.Host(hostname=host_name, hosts=hosts, **network) as host:
        # A /run of our own: root's instance lock (/run/hostwarden.lock)
        # shared with no other test.
        harness.run("mount", "-t", "tmpfs", "-o", "size=4m,mode=755", "tmpfs", "/run")
        service = None
        if name in WITH_HOSTNAMED:
            try:
                if name in NEEDS_PKEXEC:
                    require_pkexec()
                service = harness.Hostnamed(host.tmp, polkit_rules=POLKIT_RULES.get(name))
            except harness.Skipped as why:
                print(f"SKIPPED: {why}")
                return harness.SKIP
        try:
            return run_on_screen(name, scenario, arguments, as_nobody, options, host, service, program_path,
                                 artifacts)
        finally:
            if service:
                service.close()


def run_on_screen(name, scenario, arguments, as_nobody, options, host, service, program_path, artifacts):
    ptr_answer, forward_address = DNS_RECORDS.get(name, (DNS_NAME, OWN_ADDRESS))
    forward = [f"--address=/{ptr_answer}/{forward_address}"] if forward_address else []
    ipv6_only = "ipv6 only" in options
    if ipv6_only:  # the IPv6 address's PTR record, and the name's AAAA record
        forward = [f"--ptr-record={IPV6_PTR_NAME},{ptr_answer}", f"--address=/{ptr_answer}/{OWN_IPV6_ADDRESS}"]
    dns_log = host.dnsmasq(DNS_SERVER, f"--ptr-record={PTR_NAME},{ptr_answer}", *forward)
    log = host.system_log() if "system log" in options else None
    squatter = start_squatter() if "another user first" in options else None
    harness.private_x_directories()
    with harness.Xvfb(private=True) as x, contextlib.ExitStack() as session:
        screen = Screen(x.display)
        no_display = "no display" in options
        absent = no_display or "absent display" in options
        desktop = dict(DESKTOPS.get(name, {}))
        bus = session.enter_context(AccessibilityBus(x.display, host.tmp)) if "accessibility" in options else None
        if bus:
            desktop.update(bus.env)
        if "wayland" in options:
            weston = session.enter_context(Weston(host.tmp))
            desktop.update(XDG_RUNTIME_DIR=weston.runtime, WAYLAND_DISPLAY=weston.socket, WAYLAND_DEBUG="client",
                           DISPLAY=None)
        if "xft dpi 192" in options:  # the X resource desktops set for their text scale
            subprocess.run(["xrdb", "-merge"], input="Xft.dpi: 192\n", text=True, env=screen.env, check=True)
        program = Program(program_path, arguments, host.tmp, NO_DISPLAY if absent else x.display, as_nobody,
                          trace_loading=no_display, desktop=desktop,
                          language="en" if "english" in options else "de")
        program.log = log

        def shot(step):
            screen.screenshot(os.path.join(artifacts, f"{step}.png"))

        extra = (service,) if service else (host,) if name in WITH_HOST else (bus,) if bus else ()
        try:
            scenario(screen, program, shot, *extra)
            asked = IPV6_PTR_NAME if ipv6_only else PTR_NAME
            check(any(name.lower() == asked for _, name in dns_log.queries("PTR")), "dnsmasq never got the PTR query")
        except Failure as failure:
            shot(f"{name}-failure")
            program.stop()
            print(f"FAILED: {failure}", file=sys.stderr)
            print(f"X screen {x.display}: Xvfb {'running' if x.running() else 'ended'}", file=sys.stderr)
            print("--- program output ---\n" + open(program.output).read(), file=sys.stderr)
            print("--- dnsmasq ---\n" + dns_log.text(), file=sys.stderr)
            return 1
        finally:
            program.stop()
            if squatter:
                squatter.kill()
                squatter.wait()
    return 0


def run_scenario(name, program_path, artifacts):
    needs = ["unshare", "Xvfb", "xdotool", "xprop", "import", "dnsmasq", "setpriv", "ip"]
    options = (SCENARIOS[name][4:5] or [set()])[0]
    if "accessibility" in options:
        needs += ["dbus-launch", "/usr/libexec/at-spi-bus-launcher"]
    if "wayland" in options:
        needs += ["weston"]
    if "xft dpi 192" in options:
        needs += ["xrdb"]
    missing = [t for t in needs if not shutil.which(t)]
    if "accessibility" in options and subprocess.run(["/usr/bin/python3", "-c", "import pyatspi"],
                                                     capture_output=True).returncode != 0:
        missing.append("pyatspi for /usr/bin/python3 (python3-pyatspi)")
    if missing:
        print("SKIPPED: missing " + " ".join(missing))
        return harness.SKIP
    before = (socket.gethostname(), open("/etc/hostname").read() if os.path.exists("/etc/hostname") else None)
    status = harness.enter([os.path.abspath(__file__), "scenario", name, "--program", os.path.abspath(program_path),
                            "--artifacts", os.path.abspath(artifacts)])
    after = (socket.gethostname(), open("/etc/hostname").read() if os.path.exists("/etc/hostname") else None)
    if before != after:
        print(f"FAILED: the machine's own host name changed: {before} -> {after}", file=sys.stderr)
        return 1
    return status


def main():
    if len(sys.argv) >= 2 and sys.argv[1] == "list":
        print("\n".join(sorted(SCENARIOS)))
        return 0
    if len(sys.argv) >= 3 and sys.argv[1] == "xvfb-run":
        return xvfb_run(sys.argv[2:])
    if len(sys.argv) >= 3 and sys.argv[1] == "--inside" and sys.argv[2] == "xvfb-run":
        return xvfb_run(sys.argv[3:], inside=True)
    parser = argparse.ArgumentParser()
    parser.add_argument("--inside", action="store_true")
    parser.add_argument("mode", choices=["scenario"])
    parser.add_argument("name", choices=sorted(SCENARIOS))
    parser.add_argument("--program", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    if args.inside:
        return run_inside(args.name, args.program, args.artifacts)
    return run_scenario(args.name, args.program, args.artifacts)


if __name__ == "__main__":
    sys.exit(main())
