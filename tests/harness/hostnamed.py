"""systemd-hostnamed on a system bus of the test's own, inside the test's
namespaces: dbus-daemon with its own configuration and socket, the socket
bind-mounted where the system bus socket lives (/run/dbus, which the test
host has masked with a tmpfs), and /lib/systemd/systemd-hostnamed started by
hand. Call inside the test's namespaces only, before any interface but lo
is made (the guard checks for a fresh network namespace). When the service cannot be
started here, Unavailable says why and the case is reported as skipped."""

import os
import shutil
import subprocess

from .namespaces import Skipped, TimedOut, end_with_parent, refuse, require_own_namespaces, run, stop, wait_until

HOSTNAMED = "/lib/systemd/systemd-hostnamed"
POLKITD = "/usr/lib/polkit-1/polkitd"
POLKIT_RULES = "/etc/polkit-1/rules.d"
SYSTEM_BUS_SOCKET = "/run/dbus/system_bus_socket"
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
"""


class Unavailable(Skipped):
    pass


def _require_own_run(guard):
    """The bus socket goes to /run only when /run is the test's own tmpfs
    in the test's own mount namespace, never the machine's."""
    guard()
    with open("/proc/self/mountinfo") as table:
        last = [line.split() for line in table if line.split()[4] == "/run"]
    if not last or "tmpfs" not in last[-1][last[-1].index("-") + 1:]:
        refuse("/run is not the test's own tmpfs")


def _require_own_etc():
    """The rules file goes to /etc only when /etc is a mount of the test's
    own (a private copy bound over it), never the machine's."""
    with open("/proc/self/mountinfo") as table:
        if not any(line.split()[4] == "/etc" for line in table):
            refuse("/etc is not the test's own copy")


class Hostnamed:
    def __init__(self, work, guard=require_own_namespaces, polkit_rules=None):
        """`work`: a directory of the test's own; `guard` refuses to go on
        outside the test's namespaces. `polkit_rules`: the JavaScript of a
        rules file for polkitd, which then runs on the bus as well (the
        test's /etc must be a private copy); without it nobody answers for
        polkit and hostnamed lets only root rename."""
        self._guard = guard
        guard()
        # A /run of our own: the machine may lack /run/dbus, and nothing here
        # may be made in its /run.
        run("mount", "-t", "tmpfs", "-o", "size=4m,mode=755", "tmpfs", "/run")
        _require_own_run(guard)
        for directory in ("/run/dbus", "/run/systemd"):
            os.makedirs(directory)
        missing = [tool for tool in ("dbus-daemon", "busctl") if not shutil.which(tool)]
        if not os.access(HOSTNAMED, os.X_OK):
            missing.append(HOSTNAMED)
        if missing:
            raise Unavailable("missing " + " ".join(missing))
        self.dir = os.path.join(work, "bus")
        os.makedirs(self.dir)
        self._processes = []
        self.env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=f"unix:path={SYSTEM_BUS_SOCKET}")
        try:
            self._start_bus()
            if polkit_rules is not None:
                self._start_polkitd(polkit_rules)
            os.makedirs("/run/systemd/system", exist_ok=True)  # where the program looks for systemd
            self._start_hostnamed()
        except Exception:
            self.close()
            raise

    def _start_bus(self):
        socket_path = os.path.join(self.dir, "system_bus_socket")
        config = os.path.join(self.dir, "system.conf")
        with open(config, "w") as f:
            f.write(BUS_CONFIG.format(socket=socket_path))
        bus = self._spawn(["dbus-daemon", f"--config-file={config}", "--nofork", "--nopidfile", "--nosyslog"],
                          "dbus-daemon.log")
        self._wait("the bus socket", lambda: os.path.exists(socket_path), bus)
        open(SYSTEM_BUS_SOCKET, "w").close()
        run("mount", "--bind", socket_path, SYSTEM_BUS_SOCKET)

    def _start_polkitd(self, rules):
        if not os.access(POLKITD, os.X_OK):
            raise Unavailable("missing " + POLKITD)
        _require_own_etc()
        os.makedirs(POLKIT_RULES, exist_ok=True)
        with open(os.path.join(POLKIT_RULES, "50-hostwarden-test.rules"), "w") as f:
            f.write(rules)
        service = self._spawn([POLKITD, "--no-debug"], "polkitd.log")
        self._wait("org.freedesktop.PolicyKit1 on the bus", lambda: self._name_owned("org.freedesktop.PolicyKit1"),
                   service)

    def _name_owned(self, name):
        done = subprocess.run(["busctl", "--system", "call", "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "NameHasOwner", "s", name], capture_output=True, text=True,
                              env=self.env, timeout=10)
        return done.stdout.strip() == "b true"

    def _start_hostnamed(self):
        service = self._spawn([HOSTNAMED], "hostnamed.log")
        self._wait("org.freedesktop.hostname1 on the bus", lambda: self.static_hostname() is not None, service)

    def _spawn(self, command, log_name):
        log = open(os.path.join(self.dir, log_name), "w")
        process = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT, env=self.env,
                                   preexec_fn=end_with_parent)
        log.close()
        self._processes.append((process, os.path.join(self.dir, log_name)))
        return process

    def _wait(self, what, ready, process, timeout=30.0):
        try:
            wait_until(what, ready, timeout, process=process)
        except TimedOut:
            log = self._processes[-1][1]
            with open(log, errors="replace") as f:
                text = f.read().strip().replace("\n", " | ")
            raise Unavailable(f"{what} did not come up ({' '.join(process.args)}: {text or 'no output'})")

    def static_hostname(self):
        """The service's StaticHostname property; None when nobody answers."""
        done = subprocess.run(["busctl", "--system", "get-property", "org.freedesktop.hostname1",
                               "/org/freedesktop/hostname1", "org.freedesktop.hostname1", "StaticHostname"],
                              capture_output=True, text=True, env=self.env, timeout=10)
        if done.returncode != 0:
            return None
        kind, _, value = done.stdout.strip().partition(" ")
        return value.strip('"') if kind == "s" else None

    def close(self):
        for process, _ in reversed(self._processes):
            stop(process)
        self._processes.clear()
        subprocess.run(["umount", SYSTEM_BUS_SOCKET], check=False, stderr=subprocess.DEVNULL)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
