"""The guard every namespace test passes first: the script runs again under
`unshare` (network, host name and mounts of its own, optionally processes),
and inside refuses to go on unless every namespace differs from the one it
was started in and from PID 1's, and the network was fresh (nothing but
`lo`) when it first looked."""

import ctypes
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

OUTER_NS = "HOSTWARDEN_TEST_OUTER_NS"
SKIP = 77  # ctest's SKIP_RETURN_CODE
REFUSED = 3
KINDS = ("net", "uts", "mnt")


class Skipped(Exception):
    """A case that cannot run on this machine; the message says why."""


def namespace_ids(pid="self"):
    return {kind: os.readlink(f"/proc/{pid}/ns/{kind}") for kind in KINDS}


def enter(argv, processes=False):
    """Outside: run this script again in new namespaces and return its exit
    code. With --inside: return None; require_own_namespaces() then checks.
    `processes`: a PID namespace as well, so that whatever the script
    started ends with it, even when a time-out kills the script."""
    if "--inside" in argv:
        return None
    if os.geteuid() != 0 or not shutil.which("unshare"):
        print("SKIPPED: the namespace tests need root and unshare")
        return SKIP
    env = dict(os.environ, **{OUTER_NS: json.dumps(namespace_ids())})
    env.pop("DBUS_SYSTEM_BUS_ADDRESS", None)
    pid = ["--pid", "--fork", "--kill-child", "--mount-proc"] if processes else []
    command = ["unshare", "--net", "--uts", "--mount", *pid, "--propagation", "private",
               sys.executable, os.path.abspath(argv[0]), "--inside"] + argv[1:]
    return subprocess.call(command, env=env, preexec_fn=end_with_parent)


def refuse(reason):
    print(f"refusing to run: {reason}", file=sys.stderr)
    sys.exit(REFUSED)


_fresh_network_seen = False


def require_own_namespaces():
    """Refuses (exit 3) unless this process runs in namespaces of its own.
    The first call also wants a fresh network namespace; later calls accept
    the interfaces the test has made since."""
    global _fresh_network_seen
    outer = json.loads(os.environ.get(OUTER_NS) or "null")
    if not outer:
        refuse("not started through the harness (harness.enter)")
    mine = namespace_ids()
    for kind in KINDS:
        if mine[kind] == outer.get(kind):
            refuse(f"the {kind} namespace is the one this test was started in")
    if os.getpid() != 1:  # as the first process of its own PID namespace, PID 1 is itself
        try:
            init = namespace_ids(1)
        except OSError:
            init = {}  # PID 1's namespaces may be hidden from us; the check above stands
        for kind in KINDS:
            if init.get(kind) == mine[kind]:
                refuse(f"the {kind} namespace is the machine's own")
    if not _fresh_network_seen:
        names = [name for _, name in socket.if_nameindex()]
        if names != ["lo"]:
            refuse(f"the network namespace is not fresh: {names}")
        _fresh_network_seen = True


def end_with_parent():
    """In the child before exec: end when the harness ends, however it ends,
    so no server outlives its test."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def run(*command, **kwargs):
    kwargs.setdefault("timeout", 120)
    return subprocess.run(command, check=True, **kwargs)


def stop(process):
    """Ends a process we started: politely first, then for sure."""
    if process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class TimedOut(RuntimeError):
    pass


def wait_until(what, condition, timeout=30.0, interval=0.05, process=None):
    """Polls `condition` until it gives something true, which it returns.
    Fails after `timeout` seconds, or at once when `process` has ended. The
    deadline is generous: it only ends a wait that would never succeed."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if process is not None and process.poll() is not None:
            raise TimedOut(f"{what}: {' '.join(map(str, process.args))} ended with {process.returncode}")
        if time.monotonic() > deadline:
            raise TimedOut(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)
