"""The real program against the servers a campus really runs, in namespaces
of their own: BIND 9 as the authoritative server with its records in
rotating order, Unbound as a resolver in front of it, and dhclient writing
resolv.conf from DHCP. What dnsmasq alone never shows: answers
whose order changes from one query to the next, and a resolv.conf that DHCP
rewrote. Usage: real_server_cases.py --program P CASE"""

import ipaddress
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import bind, dhcp_client, network, texts  # noqa: E402
from report_cases import NAME_SET, expect_report, read, run_program, write  # noqa: E402

expect = harness.expect
CASES, case = harness.registry()

CAMPUS = "uni-falkenau.de"
PC = "192.0.2.7"
AUTHORITATIVE = "192.0.2.53"
RESOLVER = "198.51.100.53"
REVERSE = "2.0.192.in-addr.arpa"
HOSTS = f"127.0.0.1\tlocalhost\n127.0.1.1\tws-17.{CAMPUS}\tws-17\n"
RUNS = 8  # enough answers that both orders come up many times over

# Two PTR names for the PC, neither its own. By raw bytes "Raum-12" sorts
# first ("R" < "p"); by lower case "pc-labor-7" does.
RAUM, LABOR = f"Raum-12.{CAMPUS}", f"pc-labor-7.{CAMPUS}"


def names_at_the_pc(confirmed):
    """The campus's zones: both PTR names for the PC, and an A record back
    to the PC for each name in `confirmed` (the others point elsewhere)."""
    forward = [f"{name.split('.')[0]} A {PC if name in confirmed else '192.0.2.99'}" for name in (RAUM, LABOR)]
    return {CAMPUS: forward, REVERSE: [f"7 PTR {RAUM}.", f"7 PTR {LABOR}."]}


def campus_servers(host, zones):
    """BIND with `zones`, in cyclic order, and Unbound in front of it; both
    shown to rotate the PC's PTR records before a case counts on it."""
    host.bind(zones, addresses=(AUTHORITATIVE,))
    host.unbound(RESOLVER, AUTHORITATIVE, CAMPUS)
    for server in (AUTHORITATIVE, RESOLVER):
        orders = bind.orders_seen(server, PC, [RAUM, LABOR])
        expect(len(orders) == 2, f"{server} answers the PTR records in both orders", orders)


def resolver_in_resolv_conf(server):
    write("/etc/resolv.conf", f"nameserver {server}\n")


def campus_host():
    return harness.Host(addresses=(PC, AUTHORITATIVE, RESOLVER), nameservers=(AUTHORITATIVE,), hosts=HOSTS)


@case
def rotating_ptr_records_give_one_name(args):
    """However the server orders the records, the report names the same one:
    the first in lower-case order, asked directly and through a resolver."""
    with campus_host() as host:
        campus_servers(host, names_at_the_pc(confirmed=()))
        for server in (AUTHORITATIVE, RESOLVER):
            resolver_in_resolv_conf(server)
            for run in range(RUNS):
                code, report, _ = host.report(args.program)
                expect(code == 1, f"exit code {code}, run {run} asking {server}", report)
                expect_report(report, verdict="mismatch", dnsServer=server, dnsName=LABOR,
                              dnsShortName="pc-labor-7")
                expect(report["ptrNames"] == [LABOR, RAUM], "both PTR names, in lower-case order", report)


def sync_runs(program, server, log):
    """--sync RUNS times through `server`, each from the old name again;
    (exit code, stdout, stderr, /etc/hostname, 127.0.1.1 line, log entry)
    of each."""
    resolver_in_resolv_conf(server)
    seen = []
    for _ in range(RUNS):
        write("/etc/hostname", "ws-17\n")
        write("/etc/hosts", HOSTS)
        code, out, err = run_program(program, "--sync")
        loopback = [line.split() for line in read("/etc/hosts").splitlines() if line.startswith("127.0.1.1")]
        entries = log.entries()
        seen.append((code, out, err, read("/etc/hostname"), loopback, entries))
    return seen


AMBIGUOUS = texts.lines(texts.german("AmbiguousPtr", PC, f"{LABOR}, {RAUM}"))


@case
def two_confirmed_ptr_names_sync_sets_nothing(args):
    with campus_host() as host:
        campus_servers(host, names_at_the_pc(confirmed=(RAUM, LABOR)))
        log = harness.SystemLog(host.tmp)
        try:
            for server in (AUTHORITATIVE, RESOLVER):
                for code, out, err, hostname, loopback, entries in sync_runs(args.program, server, log):
                    expect((code, out, err) == (1, "", AMBIGUOUS), f"refused asking {server}", code, out, err)
                    expect(hostname == "ws-17\n", "the name is unchanged", hostname)
                    expect(loopback == [["127.0.1.1", f"ws-17.{CAMPUS}", "ws-17"]], "the hosts line stays", loopback)
                    expect(len(entries) == 1 and " nameSet=no " in entries[0]
                           and " reason=ambiguous-ptr " in entries[0], "the entry gives the reason", entries)
                code, report, _ = host.report(args.program)
                log.entries()  # the report's own entry
                expect(code == 1, f"exit code {code}", report)
                expect_report(report, verdict="mismatch", dnsName=LABOR, forwardConfirmed=False,
                              renameRefusedBecause="ambiguous-ptr")
        finally:
            log.close()


@case
def one_confirmed_ptr_name_is_set_every_time(args):
    # Only the name that sorts second leads back to the PC: it is the one set.
    with campus_host() as host:
        campus_servers(host, names_at_the_pc(confirmed=(RAUM,)))
        log = harness.SystemLog(host.tmp)
        try:
            for server in (AUTHORITATIVE, RESOLVER):
                for code, out, err, hostname, loopback, entries in sync_runs(args.program, server, log):
                    expect((code, out, err) == (0, NAME_SET, ""), f"set asking {server}", code, out, err)
                    expect(hostname == "Raum-12\n", "the confirmed name", hostname)
                    expect(loopback == [["127.0.1.1", RAUM, "Raum-12"]], "the hosts line", loopback)
                    expect(len(entries) == 1 and " nameSet=yes " in entries[0], "the entry", entries)
                code, report, _ = host.report(args.program)
                log.entries()  # the report's own entry
                expect_report(report, verdict="mismatch", dnsName=LABOR, renameRefusedBecause=None)
        finally:
            log.close()


@case
def answer_too_long_for_udp_comes_by_tcp(args):
    """Forty PTR names do not fit a UDP answer: BIND sets the truncation bit
    and the program asks again over TCP, directly and through Unbound (which
    truncates as well), and still gets every name. By raw bytes "Zentrale"
    would come first; by lower case "arbeitsplatz-00" does."""
    names = [f"arbeitsplatz-{i:02d}-{'raum' * 8}.{CAMPUS}" for i in range(39)] + [f"Zentrale-PC.{CAMPUS}"]
    with campus_host() as host:
        log = host.bind({CAMPUS: [], REVERSE: [f"7 PTR {name}." for name in names]}, addresses=(AUTHORITATIVE,))
        host.unbound(RESOLVER, AUTHORITATIVE, CAMPUS)
        reports = {}
        for server in (AUTHORITATIVE, RESOLVER):
            resolver_in_resolv_conf(server)
            reports[server] = host.report(args.program)
        # The program writes its query name in upper case, Unbound in lower.
        expect(re.search(r" query: 7\.2\.0\.192\.IN-ADDR\.ARPA IN PTR \S*T", log.text()),
               "the program asked BIND again over TCP", log.text())
        for server, (code, report, _) in reports.items():
            expect(sorted(report["ptrNames"]) == sorted(names), f"every name came from {server}", report["ptrNames"])
            expect(code == 1, f"exit code {code} asking {server}", report)
            expect_report(report, verdict="mismatch", dnsName=names[0])


V6 = "2001:db8::7"


@case
def dual_stack_sync_writes_the_ipv4_names_domain(args):
    """The IPv6 address's name lies in another sub-domain: the hosts line
    takes the domain of the IPv4 name, which the rename is about."""
    v6_name = f"lab-pc-3.ipv6.{CAMPUS}"
    reverse6 = ipaddress.ip_address("2001:db8::").reverse_pointer.split(".", 16)[16]  # the /64
    zones = {CAMPUS: [f"lab-pc-3 A {PC}", f"lab-pc-3.ipv6 AAAA {V6}"],
             REVERSE: [f"7 PTR lab-pc-3.{CAMPUS}."],
             reverse6: [f"{ipaddress.ip_address(V6).reverse_pointer}. PTR {v6_name}."]}
    with harness.Host(addresses=(PC, AUTHORITATIVE), ipv6=(V6,), hosts=HOSTS) as host:
        host.bind(zones, addresses=(AUTHORITATIVE,))
        expect(bind.ptr_names(AUTHORITATIVE, V6) == [v6_name], "BIND names the IPv6 address")
        code, out, err = run_program(args.program, "--sync")
        expect((code, out, err) == (0, NAME_SET, ""), "the name is set", code, out, err)
        expect(read("/etc/hostname") == "lab-pc-3\n", "the IPv4 name's first label", read("/etc/hostname"))
        loopback = [line.split() for line in read("/etc/hosts").splitlines() if line.startswith("127.0.1.1")]
        expect(loopback == [["127.0.1.1", f"lab-pc-3.{CAMPUS}", "lab-pc-3"]], "the IPv4 name's domain", loopback)


@case
def dhcpv6_resolv_conf_still_gets_the_ipv4_query(args):
    """dhclient -6 leaves only the DHCPv6 server's IPv6 address in
    resolv.conf: the IPv4 address's PTR query goes to that server all the
    same, and its answer is checked."""
    with harness.Host(addresses=(PC,), nameservers=(AUTHORITATIVE,), hosts=HOSTS) as host, \
            network.Peer("lan0p", ["2001:db8::1", "2001:db8::53"]) as campus:
        log = dhcp_client.campus_server(campus, host.tmp, "--dhcp-range=2001:db8::7,2001:db8::7,64,1h",
                                        "--dhcp-option=option6:dns-server,[2001:db8::53]",
                                        f"--ptr-record=7.2.0.192.in-addr.arpa,pc-labor-3.{CAMPUS}",
                                        f"--address=/pc-labor-3.{CAMPUS}/{PC}")
        host.dhclient("lan0", "-6")
        expect(read("/etc/resolv.conf").split() == ["nameserver", "2001:db8::53"], "dhclient wrote resolv.conf",
               read("/etc/resolv.conf"))
        harness.run("ip", "-6", "route", "add", "2001:db8::/64", "dev", "lan0")  # as a router would announce
        code, report, _ = host.report(args.program)
        expect(code == 1, f"exit code {code}", report)
        expect_report(report, verdict="mismatch", notApplicableBecause=None, dnsServer="2001:db8::53",
                      dnsName=f"pc-labor-3.{CAMPUS}", dnsShortName="pc-labor-3")
        asked = log.queries("PTR")
        expect(("PTR", "7.2.0.192.IN-ADDR.ARPA") in asked, "the IPv4 PTR query reached the server", asked)



@case
def dhcpv4_pc_asks_the_leased_server(args):
    """A PC that takes its address, route and DNS server from DHCP: the
    check runs against what dhclient set up."""
    with harness.Host(addresses=(), hosts=HOSTS, nameservers=()) as host:
        host.interface("lan0", None)
        with network.Peer("lan0p", ["192.0.2.1", "192.0.2.53"]) as campus:
            log = dhcp_client.campus_server(campus, host.tmp, "--dhcp-range=192.0.2.7,192.0.2.7,255.255.255.0,1h",
                                            "--dhcp-option=option:router,192.0.2.1",
                                            "--dhcp-option=option:dns-server,192.0.2.53",
                                            f"--ptr-record=7.2.0.192.in-addr.arpa,ws-17.{CAMPUS}",
                                            f"--address=/ws-17.{CAMPUS}/{PC}")
            host.dhclient("lan0", "-4")
            expect(read("/etc/resolv.conf").split() == ["nameserver", "192.0.2.53"], "dhclient wrote resolv.conf",
                   read("/etc/resolv.conf"))
            code, report, _ = host.report(args.program)
            expect(code == 0, f"exit code {code}", report)
            expect_report(report, verdict="agree", addresses=[PC], connection="LAN", dnsServer="192.0.2.53",
                          dnsName=f"ws-17.{CAMPUS}")
            expect(log.queries("PTR") == [("PTR", "7.2.0.192.IN-ADDR.ARPA")], "one PTR query", log.queries())


if __name__ == "__main__":
    sys.exit(harness.main(CASES, "--program"))
