"""An X screen of the test's own: Xvfb picks a free display itself and
writes its number to a pipe (-displayfd) once it accepts connections."""

import os
import select
import subprocess
import time

from .namespaces import end_with_parent, run


def private_x_directories():
    """In a mount namespace of our own: empty socket and keymap directories.
    Xvfb servers in different network namespaces all take display :0 and
    would share /tmp/.X11-unix/X0 and /var/lib/xkb/server-0.xkm otherwise."""
    for directory, mode in (("/tmp/.X11-unix", "1777"), ("/var/lib/xkb", "755")):
        os.makedirs(directory, exist_ok=True)
        run("mount", "-t", "tmpfs", "-o", f"size=4m,mode={mode}", "tmpfs", directory)


class Xvfb:
    """An X screen of 1024 x 768 (or `size`) at 96 dpi. No reset when the last client
    leaves: each xdotool call is a client, and a connection arriving while
    the server resets is refused. `private`: the screen's directories are
    our own (private_x_directories), so no lock file is shared either."""

    def __init__(self, private=False, timeout=60.0, size="1024x768"):
        self.private, self.timeout, self.size = private, timeout, size

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{self.size}x24", "-dpi", "96",
             "-nolisten", "tcp", "-noreset"] + (["-nolock"] if self.private else []),
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=end_with_parent)
        os.close(write_end)
        try:
            self.display = ":" + self._display_number(read_end)
        finally:
            os.close(read_end)
        self.env = dict(os.environ, DISPLAY=self.display)
        return self

    def _display_number(self, pipe):
        number = b""
        deadline = time.monotonic() + self.timeout
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([pipe], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(pipe, 16) if ready else b""
            if not chunk:
                self.process.kill()
                self.process.wait()
                raise RuntimeError("Xvfb did not start" if ready else "Xvfb gave no display number in time")
            number += chunk
        return number.decode().strip()

    def running(self):
        return self.process.poll() is None

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
