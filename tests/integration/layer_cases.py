"""The Linux layer's OS functions one at a time, through os_driver, in a
namespace of their own. Usage: layer_cases.py --driver P CASE"""

import json
import os
import socket
import struct
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import responder as dns  # noqa: E402
from report_cases import expect

CASES, case = harness.registry()


def driver(args, *command):
    done = subprocess.run([args.driver, *command], capture_output=True, text=True, timeout=30)
    expect(done.returncode == 0, f"os_driver {command} ended with {done.returncode}", done.stderr)
    return done.stdout.strip()


def query(args, name, *servers, limits=("--timeout-ms", "300", "--tries", "1")):
    return json.loads(driver(args, "dns-query", *limits, name, *servers))


def cname_then_two_ptr(query_):
    """A classless delegation: a CNAME first, then two PTR records owned by
    its target (a compression pointer to the CNAME's data)."""
    target = dns.encode_name("14.0-25.2.0.192.in-addr.arpa")
    target_at = struct.pack("!H", 0xC000 | (12 + len(query_.question) + 12))
    return [query_.answer([
        dns.record(b"\xc0\x0c", dns.TYPE_CNAME, target),
        dns.record(target_at, dns.TYPE_PTR, dns.encode_name("Zeta.example")),
        dns.record(target_at, dns.TYPE_PTR, dns.encode_name("alpha.example")),
    ])]


ANSWERS = {
    "7.2.0.192.in-addr.arpa": dns.ptr_names("ws-17.uni-falkenau.de"),
    "8.2.0.192.in-addr.arpa": lambda q: [q.answer(rcode=3)],
    "9.2.0.192.in-addr.arpa": lambda q: [q.answer()],
    "10.2.0.192.in-addr.arpa": lambda q: [q.answer(rcode=2)],
    "11.2.0.192.in-addr.arpa": lambda q: [q.answer(rcode=5)],
    "12.2.0.192.in-addr.arpa": lambda q: [q.answer([(dns.TYPE_A, socket.inet_aton("192.0.2.12"))])],
    "13.2.0.192.in-addr.arpa": lambda q: [],
    "14.2.0.192.in-addr.arpa": cname_then_two_ptr,
    "15.2.0.192.in-addr.arpa": lambda q: [q.answer([(dns.TYPE_PTR, dns.encode_name("ws-15.example"))])[:-6]],
}


@case
def dns_query_statuses(args):
    table = [
        # query name, status, PTR names in order, queries the server gets
        ("7.2.0.192.IN-ADDR.ARPA", 0, ["ws-17.uni-falkenau.de"], 1),
        ("8.2.0.192.IN-ADDR.ARPA", 9003, [], 1),    # name error
        ("9.2.0.192.IN-ADDR.ARPA", 9501, [], 1),    # no records
        ("10.2.0.192.IN-ADDR.ARPA", 9002, [], 1),   # server failure: its answer, not asked again
        ("11.2.0.192.IN-ADDR.ARPA", 9005, [], 1),   # refused
        ("12.2.0.192.IN-ADDR.ARPA", 9501, [], 1),   # an A record is no PTR record
        ("13.2.0.192.IN-ADDR.ARPA", 1460, [], 1),   # no answer
        ("14.2.0.192.IN-ADDR.ARPA", 0, ["Zeta.example", "alpha.example"], 1),  # after a CNAME, in order
        ("15.2.0.192.IN-ADDR.ARPA", 9502, [], 1),   # cut short
    ]
    # resolv.conf names the second server, so a query that used the system's
    # configuration instead of the server it was given would be seen there.
    with harness.Host(addresses=("192.0.2.7", "192.0.2.53", "192.0.2.54"), nameservers=("192.0.2.54",)), \
            dns.Responder("192.0.2.53", dns.host_table({}, ANSWERS)) as first, \
            dns.Responder("192.0.2.54", dns.host_table({}, ANSWERS)) as second:
        for name, status, names, sent in table:
            before = len(first.queries)
            result = query(args, name, "192.0.2.53", "192.0.2.54")
            expect(result["status"] == status, f"{name}: status", result)
            expect([r[2] for r in result["records"]] == names, f"{name}: records", result)
            expect(all(r[0] == 12 for r in result["records"]), f"{name}: PTR records only", result)
            asked = [q.name for q in first.queries[before:]]
            expect(asked == [name] * sent, f"{name}: what the server was asked (letter case kept)", asked)
        expect(second.queries == [], "only the first server of the list may be asked", second.queries)


def a_records(*pairs):
    """An answer to an A query: (owner, address) pairs, the owner None for
    the question's name, or bytes made by dns.record()."""
    def answer(query_):
        records = []
        for entry in pairs:
            if isinstance(entry, bytes):
                records.append(entry)
            else:
                owner, address = entry
                owner = b"\xc0\x0c" if owner is None else dns.encode_name(owner)
                records.append(dns.record(owner, dns.TYPE_A, socket.inet_aton(address)))
        return [query_.answer(records)]
    return answer


A_ANSWERS = {
    "pc-9.uni-falkenau.de": a_records((None, "192.0.2.9"), (None, "192.0.2.7")),
    "alias.uni-falkenau.de": a_records(
        dns.record(b"\xc0\x0c", dns.TYPE_CNAME, dns.encode_name("host.uni-falkenau.de")),
        ("host.uni-falkenau.de", "192.0.2.7")),
    "other.uni-falkenau.de": a_records(("elsewhere.example", "192.0.2.7")),  # a record about another name
    "empty.uni-falkenau.de": lambda q: [q.answer()],
    "silent.uni-falkenau.de": lambda q: [],
}


def a_handler(query_):
    if query_.qtype == dns.TYPE_A and query_.name.lower() in A_ANSWERS:
        return A_ANSWERS[query_.name.lower()](query_)
    return [query_.answer(rcode=3)]


@case
def dns_query_a_records(args):
    table = [
        # name, status, addresses in order, queries the server gets
        ("pc-9.uni-falkenau.de", 0, ["192.0.2.9", "192.0.2.7"]),
        ("Alias.Uni-Falkenau.de", 0, ["192.0.2.7"]),       # after the CNAME, letter case kept in the query
        ("other.uni-falkenau.de", 9501, []),                # an A record of another name counts for nothing
        ("empty.uni-falkenau.de", 9501, []),
        ("missing.uni-falkenau.de", 9003, []),
        ("silent.uni-falkenau.de", 1460, []),
    ]
    with harness.Host(addresses=("192.0.2.7", "192.0.2.53", "192.0.2.54"), nameservers=("192.0.2.54",)), \
            dns.Responder("192.0.2.53", a_handler) as first, dns.Responder("192.0.2.54", a_handler) as second:
        for name, status, addresses in table:
            before = len(first.queries)
            result = query(args, name, "192.0.2.53", limits=("--timeout-ms", "300", "--tries", "1", "--type", "1"))
            expect(result["status"] == status, f"{name}: status", result)
            expect([r[3] for r in result["records"]] == addresses, f"{name}: addresses", result)
            expect(all(r[0] == dns.TYPE_A and r[4] == 1 for r in result["records"]), f"{name}: answer A records", result)
            asked = [(q.name, q.qtype) for q in first.queries[before:]]
            expect(asked == [(name, dns.TYPE_A)], f"{name}: what the server was asked", asked)
        expect(second.queries == [], "only the given server may be asked", second.queries)


@case
def dns_query_sends_nothing_without_a_usable_server(args):
    # resolv.conf names the responder, so a query that fell back on the
    # system's configuration would reach it.
    with harness.Host(), dns.Responder("192.0.2.53", dns.host_table({}, ANSWERS)) as server:
        for servers, status in ((["--null"], 87), ([], 9852), ([""], 9852), (["255.255.255.255"], 9852),
                                (["0.0.0.0"], 9852), (["224.0.0.251"], 9852)):
            result = query(args, "7.2.0.192.IN-ADDR.ARPA", *servers)
            expect(result == {"status": status, "records": []}, f"servers {servers}", result)
        expect(server.queries == [], "a query was sent", [q.name for q in server.queries])


@case
def connection_state(args):
    with harness.Host(lan=False):
        expect(driver(args, "connected") == "0 0", "only the loop-back interface: no connection")
        harness.run("ip", "link", "add", "v0", "type", "veth", "peer", "name", "v1")
        harness.run("ip", "addr", "add", "198.51.100.2/24", "dev", "v0")
        harness.run("ip", "link", "set", "v1", "up")
        expect(driver(args, "connected") == "0 0", "an interface that is down does not count")
        harness.run("ip", "link", "set", "v0", "up")
        expect(driver(args, "connected") == "0 0", "an interface without the default route is no way out")
        harness.run("ip", "route", "add", "default", "via", "198.51.100.1", "dev", "v0")
        expect(driver(args, "connected") == "1 2", "the interface with the default route is a LAN")
        harness.run("ip", "route", "del", "default")
        harness.run("ip", "route", "add", "default", "dev", "lo")
        expect(driver(args, "connected") == "0 0", "a default route through loop-back is no LAN")


def read(path):
    with open(path) as f:
        return f.read()


@case
def set_static_hostname(args):
    with harness.Host():
        for command, name, result, stored in (
                ("set-hostname", "PC-Labor-3", "1", "PC-Labor-3\n"),  # letter case kept
                ("set-hostname", "bad name", "0", "PC-Labor-3\n"),
                ("set-hostname", "-lead", "0", "PC-Labor-3\n"),
                ("set-hostname", "x" * 64, "0", "PC-Labor-3\n"),
                ("set-hostname", "a\nb", "0", "PC-Labor-3\n"),
                ("set-hostname-plain", "ws-18", "1", "ws-18\n")):
            expect(driver(args, command, name) == result, f"{command} {name!r}")
            expect(read("/etc/hostname") == stored, f"/etc/hostname after {name!r}", read("/etc/hostname"))
        expect(socket.gethostname() == "ws-17", "the running host name stays until the next start")
        leftovers = [f for f in os.listdir("/etc") if f.startswith(".hostname")]
        expect(leftovers == [], "temporary files left in /etc", leftovers)


@case
def hosts_file_follows_the_static_name(args):
    debian = "127.0.0.1\tlocalhost\n127.0.1.1\tws-17\n\n# The following lines are desirable for IPv6\n::1 ip6-localhost\n"
    table = [
        # hosts file before, after renaming to ws-18
        (debian, debian.replace("127.0.1.1\tws-17", "127.0.1.1\tws-18")),
        ("127.0.0.1 localhost ws-17\n", "127.0.0.1 localhost ws-17\n"),              # no 127.0.1.1 line: none added
        # no DNS name given: the full name keeps its domain
        ("127.0.1.1 ws-17.uni-falkenau.de  ws-17 loghost\n", "127.0.1.1 ws-18.uni-falkenau.de  ws-18 loghost\n"),
    ]
    with harness.Host(lan=False, addresses=()):
        for before, after in table:
            for name, text in (("/etc/hosts", before), ("/etc/hostname", "ws-17\n")):
                with open(name, "w") as f:
                    f.write(text)
            os.chmod("/etc/hosts", 0o640)
            os.chown("/etc/hosts", 0, 4)
            expect(driver(args, "set-hostname", "ws-18") == "1", "set-hostname ws-18")
            expect(read("/etc/hostname") == "ws-18\n", "/etc/hostname", read("/etc/hostname"))
            expect(read("/etc/hosts") == after, "/etc/hosts", before, read("/etc/hosts"))
            info = os.stat("/etc/hosts")
            expect((info.st_mode & 0o7777, info.st_uid, info.st_gid) == (0o640, 0, 4), "owner and mode kept",
                   oct(info.st_mode), info.st_uid, info.st_gid)
            leftovers = [f for f in os.listdir("/etc") if f.startswith(".hosts")]
            expect(leftovers == [], "temporary files left in /etc", leftovers)


def read_only(path):
    """A read-only bind mount, as managed images have: even root cannot
    replace the file."""
    harness.run("mount", "--bind", path, path)
    harness.run("mount", "-o", "remount,ro,bind", path)


@case
def unwritable_hosts_file_renames_nothing(args):
    hostname = "ws-17\n# set by the installer\n"
    with harness.Host(hosts="127.0.1.1\tws-17.uni-falkenau.de\tws-17\n"):
        with open("/etc/hostname", "w") as f:
            f.write(hostname)
        read_only("/etc/hosts")
        done = subprocess.run([args.driver, "set-hostname", "lab-pc-3", "lab-pc-3.uni-falkenau.de"],
                              capture_output=True, text=True, timeout=30)
        expect(done.returncode == 0 and done.stdout.strip() == "0", "the rename fails", done.stdout, done.stderr)
        expect(read("/etc/hostname") == hostname, "/etc/hostname byte for byte as it was", read("/etc/hostname"))
        expect(read("/etc/hosts") == "127.0.1.1\tws-17.uni-falkenau.de\tws-17\n", "/etc/hosts unchanged",
               read("/etc/hosts"))
        leftovers = [f for f in os.listdir("/etc") if f.startswith((".hosts", ".hostname"))]
        expect(leftovers == [], "temporary files left in /etc", leftovers)
        harness.run("umount", "/etc/hosts")


@case
def links_are_kept_and_the_full_name_follows(args):
    """/etc/hostname and /etc/hosts as links into another directory (as
    image-based systems keep them): both are written through to their
    targets, and the links stay links."""
    with harness.Host(lan=False, addresses=()):
        os.makedirs("/etc/writable", exist_ok=True)
        targets = {"/etc/hostname": "/etc/writable/hostname", "/etc/hosts": "/etc/writable/hosts"}
        texts = {"/etc/hostname": "ws-17.uni-falkenau.de\n",
                 "/etc/hosts": "127.0.0.1\tlocalhost\n127.0.1.1\tws-17.uni-falkenau.de\tws-17\n"}
        for name, target in targets.items():
            with open(target, "w") as f:
                f.write(texts[name])
            os.remove(name)
            os.symlink(os.path.relpath(target, "/etc"), name)
        expect(driver(args, "set-hostname", "lab-pc-3", "lab-pc-3.uni-falkenau.de") == "1", "set-hostname lab-pc-3")
        for name in targets:
            expect(os.path.islink(name), f"{name} is still a link")
        expect(read("/etc/writable/hostname") == "lab-pc-3.uni-falkenau.de\n", "a full static name stays full",
               read("/etc/writable/hostname"))
        expect(read("/etc/writable/hosts") == "127.0.0.1\tlocalhost\n127.0.1.1\tlab-pc-3.uni-falkenau.de\tlab-pc-3\n",
               "the full name follows", read("/etc/writable/hosts"))


@case
def hostnamed_reads_the_name_root_wrote(args):
    debian = "127.0.0.1\tlocalhost\n127.0.1.1\tws-17\n"
    with harness.Host(lan=False, addresses=(), hosts=debian) as host, \
            harness.Hostnamed(host.tmp) as service:
        expect(service.static_hostname() == "ws-17", "the service reads the private /etc/hostname",
               service.static_hostname())
        # Without rights nothing is renamed, neither by the service nor by
        # the files.
        done = subprocess.run(["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--",
                               harness.runnable_by_everyone(args.driver, host.tmp), "set-hostname", "PC-Labor-3"],
                              capture_output=True, text=True, timeout=30, env=service.env)
        expect(done.stdout.strip() == "0 rights", "nobody: refused for rights", done.stdout, done.stderr)
        expect(service.static_hostname() == "ws-17", "nobody changed the name", service.static_hostname())
        expect(read("/etc/hostname") == "ws-17\n", "nobody changed /etc/hostname", read("/etc/hostname"))
        expect(read("/etc/hosts") == debian, "nobody changed /etc/hosts", read("/etc/hosts"))
        # Root writes the file, which the service reads as its static name;
        # the running name stays until the next start.
        expect(driver(args, "set-hostname", "PC-Labor-3") == "1", "root: set-hostname PC-Labor-3")
        expect(service.static_hostname() == "PC-Labor-3", "the service's static name", service.static_hostname())
        expect(read("/etc/hostname") == "PC-Labor-3\n", "/etc/hostname", read("/etc/hostname"))
        expect(read("/etc/hosts") == debian.replace("\tws-17", "\tPC-Labor-3"), "/etc/hosts", read("/etc/hosts"))
        expect(socket.gethostname() == "ws-17", "the running name stays until the next start", socket.gethostname())


@case
def hostnamed_rename_undone_when_the_hosts_file_fails(args):
    debian = "127.0.0.1\tlocalhost\n127.0.1.1\tws-17\n"
    with harness.Host(lan=False, addresses=(), hosts=debian) as host, \
            harness.Hostnamed(host.tmp) as service:
        read_only("/etc/hosts")
        expect(driver(args, "set-hostname", "PC-Labor-3") == "0", "the rename fails as a whole")
        expect(service.static_hostname() == "ws-17", "the service has the old name", service.static_hostname())
        expect(socket.gethostname() == "ws-17", "the running name as it was", socket.gethostname())
        expect(read("/etc/hostname") == "ws-17\n", "/etc/hostname as it was", read("/etc/hostname"))
        expect(read("/etc/hosts") == debian, "/etc/hosts as it was", read("/etc/hosts"))
        harness.run("umount", "/etc/hosts")


def hostname_file_before(text):
    """/etc/hostname with `text`, or none for None."""
    if os.path.lexists("/etc/hostname"):
        os.remove("/etc/hostname")
    if text is not None:
        with open("/etc/hostname", "w") as f:
            f.write(text)


def hostname_file_now():
    return read("/etc/hostname") if os.path.exists("/etc/hostname") else None


# /etc/hostname as the undo must leave it: missing, or a full static name
# after a comment line, which hostname(5) skips.
HOSTNAME_FILES = (None, "# set by the installer\nws-17.uni-falkenau.de\n", "\nws-17\n")
POLKIT_LETS_NOBODY = """polkit.addRule(function(action, subject) {
    if ((action.id == "org.freedesktop.hostname1.set-static-hostname" ||
         action.id == "org.freedesktop.hostname1.set-hostname") && subject.user == "nobody")
        return polkit.Result.YES;
});
"""


@case
def undo_puts_back_both_names_as_root(args):
    debian = "127.0.0.1\tlocalhost\n127.0.1.1\tws-17\n"
    with harness.Host(lan=False, addresses=(), hosts=debian) as host, \
            harness.Hostnamed(host.tmp) as service:
        read_only("/etc/hosts")
        for before in HOSTNAME_FILES:
            hostname_file_before(before)
            socket.sethostname("ws-17")
            expect(driver(args, "set-hostname", "PC-Labor-3", "pc-labor-3.uni-falkenau.de") == "0",
                   "the rename fails as a whole", before)
            expect(hostname_file_now() == before, "/etc/hostname as it was", before, hostname_file_now())
            expect(socket.gethostname() == "ws-17", "the running name as it was", before, socket.gethostname())
            wanted = (before or "").replace("# set by the installer", "").strip()
            expect(service.static_hostname() == wanted, "the service's static name", before,
                   service.static_hostname())
        harness.run("umount", "/etc/hosts")


@case
def whom_polkit_lets_use_hostnamed_still_renames_nothing_alone(args):
    """A user whom polkit would let rename through hostnamed, with a hosts
    file the user may replace: the layer never asks hostnamed (which would
    rename the running system at once) and cannot write /etc/hostname, so
    the rename is refused for rights and nothing changes, the running name
    least of all. Such a user's rename from the windows goes to pkexec's
    copy."""
    with harness.Host(lan=False, addresses=()) as host, \
            harness.Hostnamed(host.tmp, polkit_rules=POLKIT_LETS_NOBODY) as service:
        os.makedirs("/etc/shared", mode=0o777)
        os.chmod("/etc/shared", 0o777)
        with open("/etc/shared/hosts", "w") as f:
            f.write("127.0.1.1\tws-17\n")
        os.remove("/etc/hosts")
        os.symlink("shared/hosts", "/etc/hosts")
        driver_for_nobody = harness.runnable_by_everyone(args.driver, host.tmp)
        for before in HOSTNAME_FILES:
            hostname_file_before(before)
            # As systemd leaves it at start: the static name, where there is one.
            static = (before or "").replace("# set by the installer", "").strip()
            socket.sethostname(static or "ws-17")
            done = subprocess.run(["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--",
                                   driver_for_nobody, "set-hostname", "PC-Labor-3"],
                                  capture_output=True, text=True, timeout=30, env=service.env)
            expect(done.stdout.strip() == "0 rights", "refused for rights", before, done.stdout, done.stderr)
            expect(hostname_file_now() == before, "/etc/hostname as it was", before, hostname_file_now())
            expect(read("/etc/shared/hosts") == "127.0.1.1\tws-17\n", "the hosts file as it was", before,
                   read("/etc/shared/hosts"))
            expect(socket.gethostname() == (static or "ws-17"), "the running name as it was", before,
                   socket.gethostname())
            expect(service.static_hostname() == static, "the service's static name", before,
                   service.static_hostname())


def link_to(path, target):
    """`path` as a relative link to `target`, which need not exist."""
    if os.path.lexists(path):
        os.remove(path)
    os.symlink(os.path.relpath(target, os.path.dirname(path)), path)


def rename_keeps_links(args, service=None):
    """Links at /etc/hostname and /etc/hosts, to files that exist and to a
    host-name file that does not exist yet: the files behind them get the
    new names, the links stay, and the running name stays until the next
    start. The undo of a failed rename never removes a link either."""
    os.makedirs("/etc/writable", exist_ok=True)
    hosts = "127.0.0.1\tlocalhost\n127.0.1.1\tws-17.uni-falkenau.de\tws-17\n"
    for hostname_text in ("ws-17.uni-falkenau.de\n", None):
        for name in ("hostname", "hosts"):
            if os.path.exists(f"/etc/writable/{name}"):
                os.remove(f"/etc/writable/{name}")
            link_to(f"/etc/{name}", f"/etc/writable/{name}")
        with open("/etc/writable/hosts", "w") as f:
            f.write(hosts)
        if hostname_text is not None:
            with open("/etc/writable/hostname", "w") as f:
                f.write(hostname_text)
        socket.sethostname("ws-17")
        wanted = "lab-pc-3.uni-falkenau.de\n" if hostname_text else "lab-pc-3\n"
        expect(driver(args, "set-hostname", "lab-pc-3", "lab-pc-3.uni-falkenau.de") == "1", "set-hostname lab-pc-3",
               hostname_text)
        for name in ("/etc/hostname", "/etc/hosts"):
            expect(os.path.islink(name), f"{name} is still a link", hostname_text)
        expect(read("/etc/writable/hostname") == wanted, "the file behind the link", hostname_text,
               read("/etc/writable/hostname"))
        expect(read("/etc/writable/hosts") == hosts.replace("ws-17", "lab-pc-3"), "the hosts file behind the link",
               read("/etc/writable/hosts"))
        expect(socket.gethostname() == "ws-17", "the running name stays until the next start", socket.gethostname())
        if service:
            expect(service.static_hostname() == wanted.strip(), "the service's static name", service.static_hostname())
        leftovers = [f for f in os.listdir("/etc/writable") if f.startswith(".")]
        expect(leftovers == [], "temporary files left", leftovers)
    # A failed rename with the host-name file not there yet: the link stays.
    os.remove("/etc/writable/hostname")
    with open("/etc/writable/hosts", "w") as f:
        f.write(hosts)
    read_only("/etc/writable/hosts")
    expect(driver(args, "set-hostname", "lab-pc-4", "lab-pc-4.uni-falkenau.de") == "0", "the rename fails")
    expect(os.path.islink("/etc/hostname") and not os.path.exists("/etc/writable/hostname"),
           "the link stays, its file is not there again", os.listdir("/etc/writable"))
    harness.run("umount", "/etc/writable/hosts")


@case
def links_are_kept_on_the_file_path(args):
    with harness.Host(lan=False, addresses=()):
        rename_keeps_links(args)


@case
def links_are_kept_where_hostnamed_runs(args):
    with harness.Host(lan=False, addresses=()) as host, harness.Hostnamed(host.tmp) as service:
        rename_keeps_links(args, service)


def main():
    if harness.list_cases(CASES):
        return 0
    # Outside, the machine's own names are noted before and compared after.
    machine = (read("/etc/hostname") if os.path.exists("/etc/hostname") else None, socket.gethostname())
    code = harness.enter(sys.argv)
    if code is not None:
        after = (read("/etc/hostname") if os.path.exists("/etc/hostname") else None, socket.gethostname())
        if after != machine:
            print(f"the machine's names changed: {machine} -> {after}", file=sys.stderr)
            return 4
        return code
    return harness.run_cases(CASES, "--driver")


if __name__ == "__main__":
    sys.exit(main())
