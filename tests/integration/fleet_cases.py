"""The fleet view: three PCs, each with its own host name, /etc and /dev/log
(UTS and mount namespaces of their own inside one test network), forward
their entries through rsyslog over TCP to a collector, as the README's
"Reading results centrally" sets it up. Usage: fleet_cases.py --program P CASE"""

import os
import re
import signal
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import responder as dns  # noqa: E402

expect = harness.expect
CASES, case = harness.registry()
README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")

# The README's snippets, with what differs between a campus and this test
# as fields: the test checks that the README holds them as written here.
CLIENT_SNIPPET = '''if $programname == "hostwarden" then action(type="omfwd" target="{collector}" port="514" protocol="tcp")'''
COLLECTOR_SNIPPET = '''module(load="imtcp")
input(type="imtcp" port="514"{listen})
template(name="hostwarden" type="string" string="%HOSTNAME% %syslogtag%%msg%\\n")
if $programname == "hostwarden" then {{
  action(type="omfile" file="{file}" template="hostwarden")
  stop
}}'''
QUERY = """awk '/ verdict=mismatch /{{print $1}}' {file}"""
README_VALUES = {"collector": "loghost.uni-falkenau.de", "listen": "", "file": "/var/log/hostwarden.log"}

COLLECTOR = "198.51.100.10"
PTR_KEY = "7.2.0.192.in-addr.arpa"
# Host name, DNS server, verdict: the server at .53 names the address
# ws-17, the one at .54 has no PTR record for it.
PCS = (("ws-17", "192.0.2.53", "agree"), ("ws-18", "192.0.2.53", "mismatch"),
       ("ws-19", "192.0.2.54", "not-applicable"))

PC_SCRIPT = r'''
set -e
hostname "$1"
mount --bind "$2/etc" /etc
mount -t overlay overlay -o "lowerdir=/dev,upperdir=$2/dev-upper,workdir=$2/dev-work" /dev
rsyslogd -n -f "$2/rsyslog.conf" -i "$2/rsyslog.pid" &
deadline=$((SECONDS + 20))
until [ -S /dev/log ]; do
  [ $SECONDS -lt $deadline ] || { echo "no /dev/log" >&2; exit 1; }
  sleep 0.01
done
"$3" --report --json > "$2/report.json" || true
touch "$2/done"
wait
'''


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


def listening(address, port):
    wanted = "%08X:%04X" % (int.from_bytes(socket.inet_aton(address), "little"), port)
    with open("/proc/net/tcp") as table:
        return any(line.split()[1] == wanted and line.split()[3] == "0A" for line in table.readlines()[1:])


def wait_for(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.05)


def start(command, processes):
    process = subprocess.Popen(command, start_new_session=True, stdout=subprocess.DEVNULL)
    processes.append(process)
    return process


def stop_all(processes):
    for process in processes:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    for process in processes:
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()


def start_collector(tmp, processes, file):
    work = os.path.join(tmp, "collector")
    os.makedirs(work)
    conf = os.path.join(work, "rsyslog.conf")
    write(conf, f'global(workDirectory="{work}")\n' +
          COLLECTOR_SNIPPET.format(listen=f' address="{COLLECTOR}"', file=file) + "\n")
    process = start(["rsyslogd", "-n", "-f", conf, "-i", os.path.join(work, "rsyslog.pid")], processes)
    wait_for(lambda: listening(COLLECTOR, 514) or process.poll() is not None, 20, "the collector")
    expect(process.poll() is None, "the collector runs")


def start_pc(tmp, processes, program, hostname, server):
    pc = os.path.join(tmp, hostname)
    os.makedirs(os.path.join(pc, "dev-upper"))
    os.makedirs(os.path.join(pc, "dev-work"))
    harness.run("cp", "-a", "/etc", os.path.join(pc, "etc"))
    for name, text in (("hostname", hostname + "\n"), ("resolv.conf", f"nameserver {server}\n")):
        write(os.path.join(pc, "etc", name), text)
    write(os.path.join(pc, "rsyslog.conf"),
          f'global(workDirectory="{pc}")\n'
          'module(load="imuxsock" SysSock.Name="/dev/log" SysSock.RateLimit.Interval="0")\n' +
          CLIENT_SNIPPET.format(collector=COLLECTOR) + "\n")
    start(["unshare", "--uts", "--mount", "--propagation", "private", "bash", "-c", PC_SCRIPT, "pc",
           hostname, pc, program], processes)
    return pc


def readme_holds_the_snippets():
    with open(README) as f:
        # The README's code blocks are indented by four blanks.
        text = "\n".join(line[4:] if line.startswith("    ") else line for line in f.read().splitlines())
    for snippet in (CLIENT_SNIPPET, COLLECTOR_SNIPPET, QUERY):
        written = snippet.format(**README_VALUES)
        expect(written in text, "the README gives the snippet as tested", written)


@case
def three_pcs_one_collector(args):
    readme_holds_the_snippets()
    hosts = {"ws-17": "192.0.2.7"}
    ptr = {PTR_KEY: dns.ptr_names("ws-17.uni-falkenau.de")}
    processes = []
    with harness.Host(addresses=("192.0.2.7", "192.0.2.53", "192.0.2.54", COLLECTOR)) as host, \
            dns.Responder("192.0.2.53", dns.host_table(hosts, ptr)), \
            dns.Responder("192.0.2.54", dns.host_table(hosts, {})):
        try:
            fleet = os.path.join(host.tmp, "hostwarden.log")
            start_collector(host.tmp, processes, fleet)
            pcs = [start_pc(host.tmp, processes, args.program, name, server) for name, server, _ in PCS]

            def lines():
                if not os.path.exists(fleet):
                    return []
                with open(fleet) as f:
                    return f.read().splitlines()
            wait_for(lambda: all(os.path.exists(os.path.join(pc, "done")) for pc in pcs), 60, "the three runs")
            wait_for(lambda: len(lines()) >= len(PCS), 30, "three entries at the collector")
            entries = lines()
            expect(len(entries) == len(PCS), "one entry per PC", entries)
            for name, _, verdict in PCS:
                mine = [line for line in entries if line.split(" ", 1)[0] == name]
                expect(len(mine) == 1, f"one entry from {name}", entries)
                expect(re.match(rf"{name} hostwarden\[\d+\]: verdict={verdict} computerName=\"{name}\" ", mine[0]),
                       f"{name}: its host name and verdict", mine[0])
            query = subprocess.run(["sh", "-c", QUERY.format(file=fleet)], capture_output=True, text=True)
            expect(query.stdout == "ws-18\n", "the query lists the PC whose name differs", query.stdout, entries)
        finally:
            stop_all(processes)


if __name__ == "__main__":
    sys.exit(harness.main(CASES, "--program"))
