"""The real program in a namespace of its own: `hostwarden --report --json`
against a real DNS server (dnsmasq) or a responder of ours, one case per
ctest test. Usage: report_cases.py --program P [--asan P] [--driver P] CASE"""

import os
import socket
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import responder as dns  # noqa: E402

PTR_NAME = "7.2.0.192.IN-ADDR.ARPA"  # what the program asks for 192.0.2.7
PTR_KEY = PTR_NAME.lower()
HOSTS = {"ws-17": "192.0.2.7"}
CASES, case = harness.registry()


expect = harness.expect


def expect_report(report, **wanted):
    for key, value in wanted.items():
        expect(report.get(key) == value, f"{key}: wanted {value!r}, got {report.get(key)!r}", report)


@case
def names_agree(args):
    with harness.Host() as host:
        log = host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},ws-17.uni-falkenau.de",
                           "--address=/ws-17/192.0.2.7")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="agree", dnsName="ws-17.uni-falkenau.de", dnsShortName="ws-17",
                      computerName="ws-17", netbiosName="WS-17", addresses=["192.0.2.7"], connection="LAN",
                      selectedAddress="192.0.2.7", dnsServer="192.0.2.53", messages=[])
        expect(report["system"].startswith("Linux "), "the version line names Linux", report["system"])
        # One PTR query, its name in the letter case the program wrote it.
        expect(log.queries("PTR") == [("PTR", PTR_NAME)], "PTR queries", log.queries())


@case
def mismatch_keeps_the_answers_letter_case(args):
    ptr = {PTR_KEY: dns.ptr_names("PC-Labor-3.Uni-Falkenau.DE")}
    with harness.Host() as host, dns.Responder("192.0.2.53", dns.host_table(HOSTS, ptr)):
        code, report, _ = host.report(args.program)
        expect(code == 1, f"exit code {code}", report)
        expect_report(report, verdict="mismatch", dnsName="PC-Labor-3.Uni-Falkenau.DE", dnsShortName="PC-Labor-3")


@case
def dhcp_name_of_the_campus_is_exempt(args):
    with harness.Host() as host:
        host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},dhcp-192-0-2-7.uni-falkenau.de",
                     "--address=/ws-17/192.0.2.7")
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="not-applicable", dnsName="dhcp-192-0-2-7.uni-falkenau.de", dnsShortName="")


@case
def no_ptr_record(args):
    with harness.Host() as host:
        log = host.dnsmasq("192.0.2.53", "--address=/ws-17/192.0.2.7")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="not-applicable", dnsName="", dnsServer="192.0.2.53", messages=[])
        expect(len(log.queries("PTR")) == 1, "the server was asked once", log.queries())


@case
def no_dns_server_configured(args):
    # The C library falls back to 127.0.0.1 for the host's own address; the
    # program must send its PTR query nowhere.
    with harness.Host(nameservers=()) as host:
        loopback = host.dnsmasq("127.0.0.1", "--address=/ws-17/192.0.2.7", name="loopback")
        documented = host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},ws-17.uni-falkenau.de", name="documented")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="not-applicable", dnsServer="", dnsName="")
        expect(loopback.queries("PTR") == [] and documented.queries() == [], "no PTR query may be sent",
               loopback.queries(), documented.queries())


@case
def two_ptr_records_either_one_agrees(args):
    # Servers rotate the records of an address: the own name counts in
    # either place, and is the one shown.
    with harness.Host() as host:
        for names in (["www.uni-falkenau.de", "WS-17.uni-falkenau.de"],
                      ["WS-17.uni-falkenau.de", "www.uni-falkenau.de"]):
            with dns.Responder("192.0.2.53", dns.host_table(HOSTS, {PTR_KEY: dns.ptr_names(*names)})):
                code, report, _ = host.report(args.program)
            expect(code == 0, f"exit code {code} for {names}", report)
            expect_report(report, verdict="agree", dnsName="WS-17.uni-falkenau.de", dnsShortName="WS-17",
                          ptrNames=names, forwardConfirmed=None)


@case
def provider_name_outside_the_campus_is_exempt(args):
    provider = "dslb-092-075-123-045.pools.example-isp.de"
    with harness.Host() as host:
        host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},{provider}", "--address=/ws-17/192.0.2.7",
                     f"--address=/{provider}/192.0.2.7")
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="not-applicable", notApplicableBecause="outside-campus", dnsName=provider,
                      ptrNames=[provider], dnsShortName="", forwardConfirmed=None, messages=[])


@case
def sub_domain_of_the_campus_is_checked(args):
    with harness.Host() as host:
        for name, verdict, code_wanted in (("pc-9.physik.uni-falkenau.de", "mismatch", 1),
                                           ("ws-17.Physik.Uni-Falkenau.de", "agree", 0)):
            host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},{name}", "--address=/ws-17/192.0.2.7")
            code, report, _ = host.report(args.program)
            host.close()
            expect(code == code_wanted, f"exit code {code} for {name}", report)
            expect_report(report, verdict=verdict, notApplicableBecause=None)


@case
def forward_confirmation_asks_the_same_server(args):
    """On a mismatch the report asks, as a rename would, for the A records of
    the PTR name: of the first server only, past any cache. The second server
    would always confirm, so asking it would show."""
    name = "pc-9.uni-falkenau.de"
    with harness.Host(addresses=("192.0.2.7", "192.0.2.53", "192.0.2.54"),
                             nameservers=("192.0.2.53", "192.0.2.54")) as host:
        for a_record, confirmed in (("192.0.2.7", True), ("192.0.2.99", False), (None, False)):
            first = host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},{name}", "--address=/ws-17/192.0.2.7",
                                 *([f"--address=/{name}/{a_record}"] if a_record else []), name="first")
            second = host.dnsmasq("192.0.2.54", f"--address=/{name}/192.0.2.7", name="second")
            code, report, _ = host.report(args.program)
            host.close()
            expect(code == 1, f"exit code {code} with A record {a_record}", report)
            expect_report(report, verdict="mismatch", dnsName=name, forwardConfirmed=confirmed, messages=[])
            asked = [query for query in first.queries("A") if query[1] != "ws-17"]  # the C library's own
            expect(asked == [("A", name)], "one A query for the PTR name", first.queries())
            expect(second.queries() == [], "the second server was asked", second.queries())


@case
def classless_delegation_cname_first(args):
    delegated = "7.0-25.2.0.192.in-addr.arpa"
    with harness.Host() as host:
        host.dnsmasq("192.0.2.53", f"--cname={PTR_KEY},{delegated}", f"--ptr-record={delegated},ws-17.uni-falkenau.de",
                     "--address=/ws-17/192.0.2.7")
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="agree", dnsName="ws-17.uni-falkenau.de")


@case
def second_server_is_never_asked(args):
    with harness.Host(addresses=("192.0.2.7", "192.0.2.53", "192.0.2.54"),
                             nameservers=("192.0.2.53", "192.0.2.54")) as host:
        first = host.dnsmasq("192.0.2.53", "--address=/ws-17/192.0.2.7", name="first")
        second = host.dnsmasq("192.0.2.54", f"--ptr-record={PTR_KEY},ws-17.uni-falkenau.de", name="second")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="not-applicable", dnsName="", dnsServer="192.0.2.53")
        expect(len(first.queries("PTR")) == 1, "the first server was asked", first.queries())
        expect(second.queries() == [], "the second server was asked", second.queries())


@case
def silent_server(args):
    # The server knows the host but never answers the PTR query: the program
    # gives up after its bounded wait and finds no name.
    ptr = {PTR_KEY: lambda query: []}
    with harness.Host() as host, dns.Responder("192.0.2.53", dns.host_table(HOSTS, ptr)) as server:
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="not-applicable", dnsName="", dnsServer="192.0.2.53")
        expect(len(server.ptr_queries()) >= 1, "the PTR query reached the server")


# ---- The PC's own addresses and its connection -----------------------------------

DEBIAN_HOSTS = "127.0.0.1\tlocalhost\n127.0.1.1\tws-17\n"


@case
def debian_hosts_file_does_not_hide_the_addresses(args):
    # Debian's installer maps the host's own name to 127.0.1.1; the address
    # list still holds the interface's address, and the check applies.
    with harness.Host(hosts=DEBIAN_HOSTS) as host:
        log = host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},ws-17.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, addresses=["192.0.2.7"], selectedAddress="192.0.2.7", connection="LAN",
                      verdict="agree", dnsShortName="ws-17")
        expect(log.queries("PTR") == [("PTR", PTR_NAME)], "one PTR query for the interface's address",
               log.queries())


@case
def default_route_interface_comes_first(args):
    # eth0 is made first, eth1 carries the default route: eth1's address is
    # the first in the list and the one asked about.
    with harness.Host(addresses=("192.0.2.53",), hosts=DEBIAN_HOSTS, lan=False) as host:
        host.interface("eth0", "198.51.100.2")
        host.interface("eth1", "192.0.2.7", default_route=True)
        host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},ws-17.uni-falkenau.de",
                     "--ptr-record=2.100.51.198.in-addr.arpa,other-pc.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, addresses=["192.0.2.7", "198.51.100.2"], selectedAddress="192.0.2.7",
                      connection="LAN", verdict="agree")


@case
def loopback_only(args):
    # Nothing but lo (which also holds the DNS server's address): the list is
    # 127.0.0.1, there is no way out, and the check does not apply.
    with harness.Host(addresses=("192.0.2.53",), hosts=DEBIAN_HOSTS, lan=False) as host:
        host.dnsmasq("192.0.2.53", "--ptr-record=1.0.0.127.in-addr.arpa,ws-17.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, addresses=["127.0.0.1"], selectedAddress="127.0.0.1", connection="",
                      verdict="not-applicable", messages=[])


@case
def no_default_route_is_not_on_the_lan(args):
    # The interface is up and DNS knows its address, but there is no way out
    # of the PC's own network: not on the LAN, so the check does not apply.
    with harness.Host(addresses=("192.0.2.53",), lan=False) as host:
        host.interface("eth0", "192.0.2.7")
        host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},pc-labor-3.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, addresses=["192.0.2.7"], connection="", verdict="not-applicable",
                      dnsName="pc-labor-3.uni-falkenau.de", ieVersion="")


# ---- hostwarden --sync, and the entry each run leaves in the system log ----

NAME_SET = ("Der lokaler Computername wurde erfolgreich geändert.\n"
            "Die Änderung wird erst beim nächsten Neustart wirksam\n")
RIGHTS_NEEDED = ("Für diese Aktion sind administrative Rechte erforderlich,\n"
                 "bitte melden sie sich lokal als Administrator an\n"
                 "oder verständigen Sie Ihren Systemadministrator\n")
NOBODY = 65534


def run_program(program, *arguments, uid=None):
    """(exit code, stdout, stderr) of the program run with `arguments`."""
    def drop_rights():
        os.setgroups([])
        os.setgid(NOBODY)
        os.setuid(uid)
    done = subprocess.run([program, *arguments], capture_output=True, timeout=30,
                          preexec_fn=drop_rights if uid is not None else None)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def read(path):
    with open(path) as f:
        return f.read()


def mismatch_host(ptr_name, confirmed=True):
    """The responder for a mismatch; the PTR name leads back to the address
    (its A record) unless told otherwise."""
    hosts = dict(HOSTS, **({ptr_name.lower(): "192.0.2.7"} if confirmed else {}))
    return dns.Responder("192.0.2.53", dns.host_table(hosts, {PTR_KEY: dns.ptr_names(ptr_name)}))


@case
def sync_sets_the_dns_short_name(args):
    with harness.Host() as host, mismatch_host("PC-Labor-3.Uni-Falkenau.DE"):
        log = harness.SystemLog(host.tmp)
        try:
            code, out, err = run_program(args.program, "--sync")
            expect((code, out, err) == (0, NAME_SET, ""), "the name is set", code, out, err)
            expect(read("/etc/hostname") == "PC-Labor-3\n", "the name read back", read("/etc/hostname"))
            expect(socket.gethostname() == "ws-17", "the running name stays until the next start")
            entries = log.entries()
            expect(len(entries) == 1, "one log entry per run", entries)
            expect(entries[0].startswith("<13>") and " hostwarden[" in entries[0], "notice, user, identifier",
                   entries[0])
            expect(entries[0].endswith('verdict=mismatch computerName="ws-17" dnsName="PC-Labor-3.Uni-Falkenau.DE" '
                                       'address="192.0.2.7" dnsServer="192.0.2.53" nameSet=yes'), "the entry",
                   entries[0])
        finally:
            log.close()


@case
def sync_refusals_leave_the_name(args):
    # Each refusal exits 1 with the command's own text and changes nothing.
    with harness.Host():
        for ptr_name, uid, wanted in (
                ("pc-99.uni-falkenau.de", NOBODY, RIGHTS_NEEDED),
                ("abcdefghijklmnop.uni-falkenau.de", None,
                 "Der DNS-Name abcdefghijklmnop kann nicht als Computername verwendet werden\n"
                 "Bitte wenden Sie sich an den Netzwerkadministrator\n"),
                ("pc-98.uni-falkenau.de", None,
                 "Der DNS-Eintrag pc-98.uni-falkenau.de ist nicht bestätigt:\n"
                 "der Name verweist nicht auf die IP-Adresse 192.0.2.7.\n"
                 "Der Computername wurde nicht geändert.\n"
                 "Bitte wenden Sie sich an den Netzwerkadministrator\n")):
            with mismatch_host(ptr_name, confirmed=not ptr_name.startswith("pc-98")):
                code, out, err = run_program(args.program, "--sync", uid=uid)
            expect((code, out, err) == (1, "", wanted), f"refused for {ptr_name}", code, out, err)
            expect(read("/etc/hostname") == "ws-17\n", "the name is unchanged", read("/etc/hostname"))


@case
def sync_with_agreeing_names_does_nothing(args):
    with harness.Host() as host:
        host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},ws-17.uni-falkenau.de", "--address=/ws-17/192.0.2.7")
        before = os.stat("/etc/hostname")
        code, out, err = run_program(args.program, "--sync")
        expect((code, out, err) == (0, "", ""), "nothing to do", code, out, err)
        expect(os.stat("/etc/hostname").st_ino == before.st_ino, "/etc/hostname was not rewritten")


@case
def report_verdicts_go_to_the_system_log(args):
    with harness.Host() as host, mismatch_host("pc-99.uni-falkenau.de"):
        # Without a log the run is the same, and says nothing about it.
        code, report, err = host.report(args.program)
        expect((code, report["verdict"], err) == (1, "mismatch", ""), "no log: skipped silently", code, err)
        log = harness.SystemLog(host.tmp)
        try:
            code, _, _ = host.report(args.program)
            entries = log.entries()
            expect(code == 1 and len(entries) == 1, "one entry", code, entries)
            expect(entries[0].startswith("<12>"), "a mismatch is a warning", entries[0])
            expect(entries[0].endswith('verdict=mismatch computerName="ws-17" dnsName="pc-99.uni-falkenau.de" '
                                       'address="192.0.2.7" dnsServer="192.0.2.53" nameSet=no'), "the entry",
                   entries[0])
        finally:
            log.close()


if __name__ == "__main__":
    sys.exit(harness.main(CASES, "--program"))
