"""isc-dhcp-client (dhclient) on the PC's side of the wire, as a PC that
takes its addresses and DNS servers from DHCP: Debian's own dhclient-script
writes /etc/resolv.conf (the namespace's private one). Its lease, pid and
configuration files lie in the test's directory; it runs in the foreground
and ends with the test."""

import os
import subprocess

from .dnsmasq import DnsmasqLog
from .namespaces import end_with_parent, require_own_namespaces, stop, wait_until

STOCK_SCRIPT = "/sbin/dhclient-script"
BOUND = {"-4": ("BOUND", "REBOOT", "RENEW"), "-6": ("BOUND6", "RENEW6", "REBIND6")}
REQUESTS = {"-4": "request subnet-mask, routers, domain-name, domain-name-servers;\n",
            "-6": "request dhcp6.name-servers, dhcp6.domain-search;\n"}


def link_local_ready(interface):
    """Whether `interface` has a link-local address past duplicate address
    detection: dhclient -6 binds to it and gives up when it cannot."""
    shown = subprocess.run(["ip", "-6", "addr", "show", "dev", interface, "scope", "link"],
                           capture_output=True, text=True).stdout
    return "inet6 fe80" in shown and "tentative" not in shown


def start(work, interface, family="-6"):
    """dhclient `family` (-4 or -6) on `interface`; returns the process once
    the script has run for a lease. Every reason the script was run for is
    in work/reasons."""
    require_own_namespaces()
    os.makedirs(work, exist_ok=True)
    reasons = os.path.join(work, "reasons")
    script = os.path.join(work, "dhclient-script")
    with open(script, "w") as f:
        # The stock script does the work; the reason is noted so a test can
        # wait for the lease rather than sleep.
        f.write(f'#!/bin/sh\n{STOCK_SCRIPT} "$@"\nstatus=$?\necho "$reason" >> {reasons}\nexit $status\n')
    os.chmod(script, 0o755)
    conf = os.path.join(work, "dhclient.conf")
    with open(conf, "w") as f:
        f.write(REQUESTS[family])
    if family == "-6":
        with open(f"/proc/sys/net/ipv6/conf/{interface}/accept_dad", "w") as f:
            f.write("0\n")  # the leased address is usable at once
        wait_until(f"a link-local address on {interface}", lambda: link_local_ready(interface), timeout=10)
    with open(os.path.join(work, "dhclient.out"), "w") as out:
        process = subprocess.Popen(
            ["dhclient", "-d", family, "-1", "-cf", conf, "-sf", script, "-lf", os.path.join(work, "leases"),
             "-pf", os.path.join(work, "dhclient.pid"), interface],
            stdout=out, stderr=subprocess.STDOUT, preexec_fn=end_with_parent)

    def bound():
        if not os.path.exists(reasons):
            return False
        with open(reasons) as f:
            return any(line.strip() in BOUND[family] for line in f)

    try:
        wait_until(f"dhclient {family} to take a lease on {interface}", bound, timeout=30, process=process)
    except Exception as error:
        stop(process)
        with open(os.path.join(work, "dhclient.out"), errors="replace") as out:
            raise AssertionError(f"{error}\n{out.read()}") from error
    return process


def campus_server(peer, work, *options):
    """dnsmasq on the far end of the PC's wire (a network.Peer): the campus
    router's DHCP server, and a DNS server on the peer's addresses, with
    `options` for the ranges, DHCP options and records. Returns its
    DnsmasqLog once it has started."""
    log = os.path.join(work, "campus-dnsmasq.log")
    peer.start("dnsmasq", "--keep-in-foreground", "--no-resolv", "--no-hosts", f"--interface={peer.link}",
               "--bind-interfaces", "--port=53", "--log-queries", "--log-dhcp", f"--log-facility={log}",
               "--pid-file=", "--user=root", "--group=root",
               f"--dhcp-leasefile={os.path.join(work, 'campus-dnsmasq.leases')}", *options)
    found = DnsmasqLog(log)
    wait_until("the campus's dnsmasq to start", lambda: "started, version" in found.text(), timeout=10)
    return found
