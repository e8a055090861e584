"""The IPv6 side of the check, with the real program in namespaces of its own:
the PC's IPv6 addresses on the veth (2001:db8::/32 only), dnsmasq answering
ip6.arpa PTR and AAAA queries. Usage: ipv6_cases.py --program P CASE"""

import ipaddress
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import responder as dns  # noqa: E402
from report_cases import NAME_SET, expect_report, read, run_program  # noqa: E402

expect = harness.expect
CASES, case = harness.registry()

V6 = "2001:db8::7"
V4_PTR = "7.2.0.192.in-addr.arpa"
V6_SERVER = "2001:db8::53"


def ptr6(address):
    """The ip6.arpa name the program asks for `address`."""
    return ipaddress.ip_address(address).reverse_pointer


def dual_stack_server(host, ipv6_name, v4_name="ws-17.uni-falkenau.de", address="192.0.2.53"):
    """dnsmasq with the IPv4 PTR record, and the IPv6 one unless None."""
    records = [f"--ptr-record={V4_PTR},{v4_name}", "--address=/ws-17/192.0.2.7"]
    if ipv6_name:
        records.append(f"--ptr-record={ptr6(V6)},{ipv6_name}")
    return host.dnsmasq(address, *records)


@case
def dual_stack_names_agree(args):
    with harness.Host(ipv6=(V6,)) as host:
        log = dual_stack_server(host, "ws-17.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="agree", selectedAddress="192.0.2.7", ipv6Addresses=[V6],
                      selectedIpv6Address=V6, ipv6DnsServer="192.0.2.53", ipv6PtrNames=["ws-17.uni-falkenau.de"],
                      ipv6Verdict="agree", ipv6NotApplicableBecause=None)
        # One query per family, each name once, the IPv6 one under ip6.arpa.
        expect(sorted(log.queries("PTR")) == sorted([("PTR", V4_PTR.upper()), ("PTR", ptr6(V6))]), "PTR queries",
               log.queries())


@case
def dual_stack_ipv6_name_differs(args):
    # A stale ip6.arpa record is reported; the IPv4 check still decides.
    with harness.Host(ipv6=(V6,)) as host:
        dual_stack_server(host, "pc-alt.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="agree", dnsName="ws-17.uni-falkenau.de", forwardConfirmed=None,
                      ipv6Verdict="mismatch", ipv6DnsName="pc-alt.uni-falkenau.de", ipv6NotApplicableBecause=None)
        text = subprocess.run([args.program, "--report"], capture_output=True, timeout=30).stdout.decode()
        expect("IPv6-Ergebnis:  Namen weichen ab\n" in text, "the text report names the IPv6 verdict", text)


@case
def dual_stack_without_ipv6_ptr_record(args):
    with harness.Host(ipv6=(V6,)) as host:
        dual_stack_server(host, None)
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="agree", ipv6PtrNames=[], ipv6DnsName="", ipv6Verdict="not-applicable",
                      ipv6NotApplicableBecause="no-dns-name")


@case
def without_a_global_ipv6_address_nothing_more_is_asked(args):
    # Link-local addresses only: the same one query as ever, the same log line.
    with harness.Host() as host:
        dns_log = dual_stack_server(host, "ws-17.uni-falkenau.de")
        system_log = harness.SystemLog(host.tmp)
        try:
            code, report, _ = host.report(args.program)
            entries = system_log.entries()
        finally:
            system_log.close()
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect(dns_log.queries() == [("PTR", V4_PTR.upper())], "one query", dns_log.queries())
        expect_report(report, ipv6Addresses=[], selectedIpv6Address="", ipv6Verdict="not-applicable",
                      ipv6NotApplicableBecause="no-ipv6-address")
        expect(len(entries) == 1 and entries[0].endswith(" version=1.2.0.0"), "the log entry as before", entries)


def ipv6_only_host(**options):
    return harness.Host(addresses=(), ipv4_on_lan=False, ipv6=(V6,), ipv6_servers=(V6_SERVER,),
                               nameservers=(V6_SERVER,), **options)


@case
def ipv6_only_names_agree(args):
    with ipv6_only_host() as host:
        log = host.dnsmasq(V6_SERVER, f"--ptr-record={ptr6(V6)},ws-17.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="agree", connection="LAN", addresses=["127.0.0.1", V6], selectedAddress=V6,
                      dnsServer=V6_SERVER, dnsName="ws-17.uni-falkenau.de", dnsShortName="ws-17",
                      ipv6Verdict="agree", messages=[])
        # The loop-back address's query goes to the only server there is, and
        # is exempt; the IPv6 address decides.
        expect(sorted(log.queries("PTR")) == sorted([("PTR", "1.0.0.127.IN-ADDR.ARPA"), ("PTR", ptr6(V6))]),
               "one PTR query per family", log.queries())


@case
def ipv6_only_mismatch_is_confirmed_by_aaaa(args):
    with ipv6_only_host() as host:
        # The AAAA record leads back to the address: confirmed.
        host.dnsmasq(V6_SERVER, f"--ptr-record={ptr6(V6)},pc-neu.uni-falkenau.de",
                     f"--host-record=pc-neu.uni-falkenau.de,{V6}")
        code, report, _ = host.report(args.program)
        expect(code == 1, f"exit code {code}", report)
        expect_report(report, verdict="mismatch", dnsShortName="pc-neu", ipv6Verdict="mismatch",
                      forwardConfirmed=True)
        host.close()
        # An AAAA record for another address: not confirmed.
        log = host.dnsmasq(V6_SERVER, f"--ptr-record={ptr6(V6)},pc-neu.uni-falkenau.de",
                           "--host-record=pc-neu.uni-falkenau.de,2001:db8::99", name="other")
        code, report, _ = host.report(args.program)
        expect((code, report["forwardConfirmed"]) == (1, False), "another address is no confirmation", report)
        expect(("AAAA", "pc-neu.uni-falkenau.de") in log.queries(), "asked by AAAA", log.queries())


@case
def ipv6_only_sync_sets_the_dns_short_name(args):
    with ipv6_only_host() as host:
        host.dnsmasq(V6_SERVER, f"--ptr-record={ptr6(V6)},pc-neu.uni-falkenau.de",
                     f"--host-record=pc-neu.uni-falkenau.de,{V6}")
        log = harness.SystemLog(host.tmp)
        try:
            code, out, err = run_program(args.program, "--sync")
            entries = log.entries()
        finally:
            log.close()
        expect((code, out, err) == (0, NAME_SET, ""), "the name is set", code, out, err)
        expect(read("/etc/hostname") == "pc-neu\n", "the name read back", read("/etc/hostname"))
        expect(len(entries) == 1 and entries[0].endswith(
            f'address="{V6}" dnsServer="{V6_SERVER}" nameSet=yes reason=- forwardConfirmed=yes '
            'ptrNames=["pc-neu.uni-falkenau.de"] version=1.2.0.0 ipv6Verdict=mismatch '
            f'ipv6Address="{V6}" ipv6DnsName="pc-neu.uni-falkenau.de"'), "the log entry", entries)


@case
def ipv6_only_sync_refuses_an_unconfirmed_name(args):
    with ipv6_only_host() as host:
        host.dnsmasq(V6_SERVER, f"--ptr-record={ptr6(V6)},pc-neu.uni-falkenau.de")  # no AAAA record
        code, out, err = run_program(args.program, "--sync")
        expect(code == 1 and out == "" and f"IP-Adresse {V6}." in err, "refused", code, out, err)
        expect(read("/etc/hostname") == "ws-17\n", "the name is unchanged", read("/etc/hostname"))


@case
def privacy_and_deprecated_addresses_are_skipped(args):
    stable = "2001:db8:1::7"
    with harness.Host(ipv6=("2001:db8::8 preferred_lft 0",
                                   f"{stable} mngtmpaddr valid_lft 3600 preferred_lft 1800")) as host:
        shown = subprocess.run(["ip", "-6", "addr", "show", "dev", "lan0"], capture_output=True).stdout.decode()
        expect(" temporary " in shown and " deprecated " in shown, "the namespace has both kinds", shown)
        log = host.dnsmasq("192.0.2.53", f"--ptr-record={V4_PTR},ws-17.uni-falkenau.de",
                           f"--ptr-record={ptr6(stable)},ws-17.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, ipv6Addresses=[stable], selectedIpv6Address=stable, ipv6Verdict="agree")
        expect(("PTR", ptr6(stable)) in log.queries(), "the stable address asked", log.queries())


@case
def dual_stack_rename_takes_the_ipv4_names_domain(args):
    # The IPv6 address carries an automatic name in another sub-domain, and
    # its query runs last: the rename still writes the confirmed IPv4 name.
    hosts = "127.0.0.1\tlocalhost\n127.0.1.1\tws-17.uni-falkenau.de\tws-17\n"
    with harness.Host(ipv6=(V6,), hosts=hosts) as host:
        host.dnsmasq("192.0.2.53", f"--ptr-record={V4_PTR},lab-pc-3.uni-falkenau.de",
                     "--address=/lab-pc-3.uni-falkenau.de/192.0.2.7",
                     f"--ptr-record={ptr6(V6)},host-7.v6.auto.uni-falkenau.de")
        with open("/etc/hostname", "w") as f:
            f.write("ws-17.uni-falkenau.de\n")  # a Red Hat-style full static name
        code, out, err = run_program(args.program, "--sync")
        host.close()
        expect((code, out, err) == (0, NAME_SET, ""), "the name is set", code, out, err)
        expect(read("/etc/hostname") == "lab-pc-3.uni-falkenau.de\n", "the IPv4 name's domain",
               read("/etc/hostname"))
        expect("127.0.1.1\tlab-pc-3.uni-falkenau.de\tlab-pc-3\n" in read("/etc/hosts"), "the hosts file's own line",
               read("/etc/hosts"))


@case
def dual_stack_with_only_an_ipv6_server_checks_the_ipv4_address(args):
    # dhclient -6 left only the DHCPv6 server in resolv.conf: the IPv4
    # address is still checked, by that server, and the sync confirms there.
    with harness.Host(ipv6=(V6,), ipv6_servers=(V6_SERVER,), nameservers=(V6_SERVER,)) as host:
        log = host.dnsmasq(V6_SERVER, f"--ptr-record={V4_PTR},pc-neu.uni-falkenau.de",
                           "--address=/pc-neu.uni-falkenau.de/192.0.2.7",
                           f"--ptr-record={ptr6(V6)},ws-17.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        expect(code == 1, f"exit code {code}", report)
        expect_report(report, verdict="mismatch", selectedAddress="192.0.2.7", dnsServer=V6_SERVER,
                      dnsName="pc-neu.uni-falkenau.de", forwardConfirmed=True, ipv6Verdict="agree")
        code, out, err = run_program(args.program, "--sync")
        host.close()
        expect((code, out, err) == (0, NAME_SET, ""), "the name is set", code, out, err)
        expect(read("/etc/hostname") == "pc-neu\n", "the name read back", read("/etc/hostname"))
        expect(("PTR", V4_PTR.upper()) in log.queries(), "asked of the IPv6 server", log.queries())


@case
def ipv6_server_first_in_resolv_conf(args):
    # The IPv4 query goes to the first IPv4 server, the IPv6 one to the
    # first server of all.
    with harness.Host(ipv6=(V6,), ipv6_servers=(V6_SERVER,), nameservers=(V6_SERVER, "192.0.2.53")) as host:
        v4_log = dual_stack_server(host, None)
        v6_log = host.dnsmasq(V6_SERVER, f"--ptr-record={ptr6(V6)},ws-17.uni-falkenau.de", name="v6")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, dnsServer="192.0.2.53", ipv6DnsServer=V6_SERVER, ipv6Verdict="agree")
        expect(v4_log.queries() == [("PTR", V4_PTR.upper())], "the IPv4 server", v4_log.queries())
        expect(v6_log.queries() == [("PTR", ptr6(V6))], "the IPv6 server", v6_log.queries())


def wait_for_duplicate_detection(address, interface="lan0"):
    """Until the kernel has found that the peer holds `address` too."""
    def failed():
        shown = subprocess.run(["ip", "-6", "addr", "show", "dev", interface], capture_output=True).stdout.decode()
        return any(address in line and "dadfailed" in line for line in shown.splitlines())
    harness.wait_until(f"duplicate detection of {address} failing", failed, 15.0)


@case
def ipv6_only_duplicate_address_is_not_the_pcs(args):
    # The peer holds 2001:db8::66 already; the PC's own try at it fails
    # duplicate detection. Its PTR record names the peer, never the PC.
    # (The peer's end of the link lies in this namespace too: it gives the
    # address up once it has answered, so only the failed one is left.)
    duplicate = "2001:db8::66"
    with ipv6_only_host() as host:
        harness.run("ip", "-6", "addr", "add", f"{duplicate}/64", "dev", "lan0p", "nodad")
        harness.run("ip", "-6", "addr", "add", f"{duplicate}/64", "dev", "lan0")
        wait_for_duplicate_detection(duplicate)
        harness.run("ip", "-6", "addr", "del", f"{duplicate}/64", "dev", "lan0p")
        log = host.dnsmasq(V6_SERVER, f"--ptr-record={ptr6(V6)},ws-17.uni-falkenau.de",
                           f"--ptr-record={ptr6(duplicate)},peer-pc.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="agree", selectedAddress=V6, ipv6Addresses=[V6], dnsShortName="ws-17")
        expect(("PTR", ptr6(duplicate)) not in log.queries(), "the duplicate address asked", log.queries())


@case
def ipv6_default_route_of_another_table_is_passed_over(args):
    # A second link whose default route (of lower metric) lies in a table
    # of its own, used only for its own source address: a plain connection
    # leaves through lan0, whose address is the PC's.
    other = "2001:db8:1::9"
    with ipv6_only_host() as host:
        harness.run("ip", "link", "add", "lan1", "type", "veth", "peer", "name", "lan1p")
        harness.run("ip", "link", "set", "lan1p", "up")
        harness.run("ip", "link", "set", "lan1", "up")
        harness.run("ip", "-6", "addr", "add", f"{other}/64", "dev", "lan1", "nodad")
        harness.run("ip", "-6", "route", "add", "default", "via", "2001:db8:1::1", "dev", "lan1", "onlink",
                    "metric", "1", "table", "100")
        harness.run("ip", "-6", "rule", "add", "from", other, "lookup", "100")
        got = subprocess.run(["ip", "-6", "route", "get", "2001:db8:ffff::1"], capture_output=True).stdout.decode()
        expect(" dev lan0 " in got, "a plain connection leaves through lan0", got)
        log = host.dnsmasq(V6_SERVER, f"--ptr-record={ptr6(V6)},ws-17.uni-falkenau.de",
                           f"--ptr-record={ptr6(other)},pc-other.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="agree", selectedAddress=V6, dnsShortName="ws-17")
        # Besides the loop-back address's (exempt), one IPv6 query: lan0's.
        ipv6_queries = [q for q in log.queries("PTR") if q[1].endswith(".ip6.arpa")]
        expect(ipv6_queries == [("PTR", ptr6(V6))], "one IPv6 PTR query, for lan0's address", log.queries())


if __name__ == "__main__":
    sys.exit(harness.main(CASES, "--program"))
