"""The real program in a namespace of its own: `hostwarden --report --json`
against a real DNS server (dnsmasq) or a responder of ours, one case per
ctest test. Usage: report_cases.py --program P [--asan P] [--driver P] CASE"""

import os
import shutil
import socket
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import responder as dns  # noqa: E402
from harness import texts  # noqa: E402

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
        expect_report(report, verdict="not-applicable", dnsServer="", dnsName="", notApplicableBecause="no-dns-server")
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
                          ptrNames=["WS-17.uni-falkenau.de", "www.uni-falkenau.de"], forwardConfirmed=None)


AMBIGUOUS = texts.lines(texts.german("AmbiguousPtr", "192.0.2.7", "lab-2.uni-falkenau.de, pc-9.uni-falkenau.de"))


def two_names_server(host, first, second, *lead_back, name="dnsmasq"):
    """dnsmasq answering two PTR records, given in this order, with an A
    record for each name of `lead_back`."""
    return host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},{first}", f"--ptr-record={PTR_KEY},{second}",
                        *(f"--address=/{n}/192.0.2.7" for n in lead_back), name=name)


@case
def two_ptr_names_neither_agrees_same_output_either_order(args):
    # Neither name is the PC's: whatever order the server answers in, the
    # report is the same, and a sync sets only the one name that leads back.
    names = ("pc-9.uni-falkenau.de", "lab-2.uni-falkenau.de")
    with harness.Host() as host:
        reports = []
        for order in (names, names[::-1]):
            two_names_server(host, *order, name="-".join(n[:4] for n in order))
            code, report, _ = host.report(args.program)
            host.close()
            expect(code == 1, f"exit code {code} for {order}", report)
            reports.append(report)
        expect(reports[0] == reports[1], "the same report for either order", *reports)
        expect_report(reports[0], verdict="mismatch", dnsName="lab-2.uni-falkenau.de", dnsShortName="lab-2",
                      ptrNames=["lab-2.uni-falkenau.de", "pc-9.uni-falkenau.de"], forwardConfirmed=False,
                      renameRefusedBecause="ambiguous-ptr")
        # Neither leads back: nothing is set, and the log says why.
        log = harness.SystemLog(host.tmp)
        try:
            for order in (names, names[::-1]):
                two_names_server(host, *order, name="sync-" + order[0][:4])
                code, out, err = run_program(args.program, "--sync")
                host.close()
                expect((code, out, err) == (1, "", AMBIGUOUS), f"refused for {order}", code, out, err)
                expect(read("/etc/hostname") == "ws-17\n", "the name is unchanged", read("/etc/hostname"))
            entries = log.entries()
        finally:
            log.close()
        expect(len(entries) == 2 and all(" reason=ambiguous-ptr forwardConfirmed=no " in e for e in entries),
               "the reason in the log", entries)
        # Only pc-9 leads back: it is set, from either order, though lab-2 is shown.
        for order in (names, names[::-1]):
            with open("/etc/hostname", "w") as f:
                f.write("ws-17\n")
            two_names_server(host, *order, "pc-9.uni-falkenau.de", name="one-" + order[0][:4])
            code, out, err = run_program(args.program, "--sync")
            host.close()
            expect((code, out, err) == (0, NAME_SET, ""), f"set for {order}", code, out, err)
            expect(read("/etc/hostname") == "pc-9\n", "the name that leads back", read("/etc/hostname"))


@case
def dns_server_unreachable(args):
    # Nothing listens on the server's port: the refusal comes at once and is
    # told apart from a server that stays silent.
    with harness.Host() as host:
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="not-applicable", dnsName="", dnsServer="192.0.2.53",
                      notApplicableBecause="dns-server-unreachable")


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

NAME_SET = texts.lines(texts.german("NameSet"))
RIGHTS_NEEDED = texts.lines(texts.german("RightsNeeded"))
NOBODY = 65534


def report_line(language, label, value):
    """A line of the text report: the label, blanks to column 17, the value."""
    return language(label).ljust(16) + value + "\n"


def run_program(program, *arguments, uid=None, env=None):
    """(exit code, stdout, stderr) of the program run with `arguments`."""
    def drop_rights():
        os.setgroups([])
        os.setgid(NOBODY)
        os.setuid(uid)
    if uid is not None:
        program = harness.runnable_by_everyone(program)
    done = subprocess.run([program, *arguments], capture_output=True, timeout=30,
                          env=dict(os.environ, **(env or {})),
                          preexec_fn=drop_rights if uid is not None else None)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def read(path):
    with open(path) as f:
        return f.read()


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


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
                                       'address="192.0.2.7" dnsServer="192.0.2.53" nameSet=yes reason=- '
                                       'forwardConfirmed=yes ptrNames=["PC-Labor-3.Uni-Falkenau.DE"] '
                                       f'version={VERSION}'), "the entry", entries[0])
        finally:
            log.close()


@case
def sync_refusals_leave_the_name(args):
    # Each refusal exits 1 with the command's own text and changes nothing.
    with harness.Host():
        for ptr_name, uid, wanted in (
                ("pc-99.uni-falkenau.de", NOBODY, RIGHTS_NEEDED),
                ("abcdefghijklmnop.uni-falkenau.de", None,
                 texts.lines(texts.german("NameUnusable", "abcdefghijklmnop"))),
                ("pc-98.uni-falkenau.de", None,
                 texts.lines(texts.german("NotConfirmed", "pc-98.uni-falkenau.de", "192.0.2.7")))):
            with mismatch_host(ptr_name, confirmed=not ptr_name.startswith("pc-98")):
                code, out, err = run_program(args.program, "--sync", uid=uid)
            expect((code, out, err) == (1, "", wanted), f"refused for {ptr_name}", code, out, err)
            expect(read("/etc/hostname") == "ws-17\n", "the name is unchanged", read("/etc/hostname"))


DOMAIN_MEMBER = texts.lines(texts.german("DomainMember"))
# The files an Active Directory or FreeIPA join leaves, each placed in the
# private /etc with its mode: (path, text, mode); who runs --sync (None:
# root); whether the PC counts as a member. sssd's files and Samba's private
# directory are root's only, so a user cannot rule a join out.
SMB_ADS = "[global]\nsecurity = ads\nrealm = CAMPUS.EXAMPLE\nprivate dir = /etc/samba/private\n"
SMB_DC = "[global]\nrealm = CAMPUS.EXAMPLE\nserver role = active directory domain controller\n"
DIRECTORY_JOINS = (
    ((("sssd/sssd.conf", "[sssd]\ndomains = campus.example\n[domain/campus.example]\nid_provider = ad\n", 0o600),),
     None, True),
    ((("sssd/sssd.conf", "[sssd]\ndomains = ipa.example\n", 0o600),
      ("sssd/conf.d/ipa.conf", "[domain/ipa.example]\nid_provider = ipa\n", 0o600)), None, True),
    # Left over from an old join: a section sssd's domains list does not
    # name, a snippet sssd does not read (a dot-file).
    ((("sssd/sssd.conf", "[sssd]\ndomains = local\n[domain/local]\nid_provider = files\n"
       "[domain/old.example]\nid_provider = ad\n", 0o600),), None, False),
    ((("sssd/sssd.conf", "[sssd]\ndomains = ipa.example\n", 0o600),
      ("sssd/conf.d/.ipa.conf", "[domain/ipa.example]\nid_provider = ipa\n", 0o600)), None, False),
    ((("ipa/default.conf", "[global]\nrealm = IPA.EXAMPLE\ndomain = ipa.example\n", 0o644),), NOBODY, True),
    ((("sssd/sssd.conf", "[domain/ldap.example]\nid_provider = ldap\n", 0o600),), None, False),
    ((("sssd/sssd.conf", "[domain/campus.example]\nid_provider = ad\n", 0o600),), NOBODY, True),
    ((("samba/smb.conf", SMB_ADS, 0o644), ("samba/private/secrets.tdb", "TDB", 0o600)), None, True),
    ((("samba/smb.conf", SMB_ADS, 0o644), ("samba/private/secrets.tdb", "TDB", 0o600)), NOBODY, True),
    ((("samba/smb.conf", SMB_ADS, 0o644),), None, False),
    ((("samba/smb.conf", SMB_ADS, 0o644),), NOBODY, False),
    # A Samba domain controller holds the domain; it has no secrets.tdb.
    ((("samba/smb.conf", SMB_DC, 0o644),), None, True),
    ((("samba/smb.conf", SMB_DC.replace("active directory domain controller", "dc"), 0o644),), NOBODY, True),
)


def place_files(files):
    for directory in ("/etc/sssd", "/etc/samba", "/etc/ipa"):
        shutil.rmtree(directory, ignore_errors=True)
    for path, text, mode in files:
        full = os.path.join("/etc", path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as placed:
            placed.write(text)
        os.chmod(full, mode)
    for directory, mode in (("/etc/sssd", 0o711), ("/etc/samba/private", 0o700)):
        if os.path.isdir(directory):
            os.chmod(directory, mode)  # as the packages leave them


@case
def sync_leaves_directory_domain_members_alone(args):
    # A member of Active Directory or FreeIPA keeps its name, with the
    # domain-member message, whoever asks; a configuration without a join
    # goes on to the rights test and the rename.
    with harness.Host(), mismatch_host("pc-99.uni-falkenau.de"):
        for files, uid, member in DIRECTORY_JOINS:
            place_files(files)
            code, out, err = run_program(args.program, "--sync", uid=uid)
            who = "root" if uid is None else "a user"
            if member:
                wanted = (1, "", DOMAIN_MEMBER)
            else:
                wanted = (0, NAME_SET, "") if uid is None else (1, "", RIGHTS_NEEDED)
            expect((code, out, err) == wanted, f"{who} with {[f[0] for f in files]}", code, out, err)
            if read("/etc/hostname") != "ws-17\n":
                with open("/etc/hostname", "w") as hostname:
                    hostname.write("ws-17\n")  # the next one starts from the old name again


@case
def refused_command_lines(args):
    # Refused before anything is looked up or changed: one line, status 2.
    with harness.Host() as host, mismatch_host("pc-99.uni-falkenau.de"):
        for arguments, line in (
                (["--report", "--sync"], texts.german("ReportWithSync", "--report", "--sync") + "\n"),
                (["--sync", "--json"], None),  # --json alone is a report: the same pair
                (["--report--json"], texts.german("UnknownSwitch", "--report--json") + "\n"),
                (["--sync-now"], texts.german("UnknownSwitch", "--sync-now") + "\n")):
            code, out, err = run_program(args.program, *arguments)
            expect(code == 2 and out == "" and err.count("\n") == 1, f"{arguments} refused", code, out, err)
            if line:
                expect(err.startswith(line), f"{arguments}: the line", err)
            expect(read("/etc/hostname") == "ws-17\n", "the name is unchanged", read("/etc/hostname"))
        host.close()


def expect_nothing_renamed(service, hosts):
    expect(service.static_hostname() == "ws-17", "the name is unchanged", service.static_hostname())
    expect(read("/etc/hostname") == "ws-17\n", "/etc/hostname is unchanged", read("/etc/hostname"))
    expect(read("/etc/hosts") == hosts, "the hosts file is unchanged", read("/etc/hosts"))
    expect(socket.gethostname() == "ws-17", "the running name is unchanged", socket.gethostname())


RED_HAT_HOSTS = ("127.0.0.1   localhost localhost.localdomain localhost4 localhost4.localdomain4\n"
                 "::1         localhost localhost.localdomain localhost6 localhost6.localdomain6\n")


@case
def sync_never_asks_polkit(args):
    """--sync asks nobody for a password and never goes through hostnamed
    (which would rename the running system at once): a user whom polkit
    would let set the static name there is refused for rights, even where
    only /etc/hostname would change."""
    rule = ('polkit.addRule(function(action, subject) {\n'
            '    if (action.id == "org.freedesktop.hostname1.set-static-hostname" && subject.user == "nobody")\n'
            '        return polkit.Result.YES;\n});\n')
    with harness.Host(hosts=RED_HAT_HOSTS) as host, mismatch_host("pc-99.uni-falkenau.de"), \
            harness.Hostnamed(host.tmp, guard=lambda: harness.require_own_namespaces(),
                                polkit_rules=rule) as service:
        code, out, err = run_program(args.program, "--sync", uid=NOBODY)
        expect((code, out, err) == (1, "", RIGHTS_NEEDED), "refused for rights", code, out, err)
        expect_nothing_renamed(service, RED_HAT_HOSTS)


DEBIAN_HOSTS = "127.0.0.1\tlocalhost\n127.0.1.1\tws-17.uni-falkenau.de\tws-17\n"
PKEXEC_RULE = ('polkit.addRule(function(action, subject) {\n'
               '    if ((action.id == "org.freedesktop.policykit.exec" ||\n'
               '         action.id == "org.freedesktop.hostname1.set-static-hostname") && subject.user == "nobody")\n'
               '        return polkit.Result.YES;\n});\n')


@case
def sync_never_starts_pkexec(args):
    """--sync on a Debian host by a user whom polkit would let run programs
    as root: the script still asks nobody, and nothing changes."""
    with harness.Host(hosts=DEBIAN_HOSTS) as host, mismatch_host("pc-99.uni-falkenau.de"), \
            harness.Hostnamed(host.tmp, guard=lambda: harness.require_own_namespaces(),
                                polkit_rules=PKEXEC_RULE) as service:
        code, out, err = run_program(args.program, "--sync", uid=NOBODY)
        expect((code, out, err) == (1, "", RIGHTS_NEEDED), "refused for rights", code, out, err)
        expect_nothing_renamed(service, DEBIAN_HOSTS)


@case
def elevated_copy_takes_only_its_two_names(args):
    """The copy pkexec runs as root: the short name and a full name of the
    same host, nothing else. It renames all of it, logs verdict=renamed and
    exits 0; any other argument list changes nothing and exits non-zero."""
    table = [
        # arguments, exit code, names set
        (["/SetComputerName:pc-99", "/DnsName:other.uni-falkenau.de"], 2, False),
        (["/SetComputerName:pc-99", "/DnsName:pc-99.uni-falkenau.de", "--sync"], 2, False),
        (["/SetComputerName:pc-99", "--DnsName=pc-99.uni-falkenau.de"], 2, False),
        (["/SetComputerName:12345", "/DnsName:12345.uni-falkenau.de"], 1, False),
        (["/SetComputerName:pc-99", "/DnsName:pc-99.uni-falkenau.de"], 0, True),
    ]
    with harness.Host(hosts=DEBIAN_HOSTS) as host:
        log = harness.SystemLog(host.tmp)
        try:
            for arguments, status, renamed in table:
                write("/etc/hostname", "ws-17\n")
                write("/etc/hosts", DEBIAN_HOSTS)
                code, out, err = run_program(args.program, *arguments)
                expect(code == status, f"{arguments}: exit status", code, out, err)
                entries = log.entries()
                if renamed:
                    expect(err == NAME_SET, "the success message", err)
                    expect(read("/etc/hostname") == "pc-99\n", "the static name", read("/etc/hostname"))
                    expect(read("/etc/hosts") == "127.0.0.1\tlocalhost\n127.0.1.1\tpc-99.uni-falkenau.de\tpc-99\n",
                           "the hosts line names the new host, full and short", read("/etc/hosts"))
                    expect(len(entries) == 1 and " verdict=renamed " in entries[0] and " nameSet=yes " in entries[0],
                           "the copy's own entry", entries)
                    expect(' computerName="ws-17" ' in entries[0] and entries[0].endswith(' newName="pc-99"'),
                           "naming the name it found and the one it set", entries)
                else:
                    expect(status != 2 or err.startswith(texts.german("UnknownSwitch", "")),
                           f"{arguments}: one line naming the refused argument", err)
                    expect(read("/etc/hostname") == "ws-17\n", f"{arguments}: the static name", read("/etc/hostname"))
                    expect(read("/etc/hosts") == DEBIAN_HOSTS, f"{arguments}: the hosts file", read("/etc/hosts"))
        finally:
            log.close()


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
                                       'address="192.0.2.7" dnsServer="192.0.2.53" nameSet=no reason=- '
                                       'forwardConfirmed=yes ptrNames=["pc-99.uni-falkenau.de"] '
                                       f'version={VERSION}'), "the entry", entries[0])
        finally:
            log.close()


# ---- Campus networks as they are: long names, VPN tunnels, DNS failures ----

def invalid_name(name):
    return texts.lines(texts.german("NameUnusable", name))


def rename_host(name):
    """The running name and the static one, both in this namespace only."""
    socket.sethostname(name)
    with open("/etc/hostname", "w") as f:
        f.write(name + "\n")


@case
def long_names_agree_in_both_comparisons(args):
    # The NetBIOS name is the host name cut to 15 characters: a PC named
    # correctly with 16 to 63 characters agrees; a real difference is found.
    long63 = "hoersaal-" + "x" * 49 + "-0123"
    with harness.Host() as host:
        for hostname, ptr_name, verdict in (("hoersaal-pc-0123", "hoersaal-pc-0123.uni-falkenau.de", "agree"),
                                            (long63, f"{long63}.uni-falkenau.de", "agree"),
                                            ("hoersaal-pc-0123", "hoersaal-pc-0124.uni-falkenau.de", "mismatch")):
            rename_host(hostname)
            with mismatch_host(ptr_name):
                code, report, _ = host.report(args.program)
            expect(code == (0 if verdict == "agree" else 1), f"exit code {code} for {hostname}", report)
            expect_report(report, verdict=verdict, computerName=hostname, netbiosName=hostname[:15].upper(),
                          dnsShortName=ptr_name.split(".")[0])


@case
def long_name_sync_keeps_its_15_character_limit(args):
    with harness.Host(), mismatch_host("hoersaal-pc-0123.uni-falkenau.de"):
        code, out, err = run_program(args.program, "--sync")
        expect((code, out, err) == (1, "", invalid_name("hoersaal-pc-0123")), "refused", code, out, err)
        expect(read("/etc/hostname") == "ws-17\n", "the name is unchanged", read("/etc/hostname"))


def tunnel(name, address, metric=None):
    """A tun interface (point-to-point, no hardware address) as a VPN client
    makes it, up with `address`/24; with `metric`, a default route through it."""
    harness.run("ip", "tuntap", "add", name, "mode", "tun")
    harness.run("ip", "addr", "add", f"{address}/24", "dev", name)
    harness.run("ip", "link", "set", name, "up")
    if metric is not None:
        harness.run("ip", "route", "add", "default", "dev", name, "metric", str(metric))


VPN_PTR = "2.113.0.203.in-addr.arpa"  # the tunnel's 203.0.113.2


@case
def tunnel_with_the_better_default_route_is_never_checked(args):
    # A full-tunnel VPN: tun0 made first, its default route of lower metric
    # than the campus interface's. Its pool name lies in the campus domain and
    # is confirmed; the check must still be about the campus address.
    with harness.Host(addresses=("192.0.2.53",), hosts=DEBIAN_HOSTS, lan=False) as host:
        tunnel("tun0", "203.0.113.2", metric=50)
        host.interface("v0", "198.51.100.2")
        harness.run("ip", "route", "add", "default", "via", "198.51.100.1", "dev", "v0", "onlink", "metric", "600")
        host.interface("v1", "192.0.2.7")
        harness.run("ip", "route", "add", "default", "via", "192.0.2.1", "dev", "v1", "onlink", "metric", "100")
        log = host.dnsmasq("192.0.2.53", f"--ptr-record={VPN_PTR},vpn-pool-2.uni-falkenau.de",
                           "--address=/vpn-pool-2.uni-falkenau.de/203.0.113.2",
                           f"--ptr-record={PTR_KEY},ws-17.uni-falkenau.de", "--address=/ws-17/192.0.2.7",
                           "--ptr-record=2.100.51.198.in-addr.arpa,other-pc.uni-falkenau.de")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, selectedAddress="192.0.2.7", verdict="agree", dnsName="ws-17.uni-falkenau.de")
        expect(report["addresses"][-1] == "203.0.113.2", "the tunnel's address is listed last", report["addresses"])
        expect(log.queries("PTR") == [("PTR", PTR_NAME)], "no query about the tunnel's address", log.queries())
        code, out, err = run_program(args.program, "--sync")
        expect((code, out, err) == (0, "", ""), "nothing to rename", code, out, err)
        expect(read("/etc/hostname") == "ws-17\n", "not renamed after the VPN pool", read("/etc/hostname"))


@case
def only_tunnels_means_vpn(args):
    with harness.Host(addresses=("192.0.2.53",), hosts=DEBIAN_HOSTS, lan=False) as host:
        tunnel("tun0", "203.0.113.2", metric=50)
        log = host.dnsmasq("192.0.2.53", f"--ptr-record={VPN_PTR},vpn-pool-2.uni-falkenau.de",
                           "--address=/vpn-pool-2.uni-falkenau.de/203.0.113.2")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, addresses=["203.0.113.2"], verdict="not-applicable", notApplicableBecause="vpn",
                      dnsName="", messages=[])
        expect(log.queries("PTR") == [], "a tunnel's address is not looked up", log.queries())


def rcode_answer(rcode):
    return lambda query: [query.answer(rcode=rcode)]


@case
def each_dns_failure_has_its_reason(args):
    malformed = lambda query: [query.answer([(dns.TYPE_PTR, b"\x05ws-17")])]  # a name that runs off the end
    with harness.Host() as host:
        log = harness.SystemLog(host.tmp)
        try:
            for what, handler, reason in (
                    ("NXDOMAIN", rcode_answer(3), "no-ptr-record"),
                    ("empty answer", lambda query: [query.answer()], "no-ptr-record"),
                    ("SERVFAIL", rcode_answer(2), "dns-server-failure"),
                    ("REFUSED", rcode_answer(5), "dns-server-failure"),
                    ("malformed", malformed, "dns-server-failure"),
                    ("no answer at all", lambda query: [], "dns-timeout")):
                with dns.Responder("192.0.2.53", dns.host_table(HOSTS, {PTR_KEY: handler})):
                    code, report, _ = host.report(args.program)
                entries = log.entries()
                expect(code == 0, f"exit code {code} for {what}", report)
                expect_report(report, verdict="not-applicable", notApplicableBecause=reason, dnsName="",
                              dnsServer="192.0.2.53", messages=[])
                expect(len(entries) == 1 and "verdict=not-applicable " in entries[0] and f" reason={reason} " in entries[0],
                       f"the log entry names the reason for {what}", entries)
        finally:
            log.close()
        # The text report says it in German on its result line.
        with dns.Responder("192.0.2.53", dns.host_table(HOSTS, {PTR_KEY: rcode_answer(2)})):
            code, out, _ = run_program(args.program, "--report")
        result = report_line(texts.german, "ReportResult",
                             f'{texts.german("VerdictNotApplicable")} ({texts.german("ReasonDnsServerFailure")})')
        expect(code == 0 and result in out, "the text report's reason", code, out)


@case
def ipv6_only_servers_are_asked_about_the_ipv4_address(args):
    # A DHCPv6 client left only IPv6 servers in resolv.conf: the first of
    # them is asked about the IPv4 address, as dig -x asks it.
    with harness.Host(ipv6=("2001:db8::7",), ipv6_servers=("2001:db8::53",),
                      nameservers=("2001:db8::53", "2001:db8::54")) as host:
        log = host.dnsmasq("2001:db8::53", f"--ptr-record={PTR_KEY},pc-9.uni-falkenau.de",
                           "--address=/pc-9.uni-falkenau.de/192.0.2.7")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 1, f"exit code {code}", report)
        expect_report(report, verdict="mismatch", dnsServer="2001:db8::53", dnsName="pc-9.uni-falkenau.de",
                      forwardConfirmed=True)
        expect(("PTR", PTR_NAME) in log.queries() and ("A", "pc-9.uni-falkenau.de") in log.queries(),
               "the PTR query and its confirmation went to the IPv6 server", log.queries())


def resolved_upstream(*servers):
    """systemd-resolved's upstream list in this namespace's own /run/systemd
    (a machine without one gets a /run of this mount namespace's own)."""
    if not os.path.ismount("/run/systemd") and not os.path.ismount("/run"):
        harness.run("mount", "-t", "tmpfs", "-o", "size=1m,mode=755", "tmpfs", "/run")
    os.makedirs("/run/systemd/resolve", exist_ok=True)
    with open("/run/systemd/resolve/resolv.conf", "w") as f:
        f.write("".join(f"nameserver {server}\n" for server in servers))


@case
def resolved_stub_is_looked_past_to_its_first_ipv4_server(args):
    with harness.Host(addresses=("192.0.2.7", "192.0.2.53", "127.0.0.53"),
                             nameservers=("127.0.0.53",)) as host:
        stub = host.dnsmasq("127.0.0.53", f"--ptr-record={PTR_KEY},ws-17.uni-falkenau.de", name="stub")
        upstream = host.dnsmasq("192.0.2.53", f"--ptr-record={PTR_KEY},ws-17.uni-falkenau.de",
                                "--address=/ws-17/192.0.2.7", name="upstream")
        resolved_upstream("2001:db8::53")
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        # Only an IPv6 server behind the stub: it is asked (nothing listens there here).
        expect_report(report, verdict="not-applicable", dnsServer="2001:db8::53")
        resolved_upstream("2001:db8::53", "192.0.2.53")
        code, report, _ = host.report(args.program)
        host.close()
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="agree", dnsServer="192.0.2.53")
        expect(stub.queries("PTR") == [], "the stub's cache was asked", stub.queries())
        expect(upstream.queries("PTR") == [("PTR", PTR_NAME)], "the upstream server was asked once",
               upstream.queries())


@case
def unusable_names_are_refused_before_any_rename(args):
    # Confirmed names that no computer can carry: the command's own answer,
    # and nothing changed.
    with harness.Host():
        for ptr_name in ("ws_17.uni-falkenau.de", "-ws17.uni-falkenau.de"):
            with mismatch_host(ptr_name):
                code, out, err = run_program(args.program, "--sync")
            wanted = invalid_name(ptr_name.split(".")[0])
            expect((code, out, err) == (1, "", wanted), f"refused for {ptr_name}", code, out, err)
            expect(read("/etc/hostname") == "ws-17\n", "the name is unchanged", read("/etc/hostname"))


@case
def campus_domain_itself_is_outside_the_campus(args):
    with harness.Host() as host, mismatch_host("uni-falkenau.de"):
        code, report, _ = host.report(args.program)
        expect(code == 0, f"exit code {code}", report)
        expect_report(report, verdict="not-applicable", notApplicableBecause="outside-campus",
                      dnsName="uni-falkenau.de", dnsShortName="")
        code, out, err = run_program(args.program, "--sync")
        expect((code, out, err) == (0, "", ""), "nothing offered", code, out, err)
        expect(read("/etc/hostname") == "ws-17\n", "the name is unchanged", read("/etc/hostname"))


# ---- the administrator's settings: /etc/hostwarden.conf ----------------------

VERSION = "1.2.0.0"


def write_policy(text, mode=0o644, owner=0):
    """/etc/hostwarden.conf of this namespace's private /etc; root's and
    closed to others unless told otherwise, whatever the umask."""
    with open("/etc/hostwarden.conf", "w") as f:
        f.write(text)
    os.chmod("/etc/hostwarden.conf", mode)
    os.chown("/etc/hostwarden.conf", owner, owner)


def report_for(host, program, ptr_name):
    """The JSON report with `ptr_name` as the answer for the PC's address."""
    with dns.Responder("192.0.2.53", dns.host_table(HOSTS, {PTR_KEY: dns.ptr_names(ptr_name)})):
        return host.report(program)


@case
def policy_file_adds_a_campus_domain(args):
    with harness.Host() as host:
        write_policy("# the university and its hospital\n"
                     "CampusDomains = uni-falkenau.de, klinikum-falkenau.de  # both checked\n")
        for ptr_name, verdict in (("op-3.klinikum-falkenau.de", "mismatch"),  # the second domain is checked
                                  ("pc-9.uni-falkenau.de", "mismatch"),       # the built-in one still is
                                  ("ws-17.klinikum-falkenau.de", "agree"),
                                  ("op-3.example.org", "not-applicable")):
            code, report, _ = report_for(host, args.program, ptr_name)
            expect(report["verdict"] == verdict, f"{ptr_name}: {verdict}", report)
            expect_report(report, campusDomains={"value": ["uni-falkenau.de", "klinikum-falkenau.de"],
                                                 "source": "file"},
                          dynamicPoolPrefixes={"value": ["dhcp"], "source": "built-in"}, invalidPolicy=[])


@case
def policy_pool_prefix_exempts_its_names(args):
    with harness.Host() as host:
        write_policy("DynamicPoolPrefixes = dhcp vpn-\n")
        for ptr_name, verdict in (("vpn-12.uni-falkenau.de", "not-applicable"),
                                  ("dhcp-12.uni-falkenau.de", "not-applicable"),
                                  ("vpnserver.uni-falkenau.de", "mismatch")):
            code, report, _ = report_for(host, args.program, ptr_name)
            expect(report["verdict"] == verdict, f"{ptr_name}: {verdict}", report)
            if verdict == "not-applicable":
                expect_report(report, notApplicableBecause="dynamic-pool")
            expect_report(report, dynamicPoolPrefixes={"value": ["dhcp", "vpn-"], "source": "file"})


@case
def invalid_policy_falls_back_and_says_so(args):
    with harness.Host() as host:
        log = harness.SystemLog(host.tmp)
        try:
            for text, invalid in (("CampusDomains = Klinikum-Falkenau.DE\nDynamicPoolPrefixes = vpn-\n",
                                   ["CampusDomains"]),
                                  ("CampusDomains =\nDynamicPoolPrefixes = dhcp.pool\n",
                                   ["CampusDomains", "DynamicPoolPrefixes"])):
                write_policy(text)
                code, report, err = report_for(host, args.program, "op-3.klinikum-falkenau.de")
                expect((code, report["verdict"], err) == (0, "not-applicable", ""),
                       "the built-in domain holds: outside the campus, no error", code, report, err)
                expect_report(report, campusDomains={"value": ["uni-falkenau.de"], "source": "built-in"},
                              invalidPolicy=invalid)
                entries = log.entries()
                expect(len(entries) == 1 and entries[0].endswith(" policy=invalid:" + ",".join(invalid)),
                       "the entry names the ignored settings", entries)
                expect(" reason=outside-campus " in entries[0], "and why the check did not apply", entries)
            # A file that cannot be read is no setting at all.
            os.remove("/etc/hostwarden.conf")
            os.mkdir("/etc/hostwarden.conf")
            code, report, err = report_for(host, args.program, "ws-17.uni-falkenau.de")
            expect((code, report["verdict"], err) == (0, "agree", ""), "an unreadable file is not fatal",
                   code, report, err)
            expect_report(report, invalidPolicy=["CampusDomains", "DynamicPoolPrefixes"])
        finally:
            log.close()


@case
def policy_file_another_could_write_is_ignored(args):
    """A file another user owns or may write (or one over the limit) gives no
    setting at all: root's --sync must never rename after a domain a user
    added. The report and the entry say why."""
    with harness.Host() as host:
        log = harness.SystemLog(host.tmp)
        try:
            domains = "CampusDomains = uni-falkenau.de, klinikum-falkenau.de\n"
            for text, mode, owner, reason in ((domains, 0o664, 0, "untrusted-file"),
                                              (domains, 0o646, 0, "untrusted-file"),
                                              (domains, 0o644, NOBODY, "untrusted-file"),
                                              ("#" * 70000 + "\n" + domains, 0o644, 0, "too-large")):
                write_policy(text, mode, owner)
                code, report, err = report_for(host, args.program, "op-3.klinikum-falkenau.de")
                expect((code, report["verdict"], err) == (0, "not-applicable", ""),
                       f"{mode:o}/{owner}: the file's domain is not in force", code, report, err)
                expect_report(report, campusDomains={"value": ["uni-falkenau.de"], "source": "built-in"},
                              invalidPolicy=[reason])
                entries = log.entries()
                expect(len(entries) == 1 and entries[0].endswith(" policy=invalid:" + reason),
                       f"{mode:o}/{owner}: the entry says why", entries)
                with dns.Responder("192.0.2.53", dns.host_table(HOSTS, {PTR_KEY: dns.ptr_names("op-3.x.de")})):
                    code, out, err = run_program(args.program, "--report")
                expect(report_line(texts.german, "ReportInvalid", reason) in out, f"{mode:o}/{owner}: the text report says why", out)
                log.entries()
            write_policy(domains)
            code, report, _ = report_for(host, args.program, "op-3.klinikum-falkenau.de")
            expect((report["verdict"], report["invalidPolicy"]) == ("mismatch", []), "root's own file holds", report)
        finally:
            log.close()


@case
def thousands_of_ptr_names_leave_one_entry(args):
    """An answer of thousands of PTR names (over TCP, as a server sends what
    UDP cannot carry) still leaves its one entry, in syslog and in the
    journal: the first ten names and how many there were."""
    names = [f"h{i}.de" for i in range(2500)]  # short, so that all of them fit one TCP answer
    table = dns.host_table(HOSTS, {PTR_KEY: dns.ptr_names(*names)})
    with harness.Host() as host, dns.Responder("192.0.2.53", table, tcp=True):
        syslog = harness.SystemLog(host.tmp)
        try:
            code, report, err = host.report(args.program)
            expect(len(report["ptrNames"]) == 2500, "the report lists every name", len(report["ptrNames"]), err)
            entries = syslog.entries()
            expect(len(entries) == 1, "one syslog entry", code, len(entries), err)
            first_ten = sorted(names, key=lambda name: (name.lower(), name))[:10]  # the check's stable order
            listed = ",".join(f'"{name}"' for name in first_ten)
            expect(f" ptrNames=[{listed}] version={VERSION} ptrNameCount=2500" in entries[0], "ten names, and the count",
                   entries[0][:2000])
            journal = Journal()
            try:
                host.report(args.program)
                found = journal.entries()
                expect(len(found) == 1, "one journal entry", len(found))
                values = dict(found[0])
                expect([v for n, v in found[0] if n == "HOSTWARDEN_PTR_NAME"] == first_ten, "ten name fields", values)
                expect(values.get("HOSTWARDEN_PTR_NAME_COUNT") == "2500", "and the count", values)
            finally:
                journal.close()
        finally:
            syslog.close()


@case
def quiet_log_on_entry_carries_policy_and_ptr_names(args):
    """The log-on's entry (-Q, no display to show the warning on) says what
    the report's entry says: the PTR names, the reason and the settings
    the check ignored."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    with harness.Host() as host:
        log = harness.SystemLog(host.tmp)
        try:
            write_policy("CampusDomains = Klinikum-Falkenau.DE\n")
            for ptr_name, status, wanted in (
                    ("pc-99.uni-falkenau.de", 1, 'nameSet=no reason=- forwardConfirmed=- '
                                                 'ptrNames=["pc-99.uni-falkenau.de"]'),
                    ("op-3.klinikum-falkenau.de", 0, 'reason=outside-campus forwardConfirmed=- '
                                                     'ptrNames=["op-3.klinikum-falkenau.de"]')):
                with mismatch_host(ptr_name):
                    done = subprocess.run([args.program, "-Q"], capture_output=True, env=env, timeout=60)
                entries = log.entries()
                expect(done.returncode == status and len(entries) == 1, f"{ptr_name}: one entry",
                       done.returncode, done.stderr, entries)
                expect(wanted in entries[0] and " policy=invalid:CampusDomains" in entries[0],
                       f"{ptr_name}: the names, the reason and the ignored setting", entries[0])
        finally:
            log.close()


# ---- the journal's native protocol -----------------------------------------------

VERDICT_MESSAGE_ID = "95dbe523b1f64300a148c74551aeb207"


def journal_fields(datagram):
    """(name, value) of each field of a native-protocol datagram, in order."""
    fields = []
    while datagram:
        line, _, rest = datagram.partition(b"\n")
        if b"=" in line:
            name, _, value = line.partition(b"=")
            datagram = rest
        else:
            name, length = line, int.from_bytes(rest[:8], "little")
            value, datagram = rest[8:8 + length], rest[8 + length + 1:]
        fields.append((name.decode(), value.decode("utf-8", "replace")))
    return fields


class Journal:
    """A listener on /run/systemd/journal/socket of this mount namespace
    only (the host's /run/systemd is already hidden under a tmpfs)."""

    def __init__(self):
        if not os.path.isdir("/run/systemd"):
            harness.run("mount", "-t", "tmpfs", "-o", "size=1m,mode=755", "tmpfs", "/run")
        os.makedirs("/run/systemd/journal", exist_ok=True)
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.socket.bind("/run/systemd/journal/socket")
        self.socket.settimeout(0)

    def entries(self):
        found = []
        while True:
            try:
                found.append(journal_fields(self.socket.recv(1 << 20)))
            except BlockingIOError:
                return found

    def close(self):
        self.socket.close()
        os.remove("/run/systemd/journal/socket")


@case
def journal_gets_the_entry_with_fields(args):
    ptr = {PTR_KEY: dns.ptr_names("pc-99.uni-falkenau.de", "pc-98.uni-falkenau.de")}
    with harness.Host() as host, dns.Responder("192.0.2.53", dns.host_table(HOSTS, ptr)):
        syslog = harness.SystemLog(host.tmp)
        journal = Journal()
        try:
            code, report, _ = host.report(args.program)
            entries = journal.entries()
            expect(code == 1 and len(entries) == 1, "one journal entry", code, entries, report)
            expect(syslog.entries() == [], "and nothing through syslog besides")
            fields = entries[0]
            values = dict(fields)
            for name, wanted in (("MESSAGE_ID", VERDICT_MESSAGE_ID), ("PRIORITY", "4"),
                                 ("SYSLOG_IDENTIFIER", "hostwarden"), ("SYSLOG_FACILITY", "1"),
                                 ("HOSTWARDEN_VERDICT", "mismatch"),
                                 ("HOSTWARDEN_COMPUTER_NAME", "ws-17"),
                                 ("HOSTWARDEN_DNS_NAME", "pc-98.uni-falkenau.de"),
                                 ("HOSTWARDEN_ADDRESS", "192.0.2.7"), ("HOSTWARDEN_DNS_SERVER", "192.0.2.53"),
                                 # two campus names, neither leading back: a rename would set nothing
                                 ("HOSTWARDEN_REASON", "ambiguous-ptr"), ("HOSTWARDEN_NAME_SET", "no"),
                                 ("HOSTWARDEN_FORWARD_CONFIRMED", "no"), ("HOSTWARDEN_VERSION", VERSION)):
                expect(values.get(name) == wanted, f"{name}: wanted {wanted!r}", fields)
            expect([v for n, v in fields if n == "HOSTWARDEN_PTR_NAME"] ==
                   ["pc-98.uni-falkenau.de", "pc-99.uni-falkenau.de"], "every PTR name, in stable order", fields)
            expect(values["MESSAGE"].startswith("verdict=mismatch "), "the entry's line as MESSAGE", fields)
            # Where the check did not apply, the reason is a field of its own.
            write_policy("CampusDomains = klinikum-falkenau.de\n")
            host.report(args.program)
            values = dict(journal.entries()[0])
            expect((values["HOSTWARDEN_VERDICT"], values["HOSTWARDEN_REASON"], values["PRIORITY"]) ==
                   ("not-applicable", "outside-campus", "6"), "not applicable: why, as information", values)
        finally:
            journal.close()
            syslog.close()


@case
def english_user_reads_the_report_in_english(args):
    # The same check, its words in English for a user whose locale is
    # English; the JSON, the exit status and the log entry stay as they are.
    english = harness.english_locale()
    with harness.Host() as host:
        log = harness.SystemLog(host.tmp)
        try:
            with mismatch_host("pc-99.uni-falkenau.de", confirmed=False):
                code, out, err = run_program(args.program, "--report", env=english)
                json_code, report, _ = host.report(args.program, extra_env=english)
            expect(code == 1 and err == "", "a mismatch, nothing on the error side", code, err)
            for label, value in (("ReportComputerName", "ws-17"), ("ReportNetbiosName", "WS-17"),
                                 ("ReportResult", texts.english("VerdictMismatch")),
                                 ("ReportConfirmed", texts.english("ReportNo"))):
                expect(report_line(texts.english, label, value) in out, f"the English {label} line", out)
            expect(texts.german("ReportResult") not in out, "no German label left", out)
            expect(json_code == 1, "the JSON run's exit status", json_code)
            expect_report(report, verdict="mismatch", forwardConfirmed=False, notApplicableBecause=None)
            entries = log.entries()
            expect(len(entries) == 2 and all("verdict=mismatch " in e for e in entries),
                   "the log entries keep their words", entries)
            # The command line's refusals speak English too.
            code, out, err = run_program(args.program, "--report", "--sync", env=english)
            expect((code, out, err) == (2, "", texts.english("ReportWithSync", "--report", "--sync") + "\n"),
                   "the refusal in English", code, out, err)
            code, out, err = run_program(args.program, "--help", env=english)
            expect((code, out) == (0, texts.english("Usage")), "the help in English", code, out)
        finally:
            log.close()


if __name__ == "__main__":
    sys.exit(harness.main(CASES, "--program"))
