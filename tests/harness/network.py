"""The test host's network: a veth interface that carries the default route
(a PC in a LAN, as Wine's and the program's connection checks want it),
with IPv4 and IPv6 addresses from the documentation ranges only."""

import ipaddress

from .namespaces import run


def gateway_of(address, prefix):
    """The first address of `address`'s network: the default route's gateway,
    which nobody answers."""
    return str(next(ipaddress.ip_network(f"{address}/{prefix}", strict=False).hosts()))


def interface(name, address, default_route=False, address6=None):
    """A veth interface that is up with `address`/24 (and `address6`/64);
    with `default_route`, the default routes go through it."""
    run("ip", "link", "add", name, "type", "veth", "peer", "name", name + "p")
    run("ip", "addr", "add", f"{address}/24", "dev", name)
    if address6:
        # nodad: usable at once, without waiting for duplicate detection.
        run("ip", "-6", "addr", "add", f"{address6}/64", "dev", name, "nodad")
    run("ip", "link", "set", name + "p", "up")
    run("ip", "link", "set", name, "up")
    if default_route:
        run("ip", "route", "add", "default", "via", gateway_of(address, 24), "dev", name, "onlink")
        if address6:
            run("ip", "-6", "route", "add", "default", "via", gateway_of(address6, 64), "dev", name, "onlink")


def on_loopback(address):
    """A server's address on `lo`, as a single address: a wider prefix would
    make the whole network local, gateways included."""
    single = 128 if ":" in address else 32
    run("ip", "addr", "add", f"{address}/{single}", "dev", "lo")
