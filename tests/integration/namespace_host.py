"""A test host inside namespaces of its own: network (the PC's address on a
veth interface that carries the default route, the servers' addresses on
`lo`, all from the documentation ranges), host name, and mounts (a private
copy of /etc, /run/dbus and /run/systemd masked). Nothing a test does here
can reach this machine's DNS server or rename this machine.

`enter(argv)` re-runs the calling script under `unshare -n -u -m`; inside,
`require_own_namespaces()` refuses to go on unless every namespace differs
from the one the script was started in."""

import argparse
import ctypes
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

OUTER_NS = "HOSTWARDEN_TEST_OUTER_NS"
SKIP = 77  # ctest's SKIP_RETURN_CODE
KINDS = ("net", "uts", "mnt")


def namespace_ids(pid="self"):
    return {kind: os.readlink(f"/proc/{pid}/ns/{kind}") for kind in KINDS}


def enter(argv):
    """Outside: run this script again in new namespaces and return its exit
    code. With --inside: return None; require_own_namespaces() then checks."""
    if "--inside" in argv:
        return None
    if os.geteuid() != 0 or not shutil.which("unshare"):
        print("skipped: the namespace tests need root and unshare")
        return SKIP
    env = dict(os.environ, **{OUTER_NS: json.dumps(namespace_ids())})
    env.pop("DBUS_SYSTEM_BUS_ADDRESS", None)
    command = ["unshare", "--net", "--uts", "--mount", "--propagation", "private",
               sys.executable, argv[0], "--inside"] + argv[1:]
    return subprocess.call(command, env=env)


class Skipped(Exception):
    """A case that cannot run on this machine; the message says why."""


def refuse(reason):
    print(f"refusing to run: {reason}", file=sys.stderr)
    sys.exit(3)


def require_own_namespaces(fresh=True):
    """`fresh`: the network namespace has only lo yet (a test host's own
    interfaces come later)."""
    outer = json.loads(os.environ.get(OUTER_NS) or "null")
    if not outer:
        refuse("not started through namespace_host.enter()")
    mine = namespace_ids()
    for kind in KINDS:
        if mine[kind] == outer.get(kind):
            refuse(f"the {kind} namespace is the one this test was started in")
    try:
        if os.readlink("/proc/1/ns/net") == mine["net"]:
            refuse("the network namespace is the machine's own")
    except OSError:
        pass  # PID 1's namespaces may be hidden from us; the check above stands
    names = [name for _, name in socket.if_nameindex()]
    if fresh and names != ["lo"]:
        refuse(f"the network namespace is not fresh: {names}")


def expect(condition, message, *context):
    """A case's check: fails it with the message and what it was about."""
    if not condition:
        raise AssertionError(message + "".join(f"\n  {item!r}" for item in context))


def main(cases, program_option):
    """The whole main of a case script: outside, run it again in namespaces
    of its own; inside, run the case named on the command line."""
    code = enter(sys.argv)
    if code is not None:
        return code
    return run_cases(cases, program_option)


def stop(process):
    """Ends a process we started: politely first, then for sure."""
    process.terminate()
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def run_cases(cases, program_option):
    """The inside half of a case script: refuses to run outside its own
    namespaces, then runs the case named on the command line."""
    require_own_namespaces()
    parser = argparse.ArgumentParser()
    parser.add_argument("--inside", action="store_true")
    parser.add_argument(program_option, required=True)
    parser.add_argument("case", choices=sorted(cases))
    args = parser.parse_args()
    try:
        cases[args.case](args)
    except Skipped as why:
        print(f"SKIPPED: {args.case}: {why}")
        return SKIP
    print(f"{args.case}: passed")
    return 0


def _end_with_parent():
    """In the child before exec: end when the harness ends, however it ends,
    so no server outlives its test."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def run(*command, **kwargs):
    subprocess.run(command, check=True, **kwargs)


class Host:
    """The test host: call inside the namespaces only."""

    def __init__(self, hostname="ws-17", addresses=("192.0.2.7", "192.0.2.53"),
                 nameservers=("192.0.2.53",), hosts="127.0.0.1\tlocalhost\n", lan=True,
                 ipv6=(), ipv6_servers=(), ipv4_on_lan=True):
        """With `lan`, the first address is the PC's own, on the interface
        `lan0` with the default route; every other address is on `lo`.
        `ipv6`: the PC's IPv6 addresses on `lan0` (each with any further
        words for `ip addr add`, such as "preferred_lft 0"), which then
        carries an IPv6 default route too; `ipv6_servers` go on `lo`.
        Without `ipv4_on_lan` the PC is IPv6-only: every IPv4 address is
        on `lo`."""
        require_own_namespaces()
        self.tmp = tempfile.mkdtemp(prefix="hostwarden-it-")
        self.etc = os.path.join(self.tmp, "etc")
        self._processes = []
        run("ip", "link", "set", "lo", "up")
        if lan:
            self.interface("lan0", addresses[0] if ipv4_on_lan else None, default_route=ipv4_on_lan, ipv6=ipv6)
            addresses = addresses[1:] if ipv4_on_lan else addresses
        for address in addresses:
            # /32: on lo a wider prefix would make the whole network local,
            # gateways included.
            run("ip", "addr", "add", f"{address}/32", "dev", "lo")
        for address in ipv6_servers:
            run("ip", "-6", "addr", "add", f"{address}/128", "dev", "lo")
        socket.sethostname(hostname)
        self._private_etc(hostname, nameservers, hosts)
        for masked in ("/run/dbus", "/run/systemd"):
            if os.path.isdir(masked):
                run("mount", "-t", "tmpfs", "-o", "size=1m,mode=755", "tmpfs", masked)
        run("mount", "-t", "sysfs", "sysfs", "/sys")  # /sys/class/net of this namespace

    @staticmethod
    def interface(name, address, default_route=False, ipv6=()):
        """A veth interface that is up with `address`/24 (none for None);
        with `default_route`, the default route goes through it (to the
        first address of its network, which nobody answers). With `ipv6`
        addresses (/64, no duplicate detection), an IPv6 default route too;
        temporary (privacy) addresses come with "mngtmpaddr"."""
        run("ip", "link", "add", name, "type", "veth", "peer", "name", name + "p")
        if address:
            run("ip", "addr", "add", f"{address}/24", "dev", name)
        if ipv6:
            with open(f"/proc/sys/net/ipv6/conf/{name}/use_tempaddr", "w") as f:
                f.write("2\n")
        run("ip", "link", "set", name + "p", "up")
        run("ip", "link", "set", name, "up")
        for entry in ipv6:
            address6, *words = entry.split()
            run("ip", "-6", "addr", "add", f"{address6}/64", "dev", name, "nodad", *words)
        if default_route:
            gateway = address.rsplit(".", 1)[0] + ".1"
            run("ip", "route", "add", "default", "via", gateway, "dev", name, "onlink")
        if ipv6:
            run("ip", "-6", "route", "add", "default", "via", "fe80::1", "dev", name)

    def _private_etc(self, hostname, nameservers, hosts):
        run("cp", "-a", "/etc", self.etc)
        for name, text in (("resolv.conf", "".join(f"nameserver {s}\n" for s in nameservers)),
                           ("hosts", hosts), ("hostname", hostname + "\n")):
            path = os.path.join(self.etc, name)
            if os.path.lexists(path):
                os.remove(path)  # may be a link into /run
            with open(path, "w") as f:
                f.write(text)
        run("mount", "--bind", self.etc, "/etc")

    def dnsmasq(self, address, *options, name="dnsmasq"):
        """dnsmasq answering on `address` only, logging every query."""
        log = os.path.join(self.tmp, f"{name}.log")
        open(log, "w").close()
        process = subprocess.Popen(
            ["dnsmasq", "--keep-in-foreground", "--no-resolv", "--no-hosts", f"--listen-address={address}",
             "--bind-interfaces", "--port=53", "--log-queries", f"--log-facility={log}", "--pid-file=",
             "--user=root", "--group=root", *options],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=_end_with_parent)
        self._processes.append(process)
        self._wait_for_udp(address, 53, process)
        return DnsmasqLog(log)

    @staticmethod
    def _wait_for_udp(address, port, process):
        if ":" in address:
            raw = socket.inet_pton(socket.AF_INET6, address)
            words = [int.from_bytes(raw[i:i + 4], "little") for i in range(0, 16, 4)]
            wanted, table_path = "".join("%08X" % w for w in words) + ":%04X" % port, "/proc/net/udp6"
        else:
            wanted = "%08X:%04X" % (int.from_bytes(socket.inet_aton(address), "little"), port)
            table_path = "/proc/net/udp"
        for _ in range(200):
            with open(table_path) as table:
                if any(line.split()[1] == wanted for line in table.readlines()[1:]):
                    return
            if process.poll() is not None:
                raise RuntimeError("dnsmasq ended at start")
            time.sleep(0.01)
        raise RuntimeError(f"nothing listens on {address}:{port}")

    def report(self, program, extra_env=None):
        """Runs `program --report --json`; (exit code, parsed JSON, stderr)."""
        env = dict(os.environ, **(extra_env or {}))
        done = subprocess.run([program, "--report", "--json"], capture_output=True, env=env, timeout=30)
        try:
            report = json.loads(done.stdout.decode("utf-8"))
        except ValueError as error:
            raise AssertionError(f"not JSON ({error}): {done.stdout!r}\nstderr: {done.stderr!r}")
        return done.returncode, report, done.stderr.decode("utf-8", "replace")

    def close(self):
        for process in self._processes:
            stop(process)
        self._processes.clear()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        # The mounts go with the namespace; the files are ours to remove.
        subprocess.run(["umount", "/etc"], check=False)
        shutil.rmtree(self.tmp, ignore_errors=True)


class DnsmasqLog:
    def __init__(self, path):
        self.path = path

    def queries(self, qtype=None):
        """(type, name) of every query received, in order."""
        found = []
        with open(self.path, errors="replace") as log:
            for line in log:
                if " query[" not in line:
                    continue
                kind, _, rest = line.split(" query[", 1)[1].partition("] ")
                if qtype is None or kind == qtype:
                    found.append((kind, rest.split(" from ")[0]))
        return found
