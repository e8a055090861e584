"""A DNS server's log file, as the test servers' log classes read it."""


class ServerLog:
    def __init__(self, path):
        self.path = path

    def text(self):
        """The whole log; empty while the server has written none."""
        try:
            with open(self.path, errors="replace") as log:
                return log.read()
        except FileNotFoundError:
            return ""
