"""Hostile DNS answers to the program built with AddressSanitizer and
UndefinedBehaviorSanitizer: truncated packets, compression loops, names of
more than 255 bytes, labels with NUL, control and non-ASCII bytes, lying
counts and lengths, replies with the wrong id or question; each once to the
IPv4 query and once to the IPv6 (ip6.arpa) query of a dual-stack PC. Every
run must end with valid JSON, an exit code of 0, 1 or 2 that fits its
verdict, and no sanitizer report. Usage: hostile_answers.py --program P"""

import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import responder as dns  # noqa: E402
from report_cases import HOSTS, PTR_KEY, expect

IPV6 = "2001:db8::7"
IPV6_PTR_KEY = "7.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"

SANITIZERS = {
    "ASAN_OPTIONS": "detect_leaks=1:exitcode=99",
    "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1:exitcode=99",
}
EXIT_OF_VERDICT = {"agree": 0, "not-applicable": 0, "mismatch": 1, "failed": 2}


def with_ptr_rdata(rdata):
    return lambda q: [q.answer([(dns.TYPE_PTR, rdata)])]


def ptr_named(*labels):
    return with_ptr_rdata(dns.encode_name(list(labels)))


def answer_offset(q):
    """Where the first answer record's data starts."""
    return 12 + len(q.question) + 12


def compression_loop(q):
    return with_ptr_rdata(struct.pack("!H", 0xC000 | answer_offset(q)))(q)  # points at itself


def two_pointer_loop(q):
    here = answer_offset(q)
    return with_ptr_rdata(b"\x01a" + struct.pack("!H", 0xC000 | (here + 4)) + struct.pack("!H", 0xC000 | here))(q)


def cut(at):
    return lambda q: [ptr_named(b"ws-17", b"example")(q)[0][:at]]


def cut_from_end(count):
    return lambda q: [ptr_named(b"ws-17", b"example")(q)[0][:-count]]


def answer_count_lies(q):
    packet = bytearray(ptr_named(b"ws-17", b"example")(q)[0])
    packet[6:8] = struct.pack("!H", 5)
    return [bytes(packet)]


def record_length_lies(q):
    name = dns.encode_name("ws-17.example")
    empty = q.answer()
    return [empty[:6] + struct.pack("!H", 1) + empty[8:] +
            b"\xc0\x0c" + struct.pack("!HHIH", dns.TYPE_PTR, 1, 60, 200) + name]


def wrong_id(q):
    packet = bytearray(ptr_named(b"ws-17", b"example")(q)[0])
    packet[0:2] = struct.pack("!H", q.id ^ 0x5A5A)
    return [bytes(packet)]


def other_question(q):
    other = dns.Query(q.packet.replace(b"\x017\x01", b"\x018\x01", 1))  # 8.2.0.192 or 8.0.0...ip6.arpa
    return [other.answer([(dns.TYPE_PTR, dns.encode_name("ws-17.example"))])]


LONG_LABELS = [bytes([ord("a") + i]) * 63 for i in range(5)]  # 5 x 63 bytes: a name of 319 characters

KINDS = [
    # (what, answer, the dnsName it must give: None when any clean result will do)
    ("cut inside the header", cut(7), ""),
    ("header only, claiming an answer", lambda q: [dns.header(q.id, an=1)], ""),
    ("cut inside the answer's name", cut_from_end(7), ""),
    ("cut inside the record header", cut_from_end(len(dns.encode_name("ws-17.example")) + 4), ""),
    ("compression pointer to itself", compression_loop, ""),
    ("two compression pointers in a loop", two_pointer_loop, ""),
    ("compression pointer past the end", with_ptr_rdata(b"\xc3\xff"), ""),
    ("reserved label type", with_ptr_rdata(b"\x41" + b"a" * 65 + b"\0"), ""),
    ("NUL inside a label", ptr_named(b"ws\x0017", b"example"), ""),
    ("control byte in a label", ptr_named(b"ws\x1b[2J17", b"example"), ""),
    ("Latin-1 byte in a label", ptr_named(b"m\xfcller", b"example"), ""),
    ("UTF-8 in a label", ptr_named("müller".encode(), b"example"), ""),
    ("dot inside a label", ptr_named(b"ws.17", b"example"), None),
    ("empty PTR name", with_ptr_rdata(b"\0"), ""),
    ("answer count larger than the answers", answer_count_lies, None),
    ("record length past the end", record_length_lies, ""),
    ("name of 319 characters", ptr_named(*LONG_LABELS), ".".join(label.decode() for label in LONG_LABELS)),
    ("reply with the wrong query id", wrong_id, ""),
    ("reply to another question", other_question, ""),
]


CASES, case = harness.registry()


@case
def hostile_answers(args):
    current = {}
    agreeing = dns.ptr_names("ws-17.example")
    ptr = {PTR_KEY: lambda q: current[PTR_KEY](q), IPV6_PTR_KEY: lambda q: current[IPV6_PTR_KEY](q)}
    failures = []
    with harness.Host(ipv6=(IPV6,)) as host, dns.Responder("192.0.2.53", dns.host_table(HOSTS, ptr)):
        for key, name_key in ((PTR_KEY, "dnsName"), (IPV6_PTR_KEY, "ipv6DnsName")):
            for what, answer, dns_name in KINDS:
                current.update({PTR_KEY: agreeing, IPV6_PTR_KEY: agreeing, key: answer})
                what = f"{what} ({'IPv6' if key == IPV6_PTR_KEY else 'IPv4'})"
                try:
                    exit_code, report, stderr = host.report(args.program, SANITIZERS)
                    expect("Sanitizer" not in stderr and "runtime error" not in stderr, "sanitizer report", stderr)
                    expect(report.get("verdict") in EXIT_OF_VERDICT, "verdict", report)
                    expect(exit_code == EXIT_OF_VERDICT[report["verdict"]], f"exit code {exit_code}", report)
                    expect(isinstance(report.get(name_key), str) and "\0" not in report[name_key], name_key, report)
                    if dns_name is not None:
                        expect(report[name_key] == dns_name, name_key, report)
                    print(f"ok   {what}: exit {exit_code}, {name_key} {report[name_key][:40]!r}")
                except AssertionError as error:
                    failures.append(what)
                    print(f"FAIL {what}: {error}")
    expect(not failures, f"{len(failures)} of {2 * len(KINDS)} hostile answers handled wrongly", failures)


if __name__ == "__main__":
    sys.exit(harness.main(CASES, "--program"))
