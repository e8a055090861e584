"""The namespace tests and the driver refuse to run in this machine's own
namespaces, even when told they are inside (the marker names the namespaces
they actually run in). Usage: refuses_outside.py --program P --driver P"""

import argparse
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))

REFUSED = 3


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--driver", required=True)
    args = parser.parse_args()
    env = dict(os.environ, **{harness.OUTER_NS: json.dumps(harness.namespace_ids())})
    attempts = [
        [sys.executable, os.path.join(HERE, "report_cases.py"), "--inside", "--program", args.program, "names_agree"],
        [sys.executable, os.path.join(HERE, "layer_cases.py"), "--inside", "--driver", args.driver, "set_static_hostname"],
        [sys.executable, os.path.join(HERE, "real_server_cases.py"), "--inside", "--program", args.program,
         "dhcpv6_resolv_conf_still_gets_the_ipv4_query"],
        [sys.executable, os.path.join(HERE, "hostile_answers.py"), "--inside", "--program", args.program, "hostile_answers"],
        [sys.executable, os.path.join(HERE, "package_cases.py"), "--inside", "--package", "absent.deb",
         "installed_program_reports"],
        [args.driver, "set-hostname", "refused-name"],
        [args.driver, "dns-query", "7.2.0.192.IN-ADDR.ARPA", "192.0.2.53"],
    ]
    failed = 0
    for command in attempts:
        for environment in (env, {k: v for k, v in env.items() if k != harness.OUTER_NS}):
            done = subprocess.run(command, env=environment, capture_output=True, text=True, timeout=30)
            if done.returncode != REFUSED or "refus" not in done.stderr:
                failed += 1
                print(f"FAIL {command[1:3]}: exit {done.returncode}\n{done.stdout}{done.stderr}")
    print(f"{len(attempts) * 2 - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
