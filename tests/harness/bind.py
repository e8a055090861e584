"""BIND 9 as the campus's authoritative server of a test: zones written from
a table, answers in the order `rrset-order` gives (random or cyclic, as the
campus's own server may), every query logged. It listens on the addresses
given only, keeps its files in a directory of the test's own, and is ready
(every zone loaded and answered) before a test asks it."""

import os
import re
import subprocess

from .namespaces import end_with_parent, require_own_namespaces, stop, wait_until
from .server_log import ServerLog

SERIAL = 2026120901


def zone_text(origin, records, address):
    """A zone file: SOA and NS, the name server's own address record
    (`ns.<origin>`, as BIND wants an address for an NS in its zone), then
    `records`, zone-file lines relative to the origin."""
    kind = "AAAA" if ":" in address else "A"
    lines = [f"$ORIGIN {origin}.", "$TTL 60",
             f"@ IN SOA ns hostmaster {SERIAL} 3600 600 86400 60",
             "@ IN NS ns", f"ns IN {kind} {address}", *records]
    return "\n".join(lines) + "\n"


def config_text(work, addresses, zones, order):
    v4 = [a for a in addresses if ":" not in a]
    v6 = [a for a in addresses if ":" in a]
    listen = lambda items: "{ " + "".join(f"{a}; " for a in items) + "}" if items else "{ none; }"
    zone_blocks = "".join(f'zone "{origin}" {{ type primary; file "{os.path.join(work, origin + ".zone")}"; }};\n'
                          for origin in zones)
    # No recursion, no DNSSEC, no notifies and no control channel: the server
    # answers from its own zones and never sends anything anywhere.
    return f"""options {{
    directory "{work}";
    pid-file "{os.path.join(work, 'named.pid')}";
    session-keyfile "{os.path.join(work, 'session.key')}";
    managed-keys-directory "{work}";
    listen-on port 53 {listen(v4)};
    listen-on-v6 port 53 {listen(v6)};
    recursion no;
    dnssec-validation no;
    notify no;
    querylog yes;
    rrset-order {{ order {order}; }};
}};
controls {{ }};
logging {{
    channel everything {{ file "{os.path.join(work, 'named.log')}"; print-time yes; severity info; }};
    category default {{ everything; }};
    category queries {{ everything; }};
}};
{zone_blocks}"""


def start(work, addresses, zones, order="cyclic"):
    """named on `addresses` (port 53), serving `zones` (origin -> zone-file
    lines); its files in `work`. Returns (process, BindLog) once every zone
    answers with authority."""
    require_own_namespaces()
    os.makedirs(work, exist_ok=True)
    first = addresses[0]
    for origin, records in zones.items():
        with open(os.path.join(work, origin + ".zone"), "w") as f:
            f.write(zone_text(origin, records, first))
    conf = os.path.join(work, "named.conf")
    with open(conf, "w") as f:
        f.write(config_text(work, addresses, zones, order))
    log = BindLog(os.path.join(work, "named.log"))
    with open(os.path.join(work, "named.out"), "w") as out:
        process = subprocess.Popen(["named", "-f", "-u", "root", "-c", conf], cwd=work, stdout=out,
                                   stderr=subprocess.STDOUT, preexec_fn=end_with_parent)
    try:
        for origin in zones:
            for address in addresses:
                wait_until(f"BIND to answer for {origin} on {address}",
                           lambda: authoritative(address, origin), timeout=20, process=process)
    except Exception as error:
        stop(process)
        raise AssertionError(f"{error}\n{log.text()}") from error
    return process, log


def dig(server, *query, timeout=1):
    """`dig` asking `server` only, once; its output (empty when it got no
    answer)."""
    done = subprocess.run(["dig", f"@{server}", f"+time={timeout}", "+tries=1", "+nosearch", *query],
                          capture_output=True, text=True, timeout=timeout + 5)
    return done.stdout if done.returncode == 0 else ""


def authoritative(server, origin):
    """Whether `server` answers for the zone `origin` with authority: the
    zone is loaded."""
    answer = dig(server, "+norecurse", origin, "SOA")
    flags = re.search(r";; flags:([^;]*);", answer)
    return "status: NOERROR" in answer and flags is not None and " aa" in flags.group(1)


def ptr_names(server, address):
    """The PTR names `server` gives for `address`, in the answer's order."""
    return [line.rstrip(".") for line in dig(server, "+short", "-x", address).split()]


def orders_seen(server, address, names, tries=32):
    """Asks until the PTR names of `address` came back in more than one
    order (at most `tries` times); the orders seen. A test of ordering
    proves its server rotates before it counts on it."""
    seen = set()
    for _ in range(tries):
        answer = tuple(ptr_names(server, address))
        if sorted(answer) == sorted(names):
            seen.add(answer)
        if len(seen) > 1:
            break
    return seen


class BindLog(ServerLog):
    """named's query log."""

    QUERY = re.compile(r" query: (\S+) IN (\S+) ")

    def queries(self, qtype=None):
        """(type, name) of every query received, in order."""
        found = [(kind, name) for name, kind in self.QUERY.findall(self.text())]
        return [entry for entry in found if qtype is None or entry[0] == qtype]
