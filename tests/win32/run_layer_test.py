#!/usr/bin/env python3
"""Runs the Windows layer's test program under Wine in namespaces of its own:
host name ws-17 (192.0.2.7), DNS servers 192.0.2.53 and 198.51.100.53, and a
dnsmasq on 192.0.2.53 that answers alias.example.test with a CNAME to
target.example.test and 192.0.2.7 with a PTR record. Nothing leaves the
namespaces. The i686 program runs under 32-bit Wine, and is skipped (exit 77,
with the reason) where the kernel or 32-bit Wine cannot run it; the x86_64
one under 64-bit Wine.

  run_layer_test.py i686|x86_64 <win32_layer_test.exe> <wine prefix dir>
"""

import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, ".."))
sys.path.insert(0, os.path.join(HERE, "..", "e2e", "wine"))
import harness  # noqa: E402
import wine_host  # noqa: E402

HOSTS = "127.0.0.1\tlocalhost\n192.0.2.7\tws-17.example.test ws-17\n"
DNSMASQ_RECORDS = ("--host-record=target.example.test,192.0.2.9", "--cname=alias.example.test,target.example.test",
                   "--ptr-record=7.2.0.192.in-addr.arpa,ws-17.example.test")


def wine_env(wine, prefix):
    """The loader's architecture and the layer test's expectations; the
    caller's locale stays, so the user name below reaches the program
    through the ANSI code page that locale gives."""
    env = dict(os.environ)
    env.update({name: value for name, value in wine.env.items() if name.startswith("WINE")})
    # No Mono or Gecko: the test program needs neither, and their set-up
    # slows the first start of a prefix.
    env.update({"WINEPREFIX": prefix, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="})
    # A user name outside ASCII, to see it arrive through the ANSI code page.
    env.update({"USER": "Müller", "HW_EXPECT_USER": "Müller", "HW_EXPECT_HOST": "ws-17"})
    return env


def run_inside(arch, program, prefix):
    harness.require_own_namespaces()
    wine = wine_host.WINES[arch]
    env = wine_env(wine, prefix)
    # Every address on the loopback interface, as the layer test expects.
    with harness.Host(addresses=("192.0.2.7", "192.0.2.53"), nameservers=("192.0.2.53", "198.51.100.53"),
                      hosts=HOSTS, lan=False, resolv_options="edns0") as host:
        # edns0: without an OPT record in the answer, Wine 8's DNS client
        # refuses a PTR answer whose name ends at the answer's last byte.
        host.dnsmasq("192.0.2.53", *DNSMASQ_RECORDS)
        try:
            return subprocess.call([wine.loader, program], cwd=os.path.dirname(os.path.abspath(program)), env=env)
        finally:
            subprocess.call([wine.server, "-k"], env=env, stderr=subprocess.DEVNULL)


def main(argv):
    args = [a for a in argv[1:] if a != "--inside"]
    if len(args) != 3 or args[0] not in wine_host.WINES:
        print(__doc__, file=sys.stderr)
        return 2
    arch, program, prefix = args
    why = wine_host.why_not_runnable(arch)
    if why is not None:
        print(f"SKIPPED: {why}, so the {arch} program is not run under Wine")
        return wine_host.SKIP_RETURN_CODE
    # A PID namespace as well: a time-out ends Wine's server with the test.
    code = harness.enter(argv, processes=True)
    if code is not None:
        return code
    return run_inside(arch, os.path.abspath(program), os.path.abspath(prefix))


if __name__ == "__main__":
    sys.exit(main(sys.argv))
