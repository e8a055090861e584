"""dnsmasq as the real DNS server of a test: it answers on one address only,
logs every query, and is ready (its socket bound) before a test asks it."""

import os
import socket
import subprocess

from .namespaces import end_with_parent, wait_until
from .server_log import ServerLog


def start(address, log, *options):
    """dnsmasq on `address` port 53, logging to `log`; returns the process
    once it listens."""
    open(log, "w").close()
    process = subprocess.Popen(
        ["dnsmasq", "--keep-in-foreground", "--no-resolv", "--no-hosts", f"--listen-address={address}",
         "--bind-interfaces", "--port=53", "--log-queries", f"--log-facility={log}", "--pid-file=",
         "--user=root", "--group=root", *options],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=end_with_parent)
    wait_until(f"dnsmasq to listen on {address}", lambda: udp_listening(address, 53), process=process)
    return process


def udp_listening(address, port):
    """Whether a socket is bound to `address`:`port` (/proc/net/udp or udp6).
    A bound socket queues what arrives, so the server is ready."""
    if ":" in address:
        packed, table = socket.inet_pton(socket.AF_INET6, address), "/proc/net/udp6"
        # Each 32-bit word in host (little-endian) order.
        hexed = "".join(packed[i:i + 4][::-1].hex().upper() for i in range(0, 16, 4))
    else:
        packed, table = socket.inet_aton(address), "/proc/net/udp"
        hexed = packed[::-1].hex().upper()
    wanted = f"{hexed}:{port:04X}"
    with open(table) as lines:
        return any(line.split()[1] == wanted for line in lines.readlines()[1:])


class DnsmasqLog(ServerLog):
    def queries(self, qtype=None):
        """(type, name) of every query received, in order."""
        found = []
        for line in self.text().splitlines():
            if " query[" not in line:
                continue
            kind, _, rest = line.split(" query[", 1)[1].partition("] ")
            if qtype is None or kind == qtype:
                found.append((kind, rest.split(" from ")[0]))
        return found
