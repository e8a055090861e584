"""A test host for the Windows program: Wine and a screen inside namespaces of
their own.

Inside namespaces of its own (the test harness, tests/harness, makes them
and refuses to run anywhere else) the host gets the name ws-17, the address
192.0.2.7 on a veth pair with a default route (so Wine reports a LAN
connection), its own /etc (the hosts file does not know 192.0.2.7, so
lookups reach DNS), dnsmasq on 192.0.2.53 as its only DNS server, an Xvfb
screen, and a Wine prefix laid over the run's base prefix, so a test's
registry changes (the Windows version, a new computer name) stay in that
test. Nothing is sent to an address outside the namespace.

Each architecture has its own Wine: the i686 program runs under 32-bit Wine
(only where the kernel runs 32-bit programs), the x86_64 program under 64-bit
Wine, which runs on every machine of ours.
"""

import ipaddress
import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
import harness  # noqa: E402

HOST_NAME = "ws-17"
HOST_ADDRESS = "192.0.2.7"
DNS_SERVER = "192.0.2.53"
PTR_NAME = "7.2.0.192.in-addr.arpa"
# edns0: Wine 8's DNS client refuses an answer whose last byte ends a name
# (its reader wants a byte after every name), which is where a PTR answer's
# name sits unless the server adds an OPT record, as it does for a query
# that carries one.
RESOLV_OPTIONS = "timeout:1 attempts:1 edns0"
COMMON_WINE_ENV = {"WINEDEBUG": "-all", "USER": "root", "LANG": "C.UTF-8"}

# The user's language. Wine 8 takes the user's interface language
# (GetUserDefaultUILanguage) from LANG only where the C library can load that
# locale; one it cannot load (or C.UTF-8) makes every user English, 0x0409.
# The machine need not have the locales: they are compiled beside the base
# prefix and found through LOCPATH.
USER_LOCALES = {"de": "de_DE.UTF-8", "en": "en_US.UTF-8"}


def locales_dir(base_prefix):
    return base_prefix + "-locales"


def compile_locales(base_prefix):
    """The users' locales, from the C library's sources (package locales)."""
    folder = locales_dir(base_prefix)
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    for name in USER_LOCALES.values():
        language, charset = name.split(".")
        run("localedef", "-i", language, "-f", charset, os.path.join(folder, name),
            stdout=subprocess.DEVNULL)


def user_locale_env(base_prefix, language):
    """The environment of a user the program should speak `language` to."""
    return {"LOCPATH": locales_dir(base_prefix), "LANG": USER_LOCALES[language], "LANGUAGE": "", "LC_ALL": "",
            "LC_MESSAGES": ""}


class Wine:
    """The Wine that runs one architecture's programs: its loader, its server
    and the environment its prefixes need."""

    def __init__(self, loader, server, env):
        self.loader, self.server, self.env = loader, server, dict(COMMON_WINE_ENV, **env)


WINE64_LOADER = "/usr/lib/wine/wine64"
WINES = {
    # /usr/bin/wine picks the 32-bit loader for a win32 prefix.
    "i686": Wine("wine", "wineserver", {"WINEARCH": "win32"}),
    # Called by its own path: /usr/bin/wine would pick the 32-bit loader,
    # which a kernel without IA-32 emulation cannot run.
    "x86_64": Wine(WINE64_LOADER, "/usr/lib/wine/wineserver64", {"WINEARCH": "win64", "WINELOADER": WINE64_LOADER}),
}

# Wine's own fonts (Debian's fonts-wine), which Wine on Debian does not find
# by itself: "MS Sans Serif" at 96 and at 120 dpi (the windows' font), Tahoma
# (the message boxes'). Without them labels take a wider font and wrap.
WINE_FONTS_DIR = "/usr/share/wine/fonts"
WINE_FONTS = ["sserife.fon", "sseriff.fon", "ms_sans_serif.ttf", "tahoma.ttf", "tahomabd.ttf", "marlett.ttf"]

# The kernel probe shared with the set-up script.
RUNS_32BIT_PROBE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "scripts", "kernel-runs-32bit.sh")
SKIP_RETURN_CODE = harness.SKIP


# The 32-bit loader, from Debian's wine32:i386.
WINE32_LOADER = "/usr/lib/wine/wine"


def why_not_runnable(arch):
    """None when this machine runs `arch` programs under Wine, else why not:
    the kernel is found out by running a program, 32-bit Wine by its loader
    (the set-up goes on without it when a mirror cannot deliver it)."""
    if arch != "i686":
        return None
    if subprocess.run(["bash", RUNS_32BIT_PROBE], check=False).returncode != 0:
        return "this kernel cannot run 32-bit programs"
    if not os.path.exists(WINE32_LOADER):
        return "32-bit Wine (wine32:i386) is not installed"
    return None


def run(*command, env=None, check=True, timeout=60, **kwargs):
    return subprocess.run(list(command), env=env, check=check, timeout=timeout, **kwargs)


def create_base_prefix(prefix, wine):
    """A fresh prefix for `wine` with Wine's fonts in its Fonts folder, made in
    a network namespace of its own with no interface up: nothing here needs a
    network, and nothing can reach one."""
    missing = [f for f in WINE_FONTS if not os.path.exists(os.path.join(WINE_FONTS_DIR, f))]
    if missing:
        raise RuntimeError(f"Wine's fonts {missing} are missing from {WINE_FONTS_DIR} (package fonts-wine)")
    if os.path.isdir(prefix):
        shutil.rmtree(prefix)
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    compile_locales(prefix)
    env = dict(os.environ, WINEPREFIX=prefix, **wine.env)
    env.pop("DISPLAY", None)
    run("unshare", "-n", "sh", "-c", f'"{wine.loader}" wineboot -i && "{wine.server}" -w', env=env, timeout=600,
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for font in WINE_FONTS:
        shutil.copy(os.path.join(WINE_FONTS_DIR, font), fonts)


class Dns:
    """What the DNS server knows about the host's address: its PTR records, in
    answer order, and which of their names have an A record leading back to
    the address (the forward confirmation a rename asks for); the host's own
    name, which it also has an A record for. dnsmasq serves it, unless the
    server is to fail (`ptr_rcode`) or to send names with bytes no host name
    has, which dnsmasq never does: then a responder of ours serves it."""

    def __init__(self, ptr_names=(), pointing_back=(), host_name=HOST_NAME, ptr_rcode=None, responder=False,
                 ipv6_address=None, ipv6_ptr_names=(), rotating=False):
        self.ptr_names, self.pointing_back = list(ptr_names), list(pointing_back)
        self.host_name, self.ptr_rcode = host_name, ptr_rcode
        # `rotating`: each PTR answer starts one record further on, as BIND
        # and Unbound rotate an RRset; only our responder does that.
        self.rotating = rotating
        self.responder = responder or ptr_rcode is not None or rotating
        # With `ipv6_address` the host is dual-stack: the address on its
        # interface, an IPv6 default route, and these PTR records for it.
        self.ipv6_address, self.ipv6_ptr_names = ipv6_address, list(ipv6_ptr_names)

    @classmethod
    def confirmed(cls, *ptr_names, **options):
        return cls(ptr_names, ptr_names, **options)

    @classmethod
    def failing(cls, rcode):
        """A server that answers the PTR query with this response code."""
        return cls(ptr_rcode=rcode)


class TestHost:
    """Use as a context manager inside the namespace; everything it starts is
    stopped on the way out, the Wine server included."""

    def __init__(self, wine, base_prefix, artifacts, windows_version, dns, language="de", screen_size="1024x768"):
        self.screen_size = screen_size
        self.wine_kind = wine
        self.language = language
        self.base_prefix = base_prefix
        self.artifacts = artifacts
        self.windows_version = windows_version
        self.dns = dns
        self.work = "/tmp/hostwarden-e2e"
        self.processes = []
        self.env = None
        self.host = self.screen = None

    # ---- set-up -------------------------------------------------------------

    def __enter__(self):
        harness.require_own_namespaces()
        try:
            self._private_tmp()
            ipv6 = (self.dns.ipv6_address,) if self.dns.ipv6_address else ()
            self.host = harness.Host(hostname=self.dns.host_name, addresses=(HOST_ADDRESS, DNS_SERVER),
                                     nameservers=(DNS_SERVER,), resolv_options=RESOLV_OPTIONS, ipv6=ipv6)
            self._dns_server()
            self.screen = harness.Xvfb(private=True, size=self.screen_size).__enter__()
            self.display = self.screen.display
            self._prefix()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _private_tmp(self):
        # Our own folders for the X server's and the Wine server's sockets and
        # for the work, so tests running side by side never meet. The rest of
        # /tmp stays visible: the build tree with the programs may be there.
        harness.private_x_directories()
        for folder, mode in ((f"/tmp/.wine-{os.getuid()}", "0700"), (self.work, "0755")):
            os.makedirs(folder, exist_ok=True)
            run("mount", "-t", "tmpfs", "-o", f"mode={mode}", "tmpfs", folder)

    def _dns_server(self):
        self.responder = None
        if self.dns.responder:
            return self._dns_responder()
        options = [f"--address=/{self.dns.host_name}/{HOST_ADDRESS}"]
        options += [f"--ptr-record={PTR_NAME},{name}" for name in self.dns.ptr_names]
        if self.dns.ipv6_address:
            reverse = ipaddress.ip_address(self.dns.ipv6_address).reverse_pointer
            options += [f"--ptr-record={reverse},{name}" for name in self.dns.ipv6_ptr_names]
        # An A record only: --host-record would add a PTR record as well.
        options += [f"--address=/{name}/{HOST_ADDRESS}" for name in self.dns.pointing_back]
        self.dns_log = self.host.dnsmasq(DNS_SERVER, *options)

    def _dns_responder(self):
        """Our own server for what dnsmasq will not send: every answer ends
        with an OPT record, or Wine 8's DNS client refuses it."""
        from harness import responder as dns

        def with_opt(query, records=(), rcode=0):
            reply = query.answer(records, rcode)
            opt = b"\0" + struct.pack("!HHIH", 41, 1232, 0, 0)
            return reply[:10] + struct.pack("!H", 1) + reply[12:] + opt

        ptr_answers = [0]

        def ptr_names_in_answer_order():
            names, turn = self.dns.ptr_names, ptr_answers[0]
            ptr_answers[0] += 1
            if not self.dns.rotating or not names:
                return names
            return names[turn % len(names):] + names[:turn % len(names)]

        def handle(query):
            name = query.name.lower()
            if query.qtype == dns.TYPE_A and (name == self.dns.host_name or name in self.dns.pointing_back):
                return [with_opt(query, [(dns.TYPE_A, socket.inet_aton(HOST_ADDRESS))])]
            if query.qtype == dns.TYPE_PTR and name == PTR_NAME:
                if self.dns.ptr_rcode is not None:
                    return [with_opt(query, rcode=self.dns.ptr_rcode)]
                labels = [[label.encode("latin-1") for label in n.split(".")] for n in ptr_names_in_answer_order()]
                return [with_opt(query, [(dns.TYPE_PTR, dns.encode_name(n)) for n in labels])]
            return [with_opt(query, rcode=3)]

        self.responder = dns.Responder(DNS_SERVER, handle).__enter__()


    def _prefix(self):
        layers = os.path.join(self.work, "prefix-layers")
        upper, scratch, merged = (os.path.join(layers, d) for d in ("upper", "work", "prefix"))
        for d in (upper, scratch, merged):
            os.makedirs(d)
        run("mount", "-t", "overlay", "overlay", "-o",
            f"lowerdir={self.base_prefix},upperdir={upper},workdir={scratch}", merged)
        self.prefix = merged
        self.env = dict(os.environ, WINEPREFIX=merged, DISPLAY=self.display, **self.wine_kind.env)
        self.env.update(user_locale_env(self.base_prefix, self.language))
        self.wine("winecfg", "-v", self.windows_version)

    # ---- clean-up ------------------------------------------------------------

    def __exit__(self, *exc):
        if getattr(self, "responder", None):
            self.responder.__exit__(None, None, None)
        if self.env:
            run(self.wine_kind.server, "-k", env=self.env, check=False, timeout=30,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for process in reversed(self.processes):
            harness.stop(process)
        if self.screen:
            self.screen.__exit__(None, None, None)
        if self.host:
            self.host.__exit__(None, None, None)
        return False

    # ---- using it --------------------------------------------------------------

    def wine(self, *args, timeout=60):
        return run(self.wine_kind.loader, *args, env=self.env, timeout=timeout, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)

    def start_wine(self, *args):
        """A Windows program, running on; the caller waits for it."""
        process = subprocess.Popen([self.wine_kind.loader, *args], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def set_screen_dpi(self, dpi):
        """What GetDeviceCaps(LOGPIXELSY) reports to programs started afterwards."""
        self.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                  "/d", str(dpi), "/f")

    def keys(self, window, *keys):
        """Presses keys (xdotool names: Tab, shift+Tab, Return) in `window`.
        Without a window manager the keyboard follows the pointer, so the
        pointer goes to the window's top-left corner first, over no control."""
        x, y = window["clientOrigin"]
        run("xdotool", "mousemove", str(x + 1), str(y + 1), env=self.env, timeout=30)
        for key in keys:
            # The X server queues the key for Wine; callers wait for its
            # effect (a focus change, a message box), never for a time.
            run("xdotool", "key", key, env=self.env, timeout=30)

    def rest_pointer_on(self, window, rect):
        """Moves the pointer onto the middle of `rect` (client coordinates of
        `window`) and leaves it there: the caller waits for the tooltip."""
        x = window["clientOrigin"][0] + rect[0] + rect[2] // 2
        y = window["clientOrigin"][1] + rect[1] + rect[3] // 2
        # Two moves: a tooltip shows only after real pointer motion over the control.
        run("xdotool", "mousemove", str(x - 3), str(y - 2), env=self.env, timeout=30)
        run("xdotool", "mousemove", str(x), str(y), env=self.env, timeout=30)

    def screenshot(self, name):
        os.makedirs(self.artifacts, exist_ok=True)
        path = os.path.join(self.artifacts, name + ".png")
        run("import", "-window", "root", path, env=self.env, timeout=30)
        return path

    def dns_queries(self):
        """The names the server was asked for, in order, with their types."""
        if self.responder:
            kinds = {1: "A", 5: "CNAME", 12: "PTR"}
            return [(kinds.get(q.qtype, str(q.qtype)), q.name) for q in self.responder.queries]
        return self.dns_log.queries()


class Automation:
    """The UI-automation program, run in the host's Wine next to the program."""

    def __init__(self, host, hwauto):
        self.host = host
        self.hwauto = hwauto

    # Commands that only look: asked again when Wine could not start hwauto
    # or hwauto ended without an answer (seen once on a loaded machine).
    LOOKING = {"window", "wait-window", "wait-gone", "wait-msgbox"}

    def __call__(self, *args, timeout=120):
        deadline = time.monotonic() + timeout
        while True:
            # Wine's messages go to a file: a program hwauto starts inherits
            # the descriptor, and a pipe would stay open until that ends.
            with tempfile.TemporaryFile() as messages:
                result = run(self.host.wine_kind.loader, self.hwauto, *[str(a) for a in args], env=self.host.env,
                             check=False, timeout=timeout, stdout=subprocess.PIPE, stderr=messages, text=True,
                             errors="replace")
                messages.seek(0)
                said = messages.read()[-500:].decode("utf-8", "replace")
            lines = [line for line in result.stdout.splitlines() if line.strip().startswith("{")]
            if lines:
                return json.loads(lines[-1])
            if args[0] not in self.LOOKING or time.monotonic() > deadline:
                raise RuntimeError(f"hwauto {' '.join(map(str, args))} answered nothing "
                                   f"(exit {result.returncode}): {result.stdout!r} {said!r}")

    def window(self, window_class):
        return self("window", window_class)

    def wait_window(self, window_class, ms=60000, settled=True):
        """The window once it shows and, unless `settled` is false, has
        settled: Wine without a window manager may finish activating a new
        window a moment after it is visible, on a busy machine. A window with
        no focus after 30 s is returned as it is. Cases about the very moment
        a window shows wait for it unsettled."""
        window = self("wait-window", window_class, ms)
        deadline = time.monotonic() + (30 if settled else 0)
        while window.get("visible") and not window.get("focus") and time.monotonic() < deadline:
            time.sleep(0.1)
            window = self("window", window_class)
        return window

    def wait_focus_moved(self, window_class, before, timeout=30):
        """The window once its focus has left `before` (after a key); as it
        is when the focus stays there for `timeout` seconds."""
        deadline = time.monotonic() + timeout
        window = self("window", window_class)
        while window.get("focus") == before and time.monotonic() < deadline:
            time.sleep(0.1)
            window = self("window", window_class)
        return window

    def wait_tooltip(self, window_class, timeout=30):
        """The window's tooltips once one is visible with a text; as they are
        after `timeout` seconds."""
        deadline = time.monotonic() + timeout
        while True:
            tips = self("window", window_class).get("tooltips") or []
            if any(t["visible"] and t["text"] for t in tips) or time.monotonic() > deadline:
                return tips
            time.sleep(0.2)

    def wait_gone(self, window_class, ms=30000):
        return self("wait-gone", window_class, ms)

    def click(self, window_class, control):
        return self("click", window_class, control)

    def close(self, window_class):
        return self("close", window_class)

    def dpi_changed(self, window_class, dpi, rect):
        """Sends WM_DPICHANGED with the suggested rectangle (left, top, right, bottom)."""
        return self("dpi-changed", window_class, dpi, *rect)

    def end_session(self, window_class):
        """WM_QUERYENDSESSION, then WM_ENDSESSION, as a log-off sends them."""
        return self("end-session", window_class)

    def wait_message_box(self, ms=60000):
        return self("wait-msgbox", ms)

    def press_message_box_ok(self, ms=30000):
        return self("msgbox-ok", ms)


def control(window, name):
    for c in window.get("controls", []):
        if c["name"] == name:
            return c
    raise AssertionError(f"{window.get('class')} has no control {name}; it has "
                         f"{[c['name'] for c in window.get('controls', [])]}")
