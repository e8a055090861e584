"""The test host inside its own namespaces: host name, network, a private
/etc (and /run/dbus, /run/systemd masked, so nothing can rename this
machine), DNS servers, and on request a private /dev/log."""

import atexit
import json
import os
import shutil
import socket
import subprocess
import tempfile

from . import bind as _bind
from . import dhcp_client as _dhcp_client
from . import dnsmasq as _dnsmasq
from . import unbound as _unbound
from . import network
from .namespaces import require_own_namespaces, run, stop


class Host:
    """The test host: call inside the namespaces only."""

    def __init__(self, hostname="ws-17", addresses=("192.0.2.7", "192.0.2.53"),
                 nameservers=("192.0.2.53",), hosts="127.0.0.1\tlocalhost\n", lan=True,
                 addresses6=(), resolv_options=None, ipv6=(), ipv6_servers=(), ipv4_on_lan=True):
        """With `lan`, the first address is the PC's own, on the interface
        `lan0` with the default routes, together with the first of
        `addresses6`; every other address is on `lo`. A PC has no IPv6
        address unless given one, so that a test of the IPv4 check sends
        only its own queries. `ipv6`: the PC's IPv6 addresses on `lan0`, each
        with any further words for `ip addr add` (see network.interface),
        with an IPv6 default route; `ipv6_servers` go on `lo`. Without
        `ipv4_on_lan` the PC is IPv6-only: every IPv4 address is on `lo`.
        `resolv_options`: an `options` line for resolv.conf."""
        require_own_namespaces()
        self.tmp = tempfile.mkdtemp(prefix="hostwarden-it-")
        os.chmod(self.tmp, 0o755)  # programs run as nobody read files here
        self.etc = os.path.join(self.tmp, "etc")
        self._processes = []
        self._system_log = None
        run("ip", "link", "set", "lo", "up")
        addresses, addresses6 = list(addresses), list(addresses6)
        if lan and (addresses or addresses6 or ipv6):
            own = addresses.pop(0) if ipv4_on_lan and addresses else None
            network.interface("lan0", own, default_route=own is not None or bool(addresses6),
                              address6=addresses6.pop(0) if addresses6 else None, ipv6=ipv6)
        for address in addresses + addresses6 + list(ipv6_servers):
            network.on_loopback(address)
        socket.sethostname(hostname)
        self._private_etc(hostname, nameservers, hosts, resolv_options)
        for masked in ("/run/dbus", "/run/systemd"):
            if os.path.isdir(masked):
                run("mount", "-t", "tmpfs", "-o", "size=1m,mode=755", "tmpfs", masked)
        run("mount", "-t", "sysfs", "sysfs", "/sys")  # /sys/class/net of this namespace

    interface = staticmethod(network.interface)

    def _private_etc(self, hostname, nameservers, hosts, resolv_options):
        run("cp", "-a", "/etc", self.etc)
        resolv = "".join(f"nameserver {s}\n" for s in nameservers)
        if resolv_options:
            resolv += f"options {resolv_options}\n"
        for name, text in (("resolv.conf", resolv), ("hosts", hosts), ("hostname", hostname + "\n")):
            path = os.path.join(self.etc, name)
            if os.path.lexists(path):
                os.remove(path)  # may be a link into /run
            with open(path, "w") as f:
                f.write(text)
        self._hosts_from_files_then_dns()
        run("mount", "--bind", self.etc, "/etc")

    def _hosts_from_files_then_dns(self):
        """The same name lookup on every machine: hosts file, then DNS."""
        path = os.path.join(self.etc, "nsswitch.conf")
        lines = open(path).read().splitlines() if os.path.exists(path) else []
        lines = [line for line in lines if not line.startswith("hosts:")] + ["hosts: files dns"]
        if os.path.lexists(path):
            os.remove(path)
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")

    def dnsmasq(self, address, *options, name="dnsmasq"):
        """dnsmasq answering on `address` only, logging every query."""
        log = os.path.join(self.tmp, f"{name}.log")
        self._processes.append(_dnsmasq.start(address, log, *options))
        return _dnsmasq.DnsmasqLog(log)

    def bind(self, zones, addresses=("192.0.2.53",), order="cyclic", name="bind"):
        """BIND serving `zones` (origin -> zone-file lines) on `addresses`;
        its files under tmp/`name`. Returns its BindLog once it answers."""
        process, log = _bind.start(os.path.join(self.tmp, name), list(addresses), zones, order)
        self._processes.append(process)
        return log

    def unbound(self, address, forwarder, ready_name, name="unbound"):
        """Unbound on `address`, forwarding everything to `forwarder`;
        returns once it answers for `ready_name`."""
        process, log = _unbound.start(os.path.join(self.tmp, name), address, forwarder, ready_name)
        self._processes.append(process)
        return log

    def dhclient(self, interface="lan0", family="-6", name="dhclient"):
        """dhclient on `interface`; returns once it holds a lease and its
        script has rewritten /etc/resolv.conf."""
        self._processes.append(_dhcp_client.start(os.path.join(self.tmp, name), interface, family))

    def system_log(self):
        """A listener on /dev/log of this mount namespace only; closed with the host."""
        if self._system_log is None:
            self._system_log = SystemLog(self.tmp)
        return self._system_log

    def report(self, program, extra_env=None):
        """Runs `program --report --json`; (exit code, parsed JSON, stderr)."""
        env = dict(os.environ, **(extra_env or {}))
        done = subprocess.run([program, "--report", "--json"], capture_output=True, env=env, timeout=60)
        try:
            report = json.loads(done.stdout.decode("utf-8"))
        except ValueError as error:
            raise AssertionError(f"not JSON ({error}): {done.stdout!r}\nstderr: {done.stderr!r}")
        return done.returncode, report, done.stderr.decode("utf-8", "replace")

    def close(self):
        """Stops the servers this host started."""
        for process in self._processes:
            stop(process)
        self._processes.clear()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        if self._system_log:
            self._system_log.close()
        # The mounts go with the namespace; the files are ours to remove.
        subprocess.run(["umount", "/etc"], check=False, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.tmp, ignore_errors=True)


class SystemLog:
    """A listener on a /dev/log of this mount namespace only: an overlay on
    /dev keeps its devices and takes the socket. The machine has no system
    log daemon, and a test must never write to one anyway."""

    def __init__(self, tmp):
        layers = tempfile.mkdtemp(prefix="dev-", dir=tmp)
        upper, work = os.path.join(layers, "upper"), os.path.join(layers, "work")
        os.makedirs(upper)
        os.makedirs(work)
        run("mount", "-t", "overlay", "overlay", "-o", f"lowerdir=/dev,upperdir={upper},workdir={work}", "/dev")
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.socket.bind("/dev/log")
        self.socket.settimeout(0)

    def entries(self):
        """Every datagram received so far, as text."""
        found = []
        while True:
            try:
                found.append(self.socket.recv(65536).decode("utf-8", "replace"))
            except BlockingIOError:
                return found

    def wait_for_entries(self, count=1, timeout=30.0):
        """The entries once at least `count` have come."""
        from .namespaces import wait_until
        seen = []

        def enough():
            seen.extend(self.entries())
            return len(seen) >= count

        wait_until(f"{count} system log entries", enough, timeout)
        return seen

    def close(self):
        self.socket.close()
        subprocess.run(["umount", "/dev"], check=False, stderr=subprocess.DEVNULL)


WINDOW_MODULE = "hostwarden-windows.so"


def runnable_by_everyone(program, work=None):
    """`program` as a path every user may run: the program itself, or, when
    a directory above it is closed to others (a checkout in a directory that
    `mktemp -d` made is), a copy with the window module beside it in `work`
    (a new directory when not given). The cases that run it as another user
    need this; root runs the original."""
    path = os.path.abspath(program)
    folder = os.path.dirname(path)
    ancestors = [folder]
    while folder != os.path.dirname(folder):
        folder = os.path.dirname(folder)
        ancestors.append(folder)
    if all(os.stat(d).st_mode & 0o001 for d in ancestors):
        return path
    if work is None and path in _copies:
        return _copies[path]
    copy_dir = tempfile.mkdtemp(prefix="runnable-", dir=work)
    os.chmod(copy_dir, 0o755)
    module = os.path.join(os.path.dirname(path), WINDOW_MODULE)
    if os.path.exists(module):
        shutil.copy2(module, copy_dir)
    copy = shutil.copy2(path, copy_dir)
    if work is None:  # one copy a process, removed when it ends
        _copies[path] = copy
        atexit.register(shutil.rmtree, copy_dir, True)
    return copy


_copies = {}
