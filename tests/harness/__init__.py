"""The one test harness of the integration, GTK and Wine suites.

Everything a test needs to run the real program against real servers, and
nothing that could touch this machine: each case script runs again in
network, host-name and mount namespaces of its own and refuses to go on
anywhere else.

A case script:

    import harness
    from harness import responder as dns

    CASES, case = harness.registry()

    @case
    def names_agree(args):
        with harness.Host() as host:                    # ws-17, 192.0.2.7 + 2001:db8::7 on lan0
            log = host.dnsmasq("192.0.2.53", "--ptr-record=...")   # ready when it returns
            code, report, stderr = host.report(args.program)
            harness.expect(report["verdict"] == "agree", "verdict", report)

    if __name__ == "__main__":
        sys.exit(harness.main(CASES, "--program"))

`script list` prints the case names; tests/CMakeLists.txt registers one CTest
test for each (hostwarden_add_cases). Scripts outside tests/ put tests/ on
sys.path first.

The parts:
  namespaces  enter(argv, processes=False), require_own_namespaces(),
              refuse(), Skipped, SKIP (77), wait_until(what, condition,
              timeout), run(*command), stop(process), end_with_parent
  host        Host(hostname, addresses, nameservers, hosts, lan, addresses6,
              resolv_options): .dnsmasq(address, *options) -> DnsmasqLog,
              .bind(zones, addresses, order) -> BindLog, .unbound(address,
              forwarder, ready_name), .dhclient(interface, family),
              .report(program, extra_env), .system_log() -> SystemLog,
              .interface(name, address, default_route, address6), .tmp,
              .close(); a context manager; runnable_by_everyone(program,
              work): a path to the program that any user may run
  server_log  ServerLog(path).text(): a server's log, the base of both below
  dnsmasq     DnsmasqLog(path).queries(qtype), udp_listening(address, port)
  bind        BIND 9 from a table of zones: start, BindLog, dig, ptr_names,
              orders_seen(server, address, names)
  unbound     Unbound forwarding everything to one server, in round-robin
  dhcp_client dhclient -4/-6 with Debian's script, ready at its lease
  network     interface(...), on_loopback(address), Peer(link, addresses):
              the far end of a veth in a network namespace of its own
  responder   Responder(address, handler), host_table(hosts, ptr),
              ptr_names(*names), Query, encode_name, record, header, TYPE_*
  screen      Xvfb(private) with -displayfd, private_x_directories()
  hostnamed   Hostnamed(work, guard): systemd-hostnamed on a bus of its own
  cases       expect, registry, main(cases, program_option), run_cases,
              list_cases

Porting a script written against the former tests/integration modules:
`import namespace_host` becomes `import harness as namespace_host`, and
`import dns_responder as dns` becomes `from harness import responder as dns`.
Addresses come from 192.0.2.0/24, 198.51.100.0/24, 203.0.113.0/24 and
2001:db8::/32 only.
"""

from .cases import english_locale, expect, list_cases, main, registry, run_cases
from .dnsmasq import DnsmasqLog, udp_listening
from .host import Host, SystemLog, runnable_by_everyone
from .namespaces import (KINDS, OUTER_NS, REFUSED, SKIP, Skipped, TimedOut, end_with_parent, enter,
                         namespace_ids, refuse, require_own_namespaces, run, stop, wait_until)
from .screen import Xvfb, private_x_directories
from .hostnamed import Hostnamed, Unavailable

_end_with_parent = end_with_parent  # the name the first scripts used
