"""Unbound as the resolver a PC's resolv.conf names: it forwards everything
to the test's own authoritative server and hands out its cached answers in
round-robin order, as a campus resolver does. It listens on one address,
serves the test's networks only, has no control channel and never uses the
root servers (everything goes to the forwarder, so nothing leaves the
namespace)."""

import os
import subprocess

from .bind import dig
from .namespaces import end_with_parent, require_own_namespaces, stop, wait_until

# Unbound answers these reverse zones itself (documentation networks) unless
# told to leave them to the forwarder.
DOCUMENTATION_REVERSE_ZONES = ("2.0.192.in-addr.arpa", "100.51.198.in-addr.arpa", "113.0.203.in-addr.arpa",
                               "8.b.d.0.1.0.0.2.ip6.arpa")
TEST_NETWORKS = ("127.0.0.0/8", "192.0.2.0/24", "198.51.100.0/24", "203.0.113.0/24", "2001:db8::/32")


def config_text(work, address, forwarder):
    lines = ["server:",
             f'    directory: "{work}"', '    chroot: ""', '    username: ""',
             f'    pidfile: "{os.path.join(work, "unbound.pid")}"',
             f'    logfile: "{os.path.join(work, "unbound.log")}"', "    use-syslog: no",
             "    verbosity: 1", "    log-queries: yes",
             f"    interface: {address}", "    port: 53", "    interface-automatic: no",
             f"    do-ip6: {'yes' if ':' in address or ':' in forwarder else 'no'}",
             '    module-config: "iterator"',  # no DNSSEC validation, so no trust anchor to fetch
             "    rrset-roundrobin: yes",
             "    do-not-query-localhost: no",
             "    access-control: 0.0.0.0/0 refuse", "    access-control: ::/0 refuse",
             *(f"    access-control: {net} allow" for net in TEST_NETWORKS),
             *(f'    local-zone: "{zone}." nodefault' for zone in DOCUMENTATION_REVERSE_ZONES),
             "remote-control:", "    control-enable: no",
             "forward-zone:", '    name: "."', f"    forward-addr: {forwarder}"]
    return "\n".join(lines) + "\n"


def start(work, address, forwarder, ready_name):
    """unbound on `address` port 53, forwarding to `forwarder`; returns
    (process, log path) once it answers a query for `ready_name` (a name
    the forwarder knows) with NOERROR."""
    require_own_namespaces()
    os.makedirs(work, exist_ok=True)
    conf = os.path.join(work, "unbound.conf")
    with open(conf, "w") as f:
        f.write(config_text(work, address, forwarder))
    with open(os.path.join(work, "unbound.out"), "w") as out:
        process = subprocess.Popen(["unbound", "-d", "-c", conf], cwd=work, stdout=out,
                                   stderr=subprocess.STDOUT, preexec_fn=end_with_parent)
    log = os.path.join(work, "unbound.log")
    try:
        wait_until(f"Unbound to answer on {address}", lambda: "status: NOERROR" in dig(address, ready_name, "SOA"),
                   timeout=20, process=process)
    except Exception as error:
        stop(process)
        with open(log, errors="replace") if os.path.exists(log) else open(os.devnull) as text:
            raise AssertionError(f"{error}\n{text.read()}") from error
    return process, log
