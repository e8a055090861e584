#!/usr/bin/env python3
"""End-to-end tests of Hostwarden's FLTK windows, driven with xdotool.

  fltk_e2e.py xvfb-run COMMAND...
      Runs COMMAND on an Xvfb screen of its own (96 dpi) and exits with its
      status; as root inside network and mount namespaces of its own.

  fltk_e2e.py scenario NAME --program PATH --artifacts DIR
      Runs the real program in a namespace of its own (network, host name,
      mounts) with a private copy of /etc, an empty /run of its own
      (so the machine can never be renamed), the PC's address
      from 192.0.2.0/24 on a veth interface with the default route, and
      dnsmasq answering the PTR query. Screenshots go
      to DIR. Needs root; exits 77 (skipped) without it.
"""

import argparse
import ctypes
import os
import re
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "integration"))
import hostnamed  # noqa: E402  (the host-name service on a bus of the test's own)
import namespace_host  # noqa: E402

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
SKIPPED = 77

# Pixel places from the window tables (twips / 15 at 96 dpi), client-relative.
MAIN_SIZE = (310, 201)           # 4650 x 3015
DIALOG_SIZE = (260, 168)         # 3900 x 2520
WARNING_PICTURE = (144, 160, 32, 32)
SYNC_BUTTON = (176, 165, 121, 25)
DIALOG_OK = (40, 136, 81, 25)
DIALOG_DETAILS = (136, 136, 81, 25)


def centre(box):
    x, y, w, h = box
    return x + w // 2, y + h // 2


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(what, predicate, timeout=10.0):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(0.05)


# ---- Xvfb ------------------------------------------------------------------------

def private_x_directories():
    """In a mount namespace of our own: empty socket and keymap directories.
    Xvfb servers in different network namespaces all take display :0 and
    would share /tmp/.X11-unix/X0 and /var/lib/xkb/server-0.xkm otherwise."""
    for directory, mode in (("/tmp/.X11-unix", "1777"), ("/var/lib/xkb", "755")):
        os.makedirs(directory, exist_ok=True)
        sh("mount", "-t", "tmpfs", "-o", f"size=4m,mode={mode}", "tmpfs", directory)


class Xvfb:
    """An X screen; Xvfb picks a free display number itself. No reset when the
    last client leaves: each xdotool call is a client, and a connection
    arriving while the server resets is refused. `private`: the screen's
    directories are our own (private_x_directories), so no lock file is
    shared either."""

    def __init__(self, private=False):
        self.private = private

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-dpi", "96",
             "-nolisten", "tcp", "-noreset"] + (["-nolock"] if self.private else []),
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=end_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                self.process.kill()
                raise Failure("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=10)


def xvfb_run(command):
    """As root, in a network and mount namespace of its own, so the screen
    shares nothing with other tests' screens; otherwise on a shared /tmp."""
    private = os.environ.get("HOSTWARDEN_FLTK_PRIVATE_X") == "1"
    if os.geteuid() == 0 and not private:
        return subprocess.run(["unshare", "-n", "-m", "--propagation", "private", sys.executable,
                               os.path.abspath(__file__), "xvfb-run"] + command,
                              env=dict(os.environ, HOSTWARDEN_FLTK_PRIVATE_X="1"),
                              preexec_fn=end_with_parent).returncode
    if private:
        sh("ip", "link", "set", "lo", "up")
        private_x_directories()
    with Xvfb(private) as screen:
        env = dict(os.environ, DISPLAY=screen.display)
        env.pop("HOSTWARDEN_FLTK_PRIVATE_X", None)
        return subprocess.run(command, env=env).returncode


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

    def wait_for_windows(self, roles, timeout=15.0):
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
        """FLTK's tooltip: a mapped, unnamed, override-redirect window."""
        for line in self.run("xwininfo", "-root", "-children").splitlines():
            fields = line.split()
            if not fields or not fields[0].startswith("0x") or "(has no name)" not in line:
                continue
            info = self.run("xwininfo", "-id", fields[0])
            if "IsViewable" in info and "Override Redirect State: yes" in info and "Width: 1\n" not in info:
                return True
        return False

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


def warning_picture_shown(pixels):
    return count_pixels(pixels, WARNING_PICTURE, lambda p: p == (255, 0, 0)) > 100


def sync_button_enabled(pixels):
    """Enabled captions are drawn black; disabled ones grey."""
    x, y, w, h = SYNC_BUTTON
    inside = (x + 6, y + 5, w - 12, h - 10)
    return count_pixels(pixels, inside, lambda p: max(p) < 80) > 15


def message_ok(box):
    """The message box's OK: centred, 12 pixels above the bottom, 23 high."""
    return box[3] // 2, box[4] - 12 - 11


# ---- The namespace -----------------------------------------------------------------

NAMESPACES = ("net", "uts", "mnt")


def namespace_ids():
    return ",".join(os.readlink(f"/proc/self/ns/{kind}") for kind in NAMESPACES)


def refuse_outside_own_namespace(outer_ids):
    """Refuses unless every namespace differs from the one the scenario was
    started in and from PID 1's (where it can be read), and the network
    namespace is a fresh one with nothing but lo."""
    def refuse(reason):
        sys.exit(f"refusing to run: {reason}")

    mine, outer_ids = namespace_ids().split(","), outer_ids.split(",")
    if len(outer_ids) != len(NAMESPACES):
        refuse("not started through 'fltk_e2e.py scenario'")
    for kind, own, outer in zip(NAMESPACES, mine, outer_ids):
        if own == outer:
            refuse(f"the {kind} namespace is the one the scenario was started in")
        try:
            if own == os.readlink(f"/proc/1/ns/{kind}"):
                refuse(f"the {kind} namespace is the machine's own")
        except OSError:
            pass  # PID 1's namespaces may be hidden; the comparison above stands
    interfaces = [name for _, name in socket.if_nameindex()]
    if interfaces != ["lo"]:
        refuse(f"the network namespace is not a fresh one: {interfaces}")


def end_with_parent():
    """In a child before exec: end when the harness ends, however it ends."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def sh(*command):
    subprocess.run(command, check=True, timeout=60)


def private_etc(work, host_name, hosts=None):
    """A copy of /etc over /etc, with our host name, hosts file and DNS server.
    Without our own name in the hosts file (and with no A record at dnsmasq)
    the host name resolves to no address."""
    etc = os.path.join(work, "etc")
    sh("cp", "-a", "/etc", etc)
    for name in ("hostname", "hosts", "resolv.conf"):
        path = os.path.join(etc, name)
        if os.path.lexists(path):
            os.unlink(path)
    with open(os.path.join(etc, "hostname"), "w") as f:
        f.write(host_name + "\n")
    with open(os.path.join(etc, "hosts"), "w") as f:
        # As Debian's installer writes it: the address list must still be the
        # interface's address, not 127.0.1.1.
        f.write(hosts if hosts is not None else f"127.0.0.1 localhost\n127.0.1.1 {host_name}\n")
    with open(os.path.join(etc, "resolv.conf"), "w") as f:
        f.write(f"nameserver {DNS_SERVER}\n")
    nsswitch = os.path.join(etc, "nsswitch.conf")
    lines = open(nsswitch).read().splitlines() if os.path.exists(nsswitch) else []
    lines = [line for line in lines if not line.startswith("hosts:")] + ["hosts: files dns"]
    with open(nsswitch, "w") as f:
        f.write("\n".join(lines) + "\n")
    sh("mount", "--bind", etc, "/etc")
    # A /run of our own: no bus or systemd of the machine's, and root's
    # instance lock (/run/hostwarden.lock) shared with no other test.
    sh("mount", "-t", "tmpfs", "-o", "size=4m,mode=755", "tmpfs", "/run")


def network(host_name, ipv6_only=False):
    """The PC's address on an interface of its own that carries the default
    route, as on a PC in the LAN; the DNS server's on lo. An IPv6-only PC
    has OWN_IPV6_ADDRESS and an IPv6 default route instead."""
    socket.sethostname(host_name)
    sh("ip", "link", "set", "lo", "up")
    sh("ip", "addr", "add", f"{DNS_SERVER}/32", "dev", "lo")
    sh("ip", "link", "add", "lan0", "type", "veth", "peer", "name", "lan0p")
    if not ipv6_only:
        sh("ip", "addr", "add", f"{OWN_ADDRESS}/24", "dev", "lan0")
    sh("ip", "link", "set", "lan0p", "up")
    sh("ip", "link", "set", "lan0", "up")
    if ipv6_only:
        sh("ip", "-6", "addr", "add", f"{OWN_IPV6_ADDRESS}/64", "dev", "lan0", "nodad")
        sh("ip", "-6", "route", "add", "default", "via", "fe80::1", "dev", "lan0")
    else:
        sh("ip", "route", "add", "default", "via", "192.0.2.1", "dev", "lan0", "onlink")


def ptr_query_answered():
    """One PTR query to our own dnsmasq (inside the namespace)."""
    labels = b"".join(bytes([len(p)]) + p.encode() for p in PTR_NAME.split(".")) + b"\0"
    query = struct.pack(">HHHHHH", 0x4857, 0x0100, 1, 0, 0, 0) + labels + struct.pack(">HH", 12, 1)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.settimeout(0.3)
        try:
            s.sendto(query, (DNS_SERVER, 53))
            return s.recv(512)[:2] == b"\x48\x57"
        except OSError:
            return False


def start_dnsmasq(work, ptr_answer, forward_address, ipv6_only=False):
    """dnsmasq naming `ptr_answer` for the PC's address and, unless
    `forward_address` is None, giving that name this address back; for an
    IPv6-only PC the same for its IPv6 address (PTR and AAAA)."""
    log = os.path.join(work, "dnsmasq.log")
    forward = [f"--address=/{ptr_answer}/{forward_address}"] if forward_address else []
    if ipv6_only:
        forward = [f"--ptr-record={IPV6_PTR_NAME},{ptr_answer}", f"--address=/{ptr_answer}/{OWN_IPV6_ADDRESS}"]
    process = subprocess.Popen(
        ["dnsmasq", "--keep-in-foreground", "--no-resolv", "--no-hosts", "--user=root",
         f"--listen-address={DNS_SERVER}", "--bind-interfaces", "--port=53", "--log-queries",
         f"--log-facility={log}", f"--pid-file={os.path.join(work, 'dnsmasq.pid')}",
         f"--ptr-record={PTR_NAME},{ptr_answer}", *forward],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=end_with_parent)
    wait_until("dnsmasq", ptr_query_answered)
    return process, log


# A display that no server serves: the socket of :99 exists neither in our
# private /tmp/.X11-unix nor in the abstract namespace of our own network.
NO_DISPLAY = ":99"


class Program:
    def __init__(self, path, arguments, work, display, as_nobody, trace_loading=False):
        self.path, self.work, self.as_nobody = path, work, as_nobody
        self.output = tempfile.mktemp(prefix="program-", suffix=".out", dir=work)
        home = tempfile.mkdtemp(dir=work)
        os.chmod(home, 0o777)
        command = [path] + arguments
        if as_nobody:
            uid = NOBODY if as_nobody is True else as_nobody  # or another user's id
            command = ["setpriv", f"--reuid={uid}", f"--regid={uid}", "--clear-groups", "--"] + command
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DISPLAY": display, "HOME": home, "LANG": "C.UTF-8"}
        if trace_loading:
            env["LD_DEBUG"] = "files"  # the loader names every library it maps, on stderr
        with open(self.output, "w") as out:
            self.process = subprocess.Popen(command, env=env, stdout=out, stderr=subprocess.STDOUT,
                                            preexec_fn=end_with_parent)

    def exit_status(self, timeout=15):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def running(self):
        return self.process.poll() is None

    def another(self, arguments, display, trace_loading=False):
        """A second start of the same program, as the same user."""
        return Program(self.path, arguments, self.work, display, self.as_nobody, trace_loading)

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


# ---- Scenarios -----------------------------------------------------------------------
# Each gets the screen, the running program and a function saving a screenshot.

def expect_main_window_with_warning(screen, windows):
    main = windows["Form1"]
    check(main[3:] == MAIN_SIZE, f"main window is {main[3:]}, not {MAIN_SIZE}")
    pixels = screen.pixels(main)
    check(warning_picture_shown(pixels), "the warning picture is not shown")
    check(sync_button_enabled(pixels), "'Namen synchronisieren' is not enabled")
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
    screen.hover(main, centre(SYNC_BUTTON))
    wait_until("the button's tooltip", screen.tooltip_shown, timeout=5)
    shot("normal-mismatch-tooltip")
    # The button has the focus: Space runs the synchronise command.
    screen.key_over(main, "space")
    confirm_success_and_end(screen, program, shot, "normal-mismatch", "Form1")


def quiet_mismatch_details(screen, program, shot):
    windows = screen.wait_for_windows({"frm_Info"})
    dialog = windows["frm_Info"]
    check(dialog[3:] == DIALOG_SIZE, f"dialog is {dialog[3:]}, not {DIALOG_SIZE}")
    shot("quiet-mismatch-dialog")
    screen.click(dialog, centre(DIALOG_DETAILS))
    windows = screen.wait_for_windows({"Form1"})
    main = expect_main_window_with_warning(screen, windows)
    shot("quiet-mismatch-details-main")
    screen.click(main, centre(SYNC_BUTTON))
    confirm_success_and_end(screen, program, shot, "quiet-mismatch-details", "Form1")


def ipv6_only_mismatch(screen, program, shot):
    """An IPv6-only PC: its IPv6 name decides; the warning shows, and the
    rename, confirmed by the name's AAAA record, sets the DNS short name."""
    windows = screen.wait_for_windows({"Form1"})
    expect_main_window_with_warning(screen, windows)
    shot("ipv6-only-mismatch-main")
    screen.key_over(windows["Form1"], "space")
    confirm_success_and_end(screen, program, shot, "ipv6-only-mismatch", "Form1")


def system_log_listener():
    """A datagram socket on /dev/log of this mount namespace only (an overlay
    on /dev keeps its devices). The program opens the log with its first
    entry, so the listener may come after the program started."""
    layers = tempfile.mkdtemp(prefix="hostwarden-dev-")
    for d in ("upper", "work"):
        os.makedirs(os.path.join(layers, d))
    sh("mount", "-t", "overlay", "overlay", "-o",
       f"lowerdir=/dev,upperdir={layers}/upper,workdir={layers}/work", "/dev")
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    listener.bind("/dev/log")
    listener.settimeout(5)
    return listener, layers


def quiet_ok_syncs(screen, program, shot):
    dialog = screen.wait_for_windows({"frm_Info"})["frm_Info"]
    log, layers = system_log_listener()
    try:
        screen.click(dialog, centre(DIALOG_OK))
        confirm_success_and_end(screen, program, shot, "quiet-ok", "frm_Info")
        # The run ended from inside a window's event and still logged its verdict.
        entry = log.recv(65536).decode("utf-8", "replace")
        check(" hostwarden[" in entry and "verdict=mismatch" in entry and " nameSet=yes " in entry,
              f"the run's entry in the system log: {entry!r}")
    finally:
        log.close()
        subprocess.run(["umount", "/dev"], check=False)
        shutil.rmtree(layers, ignore_errors=True)


def sync_without_rights(screen, program, shot):
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(SYNC_BUTTON))
    box = screen.wait_for_windows({"Form1", "MsgBox"})["MsgBox"]
    shot("sync-without-rights-message")
    screen.click(box, message_ok(box))
    screen.wait_for_windows({"Form1"})
    time.sleep(0.3)
    check(program.running(), "the program ended after the rights message")
    check(read_hostname_file() == HOST_NAME, "the host name file changed without rights")
    # Still usable: the button asks again.
    screen.click(main, centre(SYNC_BUTTON))
    screen.wait_for_windows({"Form1", "MsgBox"})


def sync_not_confirmed(screen, program, shot):
    """The PTR name has no A record: the stop message instead of a rename,
    and the program ends after it."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    expect_main_window_with_warning(screen, {"Form1": main})
    screen.click(main, centre(SYNC_BUTTON))
    box = screen.wait_for_windows({"Form1", "MsgBox"})["MsgBox"]
    shot("sync-not-confirmed-message")
    screen.click(box, message_ok(box))
    check(program.exit_status() == 0, "the program did not end with status 0 after the message")
    check(read_hostname_file() == HOST_NAME, f"/etc/hostname changed to {read_hostname_file()!r}")


def outside_campus_normal(screen, program, shot):
    main = screen.wait_for_windows({"Form1"})["Form1"]
    pixels = screen.pixels(main)
    shot("outside-campus-main")
    check(not warning_picture_shown(pixels), "the warning picture is shown for a provider's name")
    check(not sync_button_enabled(pixels), "'Namen synchronisieren' is enabled for a provider's name")


def normal_agree(screen, program, shot):
    main = screen.wait_for_windows({"Form1"})["Form1"]
    pixels = screen.pixels(main)
    shot("normal-agree-main")
    check(not warning_picture_shown(pixels), "the warning picture is shown although the names agree")
    check(not sync_button_enabled(pixels), "'Namen synchronisieren' is enabled although the names agree")


def quiet_agree(screen, program, shot):
    check(program.exit_status() == 0, "quiet mode did not end with status 0 when the names agree")
    check(not screen.windows(), "quiet mode showed a window although the names agree")


WINDOW_LIBRARIES = re.compile(r"(hostwarden-windows\.so|libfltk|libX11)")


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
    """Root renames through the host-name service: it reports the new name
    itself, and has written the private /etc/hostname."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(SYNC_BUTTON))
    confirm_success_and_end(screen, program, shot, "hostnamed-sync", "Form1")
    check(service.static_hostname() == DNS_SHORT_NAME,
          f"the service's static name is {service.static_hostname()!r}, not {DNS_SHORT_NAME!r}")
    # Only the service sets the running name as well; the file alone never does.
    check(socket.gethostname() == DNS_SHORT_NAME, f"the running name is {socket.gethostname()!r}: no service call")


def hostnamed_without_rights(screen, program, shot, service):
    """Nobody gets the rights message, and the service keeps its name."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(SYNC_BUTTON))
    box = screen.wait_for_windows({"Form1", "MsgBox"})["MsgBox"]
    shot("hostnamed-without-rights-message")
    screen.click(box, message_ok(box))
    screen.wait_for_windows({"Form1"})
    check(service.static_hostname() == HOST_NAME, f"the service's static name is {service.static_hostname()!r}")
    check(read_hostname_file() == HOST_NAME, "the host name file changed without rights")


def quiet_mismatch_without_display(screen, program, shot):
    """A quiet log-on that finds a mismatch and cannot open its display:
    the verdict's exit status, one German line, and the entry in the system
    log, which says nothing was shown."""
    status = program.exit_status()
    output = open(program.output).read()
    check(status == 1, f"ended with {status}, not the mismatch's 1:\n{output[-2000:]}")
    check(output.splitlines() == ["hostwarden: Die Anzeige lässt sich nicht öffnen (ist DISPLAY gesetzt?)"],
          f"standard error: {output!r}")
    entry = program.log.recv(65536).decode("utf-8", "replace")
    check(" hostwarden[" in entry and "verdict=mismatch" in entry and entry.endswith("nameSet=no shown=no"),
          f"the run's entry in the system log: {entry!r}")


def polkit_user_renames(screen, program, shot, service):
    """A user whom polkit lets set the host name (as the desktop's agent
    would after the password) renames from the window, through hostnamed."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(SYNC_BUTTON))
    confirm_success_and_end(screen, program, shot, "polkit-user-renames", "Form1")
    check(service.static_hostname() == DNS_SHORT_NAME,
          f"the service's static name is {service.static_hostname()!r}, not {DNS_SHORT_NAME!r}")


def polkit_refuses_another_user(screen, program, shot, service):
    """Another user, whom polkit does not let: the rights message, nothing
    renamed, and the window stays."""
    main = screen.wait_for_windows({"Form1"})["Form1"]
    screen.click(main, centre(SYNC_BUTTON))
    box = screen.wait_for_windows({"Form1", "MsgBox"})["MsgBox"]
    shot("polkit-refuses-another-user-message")
    screen.click(box, message_ok(box))
    screen.wait_for_windows({"Form1"})
    check(program.running(), "the program ended after the rights message")
    check(service.static_hostname() == HOST_NAME, f"the service's static name is {service.static_hostname()!r}")
    check(read_hostname_file() == HOST_NAME, "the host name file changed without rights")


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
                                preexec_fn=end_with_parent)
    check(squatter.stdout.readline().strip() == "ready", "the other user's process did not start")
    return squatter


def another_user_cannot_stop_the_check(screen, program, shot):
    """Root's quiet check runs and shows its dialog although another user's
    process holds what root's instance used to hold."""
    screen.wait_for_windows({"frm_Info"})
    check(not os.path.exists("/run/hostwarden.lock") or os.stat("/run/hostwarden.lock").st_uid == 0,
          "another user planted root's lock file")


SCENARIOS = {
    # name: (function, arguments, host name, run as nobody[, options]); options:
    # "no display" starts the program on NO_DISPLAY and traces what it
    # loads.
    "normal_mismatch": (normal_mismatch, [], HOST_NAME, False),
    "quiet_mismatch_details": (quiet_mismatch_details, ["-Q"], HOST_NAME, False),
    "quiet_ok_syncs": (quiet_ok_syncs, ["/q"], HOST_NAME, False),
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
# polkit on the same bus, with a rule that lets nobody (and only nobody) set
# the static host name; the hosts file Red Hat's, which names no host, so
# the rename needs no root beyond hostnamed's.
DAEMON = 1
POLKIT_RULE = """polkit.addRule(function(action, subject) {
    if (action.id == "org.freedesktop.hostname1.set-static-hostname" && subject.user == "nobody")
        return polkit.Result.YES;
});
"""
RED_HAT_HOSTS = ("127.0.0.1   localhost localhost.localdomain localhost4 localhost4.localdomain4\n"
                 "::1         localhost localhost.localdomain localhost6 localhost6.localdomain6\n")
WITH_POLKIT = {
    "polkit_user_renames": (polkit_user_renames, [], HOST_NAME, True),
    "polkit_refuses_another_user": (polkit_refuses_another_user, [], HOST_NAME, DAEMON),
}
WITH_HOSTNAMED.update(WITH_POLKIT)
SCENARIOS.update(WITH_HOSTNAMED)
HOSTS_FILES = {name: RED_HAT_HOSTS for name in WITH_POLKIT}


def run_inside(name, program_path, artifacts, outer_ids):
    refuse_outside_own_namespace(outer_ids)
    scenario, arguments, host_name, as_nobody, *rest = SCENARIOS[name]
    options = rest[0] if rest else set()
    sh("mount", "--make-rprivate", "/")
    work = tempfile.mkdtemp(prefix="hostwarden-fltk-e2e-")
    os.chmod(work, 0o755)
    os.makedirs(artifacts, exist_ok=True)
    dnsmasq = program = service = log = log_layers = squatter = None
    try:
        private_etc(work, host_name, HOSTS_FILES.get(name))
        if name in WITH_HOSTNAMED:
            try:
                service = hostnamed.Hostnamed(work, guard=lambda: refuse_outside_own_namespace(outer_ids),
                                              polkit_rules=POLKIT_RULE if name in WITH_POLKIT else None)
            except hostnamed.Unavailable as why:
                print(f"SKIPPED: {why}")
                return SKIPPED
            with_service = scenario
            scenario = lambda screen, program, shot: with_service(screen, program, shot, service)  # noqa: E731
        ipv6_only = "ipv6 only" in options
        network(host_name, ipv6_only)
        private_x_directories()
        dnsmasq, dns_log = start_dnsmasq(work, *DNS_RECORDS.get(name, (DNS_NAME, OWN_ADDRESS)), ipv6_only)
        if "system log" in options:
            log, log_layers = system_log_listener()
        if "another user first" in options:
            squatter = start_squatter()
        with Xvfb(private=True) as x:
            screen = Screen(x.display)
            no_display = "no display" in options
            absent = no_display or "absent display" in options
            program = Program(program_path, arguments, work, NO_DISPLAY if absent else x.display, as_nobody,
                              trace_loading=no_display)
            program.log = log

            def shot(step):
                screen.screenshot(os.path.join(artifacts, f"{step}.png"))

            try:
                scenario(screen, program, shot)
                with open(dns_log) as f:
                    asked = IPV6_PTR_NAME if ipv6_only else PTR_NAME
                    check(asked in f.read(), "dnsmasq never got the PTR query")
            except Failure as failure:
                shot(f"{name}-failure")
                program.stop()
                print(f"FAILED: {failure}", file=sys.stderr)
                print(f"X screen {x.display}: Xvfb {'running' if x.process.poll() is None else 'ended'}",
                      file=sys.stderr)
                print("--- program output ---\n" + open(program.output).read(), file=sys.stderr)
                print("--- dnsmasq ---\n" + open(dns_log).read(), file=sys.stderr)
                return 1
            finally:
                program.stop()
        return 0
    finally:
        if squatter:
            squatter.kill()
            squatter.wait()
        if log:
            log.close()
            subprocess.run(["umount", "/dev"], check=False)
            shutil.rmtree(log_layers, ignore_errors=True)
        if dnsmasq:
            dnsmasq.terminate()
            dnsmasq.wait(timeout=10)
        if service:
            service.close()
        shutil.rmtree(work, ignore_errors=True)


def run_scenario(name, program_path, artifacts):
    if os.geteuid() != 0:
        print("SKIPPED: namespaces and mounts need root")
        return SKIPPED
    missing = [t for t in ("unshare", "Xvfb", "xdotool", "xprop", "import", "dnsmasq", "setpriv", "ip")
               if not shutil.which(t)]
    if missing:
        print("SKIPPED: missing " + " ".join(missing))
        return SKIPPED
    before = (socket.gethostname(), open("/etc/hostname").read() if os.path.exists("/etc/hostname") else None)
    status = subprocess.run(["unshare", "-n", "-u", "-m", "--propagation", "private", sys.executable,
                             os.path.abspath(__file__), "inside", name, "--program", os.path.abspath(program_path),
                             "--artifacts", os.path.abspath(artifacts), "--outer-namespaces", namespace_ids()],
                            preexec_fn=end_with_parent).returncode
    after = (socket.gethostname(), open("/etc/hostname").read() if os.path.exists("/etc/hostname") else None)
    if before != after:
        print(f"FAILED: the machine's own host name changed: {before} -> {after}", file=sys.stderr)
        return 1
    return status


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "xvfb-run":
        return xvfb_run(sys.argv[2:])
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["scenario", "inside"])
    parser.add_argument("name", choices=sorted(SCENARIOS))
    parser.add_argument("--program", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--outer-namespaces", default="")
    args = parser.parse_args()
    if args.mode == "inside":
        return run_inside(args.name, args.program, args.artifacts, args.outer_namespaces)
    return run_scenario(args.name, args.program, args.artifacts)


if __name__ == "__main__":
    sys.exit(main())
