#!/usr/bin/env python3
"""Captures real DNS answers to PTR queries from dnsmasq, as the seed corpus
of the fuzz targets. dnsmasq runs in namespaces of their own (the test host
of tests/integration: `lo` with documentation addresses, nothing reaches
this machine's DNS); each query is sent the way the program sends it (the
reverse name in upper case, no EDNS) and the raw reply is saved.

  fuzz/corpus/ptr_answer/<case>.bin      the reply as it came off the wire
  fuzz/corpus/startup_check/<case>.txt   the reply's first PTR name in the
                                         startup-check target's input format

Usage: fuzz/capture_answers.py [--out DIR]   (run as root; the default DIR
is fuzz/corpus beside this script)."""

import argparse
import os
import socket
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests"))

import harness as namespace_host  # noqa: E402

SERVER = "192.0.2.53"
DOMAIN = "uni-falkenau.de"
LONG_LABEL = "l" * 63
LONG_NAME = ".".join(["a" * 61, "b" * 61, "c" * 61, "d" * 50, "de"])  # 253 characters, the most DNS allows

# (case, last octet of 192.0.2.x, dnsmasq options for it)
CASES = [
    ("one_ptr", 7, [f"--ptr-record=7.2.0.192.in-addr.arpa,ws-17.{DOMAIN}"]),
    ("two_ptrs", 8, ["--ptr-record=8.2.0.192.in-addr.arpa,beta-8.example.org",
                     "--ptr-record=8.2.0.192.in-addr.arpa,alpha-8.example.org"]),
    ("cname_first", 9, ["--cname=9.2.0.192.in-addr.arpa,9.0-25.2.0.192.in-addr.arpa",
                        f"--ptr-record=9.0-25.2.0.192.in-addr.arpa,ws-9.{DOMAIN}"]),
    ("nxdomain", 10, []),
    ("dhcp_name", 11, [f"--ptr-record=11.2.0.192.in-addr.arpa,dhcp-192-0-2-11.{DOMAIN}"]),
    ("long_label", 12, [f"--ptr-record=12.2.0.192.in-addr.arpa,{LONG_LABEL}.{DOMAIN}"]),
    ("long_name", 13, [f"--ptr-record=13.2.0.192.in-addr.arpa,{LONG_NAME}"]),
    ("localhost", 14, ["--ptr-record=14.2.0.192.in-addr.arpa,localhost"]),
]

# What the startup-check target reads: two bytes of switches, then texts
# separated by 0x1F (see fuzz/startup_check_fuzzer.cpp).
FIELD = b"\x1f"


def query_packet(name, query_id=0x4857):
    labels = b"".join(bytes([len(part)]) + part.encode() for part in name.split("."))
    return struct.pack("!HHHHHH", query_id, 0x0100, 1, 0, 0, 0) + labels + b"\0" + struct.pack("!HH", 12, 1)


def ask(name):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as udp:
        udp.settimeout(2)
        udp.sendto(query_packet(name), (SERVER, 53))
        reply, _ = udp.recvfrom(4096)
    return reply


def read_name(packet, offset, hops=0):
    """(name, offset after it) of a possibly compressed name."""
    labels = []
    while True:
        length = packet[offset]
        if length >= 0xC0:
            if hops > 16:
                raise ValueError("compression loop")
            pointer = struct.unpack("!H", packet[offset:offset + 2])[0] & 0x3FFF
            rest, _ = read_name(packet, pointer, hops + 1)
            return ".".join(labels + ([rest] if rest else [])), offset + 2
        if length == 0:
            return ".".join(labels), offset + 1
        labels.append(packet[offset + 1:offset + 1 + length].decode("latin-1"))
        offset += 1 + length


def ptr_names(packet):
    """The PTR names of a reply, in answer order."""
    answers = struct.unpack("!H", packet[6:8])[0]
    _, offset = read_name(packet, 12)
    offset += 4
    names = []
    for _ in range(answers):
        _, offset = read_name(packet, offset)
        rtype, _, _, length = struct.unpack("!HHIH", packet[offset:offset + 10])
        offset += 10
        if rtype == 12:
            names.append(read_name(packet, offset)[0])
        offset += length
    return names


def startup_seed(dns_name, address, command_line, computer_name):
    """Every operation succeeds, a LAN on Windows XP; the texts as the
    stand-in operations will return them."""
    texts = [command_line, "Windows XP 5.1 build 2600 (Service Pack 3)", "6.0.2900.5512", "anna",
             computer_name, computer_name.lower(), SERVER, dns_name, dns_name, DOMAIN, address, "198.51.100.9"]
    return bytes([0x00, 0x03]) + FIELD.join(text.encode("latin-1") for text in texts)


def capture(out):
    answers_dir = os.path.join(out, "ptr_answer")
    startup_dir = os.path.join(out, "startup_check")
    os.makedirs(answers_dir, exist_ok=True)
    os.makedirs(startup_dir, exist_ok=True)
    options = [option for _, _, extra in CASES for option in extra]
    with namespace_host.Host() as host:
        host.dnsmasq(SERVER, "--local=/2.0.192.in-addr.arpa/", *options)
        for case, octet, _ in CASES:
            reply = ask(f"{octet}.2.0.192.IN-ADDR.ARPA")
            with open(os.path.join(answers_dir, f"{case}.bin"), "wb") as f:
                f.write(reply)
            names = ptr_names(reply)
            first = names[0] if names else ""
            short = first.split(".")[0] if first else "WS-17"
            for variant, command_line, computer_name in (("agree", "", short.upper()[:15]),
                                                         ("quiet_mismatch", "-Q", "PC-ANDERS")):
                with open(os.path.join(startup_dir, f"{case}_{variant}.txt"), "wb") as f:
                    f.write(startup_seed(first, f"192.0.2.{octet}", command_line, computer_name))
            rcode = reply[3] & 0x0F
            print(f"{case}: {len(reply)} bytes, rcode {rcode}, PTR names {names}")


def main():
    code = namespace_host.enter(sys.argv)
    if code is not None:
        return code
    parser = argparse.ArgumentParser()
    parser.add_argument("--inside", action="store_true")
    parser.add_argument("--out", default=os.path.join(HERE, "corpus"))
    args = parser.parse_args()
    capture(os.path.abspath(args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
