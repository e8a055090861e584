"""The test host's network: a veth interface that carries the default route
(a PC in a LAN, as Wine's and the program's connection checks want it),
with IPv4 and IPv6 addresses from the documentation ranges only."""

import ipaddress
import os
import subprocess

from .namespaces import end_with_parent, require_own_namespaces, run, stop, wait_until


def gateway_of(address, prefix):
    """The first address of `address`'s network: the default route's gateway,
    which nobody answers."""
    return str(next(ipaddress.ip_network(f"{address}/{prefix}", strict=False).hosts()))


def interface(name, address, default_route=False, address6=None, ipv6=()):
    """A veth interface that is up with `address`/24 (none for None) and
    `address6`/64; with `default_route`, the default routes go through it.
    `ipv6`: further IPv6 addresses (/64), each with any further words for
    `ip addr add` ("preferred_lft 0" makes one deprecated, "mngtmpaddr" gives
    it a temporary privacy twin); with them the interface carries an IPv6
    default route whatever `default_route` says."""
    entries = ([address6] if address6 else []) + list(ipv6)
    run("ip", "link", "add", name, "type", "veth", "peer", "name", name + "p")
    if address:
        run("ip", "addr", "add", f"{address}/24", "dev", name)
    if ipv6:
        with open(f"/proc/sys/net/ipv6/conf/{name}/use_tempaddr", "w") as f:
            f.write("2\n")
    run("ip", "link", "set", name + "p", "up")
    run("ip", "link", "set", name, "up")
    for entry in entries:
        # nodad: usable at once, without waiting for duplicate detection.
        first, *words = entry.split()
        run("ip", "-6", "addr", "add", f"{first}/64", "dev", name, "nodad", *words)
    if default_route and address:
        run("ip", "route", "add", "default", "via", gateway_of(address, 24), "dev", name, "onlink")
    if entries and (default_route or ipv6):
        gateway6 = gateway_of(entries[0].split()[0], 64)
        run("ip", "-6", "route", "add", "default", "via", gateway6, "dev", name, "onlink")


def on_loopback(address):
    """A server's address on `lo`, as a single address: a wider prefix would
    make the whole network local, gateways included."""
    single = 128 if ":" in address else 32
    run("ip", "addr", "add", f"{address}/{single}", "dev", "lo")


class Peer:
    """The far end of a veth (`link`, e.g. lan0p) in a network namespace of
    its own, made inside the test's: the campus side of the PC's wire, where
    a DHCP server answers as another machine would. Packets between the two
    cross the wire instead of being delivered locally, as they would be with
    both ends in one namespace. `addresses` go on `link` (/24 or /64)."""

    def __init__(self, link, addresses=()):
        require_own_namespaces()
        self.link = link
        self._processes = []
        self._holder = subprocess.Popen(["unshare", "--net", "sleep", "infinity"], preexec_fn=end_with_parent)
        own = os.readlink("/proc/self/ns/net")
        self.netns = f"/proc/{self._holder.pid}/ns/net"
        wait_until("the peer's network namespace", lambda: os.readlink(self.netns) != own, timeout=10,
                   process=self._holder)
        run("ip", "link", "set", link, "netns", str(self._holder.pid))
        # No duplicate address detection: addresses are usable at once.
        self.run("sh", "-c", f"echo 0 > /proc/sys/net/ipv6/conf/{link}/accept_dad")
        self.run("ip", "link", "set", "lo", "up")
        for address in addresses:
            if ":" in address:
                self.run("ip", "-6", "addr", "add", f"{address}/64", "dev", link, "nodad")
            else:
                self.run("ip", "addr", "add", f"{address}/24", "dev", link)
        self.run("ip", "link", "set", link, "up")

    def command(self, *command):
        return ["nsenter", f"--net={self.netns}", *command]

    def run(self, *command, **kwargs):
        """A command inside the peer's network namespace, to its end."""
        return run(*self.command(*command), **kwargs)

    def start(self, *command, **kwargs):
        """A server inside the peer's network namespace; stopped by close()."""
        process = subprocess.Popen(self.command(*command), preexec_fn=end_with_parent, **kwargs)
        self._processes.append(process)
        return process

    def close(self):
        for process in self._processes + [self._holder]:
            stop(process)
        self._processes.clear()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
