"""A test host for the Windows program: Wine and a screen inside namespaces of
their own.

Inside a fresh network, UTS and mount namespace (see `enter_namespace`) the
host gets the name ws-17, the address 192.0.2.7 on a veth pair with a default
route (so Wine reports a LAN connection), its own /etc/resolv.conf and
/etc/hosts (the hosts file does not know 192.0.2.7, so lookups reach DNS),
dnsmasq on 192.0.2.53 as its only DNS server, an Xvfb screen, and a Wine
prefix laid over the run's base prefix, so a test's registry changes (the
Windows version, a new computer name) stay in that test. Nothing is sent to
an address outside the namespace.

Each architecture has its own Wine: the i686 program runs under 32-bit Wine
(only where the kernel runs 32-bit programs), the x86_64 program under 64-bit
Wine, which runs on every machine of ours.
"""

import ipaddress
import json
import os
import struct
import sys
import shutil
import signal
import socket
import subprocess
import time

HOST_NAME = "ws-17"
HOST_ADDRESS = "192.0.2.7"
GATEWAY = "192.0.2.1"
DNS_SERVER = "192.0.2.53"
PTR_NAME = "7.2.0.192.in-addr.arpa"
COMMON_WINE_ENV = {"WINEDEBUG": "-all", "USER": "root", "LANG": "C.UTF-8"}


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
SKIP_RETURN_CODE = 77


def kernel_runs(arch):
    """Whether this kernel runs `arch` programs; found out by running one."""
    if arch != "i686":
        return True
    return subprocess.run(["bash", RUNS_32BIT_PROBE], check=False).returncode == 0


class Refused(Exception):
    """The test would run outside a namespace of its own."""


OUTER_NAMESPACE_VARIABLE = "HOSTWARDEN_E2E_OUTER_{}NS"


def namespace(pid, kind):
    try:
        return os.readlink(f"/proc/{pid}/ns/{kind}")
    except OSError:
        return None


def outer_namespaces():
    """What the launcher records before it enters new namespaces: compared
    with where the test then runs when PID 1's namespaces cannot be read
    (a sandbox may hide them)."""
    return {OUTER_NAMESPACE_VARIABLE.format(kind.upper()): namespace("self", kind) or ""
            for kind in ("net", "uts")}


def own_namespaces():
    """True when this process's network and UTS namespaces are not PID 1's
    (or, where those cannot be read, not the launcher's)."""
    for kind in ("net", "uts"):
        mine = namespace("self", kind)
        # As the first process of a PID namespace of its own, PID 1 is itself.
        init = namespace(1, kind) if os.getpid() != 1 else None
        outer = init or os.environ.get(OUTER_NAMESPACE_VARIABLE.format(kind.upper()))
        if not mine or not outer or mine == outer:
            return False
    return True


def refuse_outside_namespace():
    # A fresh network namespace has nothing but its loop-back interface.
    fresh = [name for _, name in socket.if_nameindex()] == ["lo"]
    if not own_namespaces() or not fresh:
        raise Refused("refusing to run: this test changes the host name and runs a DNS server, "
                      "so it runs only inside a fresh network and UTS namespace of its own")


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
                 ipv6_address=None, ipv6_ptr_names=()):
        self.ptr_names, self.pointing_back = list(ptr_names), list(pointing_back)
        self.host_name, self.ptr_rcode = host_name, ptr_rcode
        self.responder = responder or ptr_rcode is not None
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

    def __init__(self, wine, base_prefix, artifacts, windows_version, dns):
        self.wine_kind = wine
        self.base_prefix = base_prefix
        self.artifacts = artifacts
        self.windows_version = windows_version
        self.dns = dns
        self.work = "/tmp/hostwarden-e2e"
        self.processes = []
        self.env = None

    # ---- set-up -------------------------------------------------------------

    def __enter__(self):
        refuse_outside_namespace()
        try:
            self._private_tmp()
            self._network()
            self._name_service_files()
            self._dns_server()
            self._screen()
            self._prefix()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _private_tmp(self):
        # Our own folders for the X server's and the Wine server's sockets and
        # for the work, so tests running side by side never meet. The rest of
        # /tmp stays visible: the build tree with the programs may be there.
        for folder, mode in (("/tmp/.X11-unix", "1777"), (f"/tmp/.wine-{os.getuid()}", "0700"), (self.work, "0755")):
            os.makedirs(folder, exist_ok=True)
            run("mount", "-t", "tmpfs", "-o", f"mode={mode}", "tmpfs", folder)

    def _network(self):
        socket.sethostname(self.dns.host_name)
        run("ip", "link", "set", "lo", "up")
        run("ip", "link", "add", "v0", "type", "veth", "peer", "name", "v1")
        run("ip", "addr", "add", f"{HOST_ADDRESS}/24", "dev", "v0")
        run("ip", "link", "set", "v1", "up")
        run("ip", "link", "set", "v0", "up")
        # The peer carries no address: the host has exactly one besides loop-back.
        run("ip", "route", "add", "default", "via", GATEWAY, "dev", "v0", "onlink")
        run("ip", "addr", "add", f"{DNS_SERVER}/32", "dev", "lo")
        if self.dns.ipv6_address:
            run("ip", "-6", "addr", "add", f"{self.dns.ipv6_address}/64", "dev", "v0", "nodad")
            run("ip", "-6", "route", "add", "default", "via", "fe80::1", "dev", "v0")

    def _name_service_files(self):
        hosts = os.path.join(self.work, "hosts")
        resolv = os.path.join(self.work, "resolv.conf")
        with open(hosts, "w") as f:
            f.write("127.0.0.1 localhost\n")
        with open(resolv, "w") as f:
            # edns0: Wine 8's DNS client refuses an answer whose last byte ends
            # a name (its reader wants a byte after every name), which is
            # where a PTR answer's name sits unless the server adds an OPT
            # record, as it does for a query that carries one.
            f.write(f"nameserver {DNS_SERVER}\noptions timeout:1 attempts:1 edns0\n")
        run("mount", "--bind", hosts, "/etc/hosts")
        run("mount", "--bind", resolv, "/etc/resolv.conf")

    def _dns_server(self):
        self.responder = None
        if self.dns.responder:
            return self._dns_responder()
        self.dns_log = os.path.join(self.work, "dnsmasq.log")
        command = ["dnsmasq", "--keep-in-foreground", "--no-resolv", "--no-hosts",
                   f"--listen-address={DNS_SERVER}", "--bind-interfaces", "--port=53",
                   "--user=root", "--group=root", "--log-queries", f"--log-facility={self.dns_log}",
                   f"--address=/{self.dns.host_name}/{HOST_ADDRESS}"]
        for name in self.dns.ptr_names:
            command.append(f"--ptr-record={PTR_NAME},{name}")
        if self.dns.ipv6_address:
            reverse = ipaddress.ip_address(self.dns.ipv6_address).reverse_pointer
            command += [f"--ptr-record={reverse},{name}" for name in self.dns.ipv6_ptr_names]
        # An A record only: --host-record would add a PTR record as well.
        for name in self.dns.pointing_back:
            command.append(f"--address=/{name}/{HOST_ADDRESS}")
        self._start(command)
        self._wait_for(lambda: self._udp_listening(DNS_SERVER, 53), "dnsmasq to listen")

    def _dns_responder(self):
        """Our own server for what dnsmasq will not send: every answer ends
        with an OPT record, or Wine 8's DNS client refuses it."""
        sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "integration"))
        import dns_responder as dns  # noqa: E402

        def with_opt(query, records=(), rcode=0):
            reply = query.answer(records, rcode)
            opt = b"\0" + struct.pack("!HHIH", 41, 1232, 0, 0)
            return reply[:10] + struct.pack("!H", 1) + reply[12:] + opt

        def handle(query):
            name = query.name.lower()
            if query.qtype == dns.TYPE_A and (name == self.dns.host_name or name in self.dns.pointing_back):
                return [with_opt(query, [(dns.TYPE_A, socket.inet_aton(HOST_ADDRESS))])]
            if query.qtype == dns.TYPE_PTR and name == PTR_NAME:
                if self.dns.ptr_rcode is not None:
                    return [with_opt(query, rcode=self.dns.ptr_rcode)]
                labels = [[label.encode("latin-1") for label in n.split(".")] for n in self.dns.ptr_names]
                return [with_opt(query, [(dns.TYPE_PTR, dns.encode_name(n)) for n in labels])]
            return [with_opt(query, rcode=3)]

        self.responder = dns.Responder(DNS_SERVER, handle).__enter__()

    @staticmethod
    def _udp_listening(address, port):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            try:
                s.bind((address, port))
            except OSError:
                return True
        return False

    def _screen(self):
        read_end, write_end = os.pipe()
        self._start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                    pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as f:
            display = f.readline().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        self.display = f":{display}"

    def _prefix(self):
        layers = os.path.join(self.work, "prefix-layers")
        upper, scratch, merged = (os.path.join(layers, d) for d in ("upper", "work", "prefix"))
        for d in (upper, scratch, merged):
            os.makedirs(d)
        run("mount", "-t", "overlay", "overlay", "-o",
            f"lowerdir={self.base_prefix},upperdir={upper},workdir={scratch}", merged)
        self.prefix = merged
        self.env = dict(os.environ, WINEPREFIX=merged, DISPLAY=self.display, **self.wine_kind.env)
        self.wine("winecfg", "-v", self.windows_version)

    # ---- clean-up ------------------------------------------------------------

    def __exit__(self, *exc):
        if getattr(self, "responder", None):
            self.responder.__exit__(None, None, None)
        if self.env:
            run(self.wine_kind.server, "-k", env=self.env, check=False, timeout=30,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        return False

    # ---- using it --------------------------------------------------------------

    def _start(self, command, **kwargs):
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    @staticmethod
    def _wait_for(condition, what, timeout=10):
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                raise RuntimeError(f"timed out waiting for {what}")
            time.sleep(0.05)

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
            run("xdotool", "key", key, env=self.env, timeout=30)
            time.sleep(0.3)  # Wine picks the key up from the X server

    def rest_pointer_on(self, window, rect):
        """Moves the pointer onto the middle of `rect` (client coordinates of
        `window`) and lets it rest there long enough for a tooltip."""
        x = window["clientOrigin"][0] + rect[0] + rect[2] // 2
        y = window["clientOrigin"][1] + rect[1] + rect[3] // 2
        run("xdotool", "mousemove", str(x - 3), str(y - 2), env=self.env, timeout=30)
        time.sleep(0.2)
        run("xdotool", "mousemove", str(x), str(y), env=self.env, timeout=30)
        time.sleep(1.5)

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
        try:
            with open(self.dns_log) as f:
                lines = f.read().splitlines()
        except FileNotFoundError:
            return []
        queries = []
        for line in lines:
            # "... query[PTR] 7.2.0.192.in-addr.arpa from 192.0.2.7"
            marker = line.find("query[")
            if marker >= 0:
                kind, _, rest = line[marker + 6:].partition("] ")
                queries.append((kind, rest.split(" ")[0]))
        return queries


class Automation:
    """The UI-automation program, run in the host's Wine next to the program."""

    def __init__(self, host, hwauto):
        self.host = host
        self.hwauto = hwauto

    def __call__(self, *args, timeout=60):
        result = run(self.host.wine_kind.loader, self.hwauto, *[str(a) for a in args], env=self.host.env, check=False,
                     timeout=timeout, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        lines = [line for line in result.stdout.splitlines() if line.strip().startswith("{")]
        if not lines:
            raise RuntimeError(f"hwauto {' '.join(map(str, args))} answered nothing "
                               f"(exit {result.returncode}): {result.stdout!r}")
        return json.loads(lines[-1])

    def window(self, window_class):
        return self("window", window_class)

    def wait_window(self, window_class, ms=20000, settled=True):
        """The window once it shows and, unless `settled` is false, has
        settled: Wine without a window manager may finish activating a new
        window a moment after it is visible, on a busy machine. A window with
        no focus after 5 s is returned as it is. Cases about the very moment
        a window shows wait for it unsettled."""
        window = self("wait-window", window_class, ms)
        deadline = time.monotonic() + (5 if settled else 0)
        while window.get("visible") and not window.get("focus") and time.monotonic() < deadline:
            time.sleep(0.1)
            window = self("window", window_class)
        return window

    def wait_gone(self, window_class, ms=10000):
        return self("wait-gone", window_class, ms)

    def click(self, window_class, control):
        return self("click", window_class, control)

    def close(self, window_class):
        return self("close", window_class)

    def wait_message_box(self, ms=15000):
        return self("wait-msgbox", ms)

    def press_message_box_ok(self, ms=5000):
        return self("msgbox-ok", ms)


def control(window, name):
    for c in window.get("controls", []):
        if c["name"] == name:
            return c
    raise AssertionError(f"{window.get('class')} has no control {name}; it has "
                         f"{[c['name'] for c in window.get('controls', [])]}")
