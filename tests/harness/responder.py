"""A small DNS server of our own for the namespace tests: it answers from a
table of handlers, so a test can send exactly the answer it needs, in the
letter case it needs, or a malformed one on purpose. Standard library only."""

import socket
import struct
import threading

TYPE_A, TYPE_CNAME, TYPE_PTR = 1, 5, 12
CLASS_IN = 1


def encode_name(name):
    """A name as DNS labels; `name` is text or a list of byte labels."""
    labels = name if isinstance(name, list) else [part.encode() for part in name.split(".") if part]
    return b"".join(bytes([len(label)]) + label for label in labels) + b"\0"


def header(query_id, rcode=0, qd=1, an=0, ns=0, ar=0, flags=0x8180):
    return struct.pack("!HHHHHH", query_id, flags | rcode, qd, an, ns, ar)


def record(owner, rtype, rdata, ttl=60):
    return owner + struct.pack("!HHIH", rtype, CLASS_IN, ttl, len(rdata)) + rdata


class Query:
    def __init__(self, packet):
        self.packet = packet
        self.id = struct.unpack("!H", packet[:2])[0]
        labels, offset = [], 12
        while packet[offset] != 0:
            length = packet[offset]
            labels.append(packet[offset + 1:offset + 1 + length])
            offset += 1 + length
        self.name = b".".join(labels).decode("latin-1")
        self.qtype = struct.unpack("!H", packet[offset + 1:offset + 3])[0]
        self.question = packet[12:offset + 5]  # the name, type and class as sent

    def answer(self, records=(), rcode=0):
        """A reply that echoes the question and carries `records` (each a
        (type, rdata) pair owned by the question's name, or bytes made by
        record())."""
        body = b""
        for entry in records:
            body += entry if isinstance(entry, bytes) else record(b"\xc0\x0c", entry[0], entry[1])
        return header(self.id, rcode, an=len(records)) + self.question + body


UDP_LIMIT = 512  # what a server sends over UDP without EDNS


def truncated(reply):
    """The reply cut to its question with the TC bit set: "ask again over TCP"."""
    query_id, flags, qd = struct.unpack("!HHH", reply[:6])
    offset = 12
    while reply[offset] != 0:
        offset += 1 + reply[offset]
    return struct.pack("!HHHHHH", query_id, flags | 0x0200, qd, 0, 0, 0) + reply[12:offset + 5]


class Responder:
    """Serves UDP port 53 of `address` from a thread. `handler(query)` returns
    the packets to send back (none: the query goes unanswered). Every query
    received is kept in `queries`. The socket is bound before the
    constructor returns, so the responder is ready the moment it exists:
    a query sent before its thread runs waits in the socket. With `tcp`,
    TCP port 53 answers too, and a reply over 512 bytes goes over UDP
    truncated (TC set), as a real server sends a long answer."""

    def __init__(self, address, handler, tcp=False):
        self.queries = []
        self._handler = handler
        family = socket.AF_INET6 if ":" in address else socket.AF_INET
        self._socket = socket.socket(family, socket.SOCK_DGRAM)
        self._socket.bind((address, 53))
        self.address = address
        self._socket.settimeout(0.05)
        self._stop = threading.Event()
        self._threads = [threading.Thread(target=self._serve, daemon=True)]
        self._tcp = None
        if tcp:
            self._tcp = socket.socket(family, socket.SOCK_STREAM)
            self._tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            self._tcp.bind((address, 53))
            self._tcp.listen(4)
            self._tcp.settimeout(0.05)
            self._threads.append(threading.Thread(target=self._serve_tcp, daemon=True))

    def __enter__(self):
        for thread in self._threads:
            thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        for thread in self._threads:
            thread.join()
        self._socket.close()
        if self._tcp:
            self._tcp.close()

    def _serve_tcp(self):
        while not self._stop.is_set():
            try:
                connection, _ = self._tcp.accept()
            except socket.timeout:
                continue
            with connection:
                connection.settimeout(5)
                try:
                    length = struct.unpack("!H", connection.recv(2, socket.MSG_WAITALL))[0]
                    query = Query(connection.recv(length, socket.MSG_WAITALL))
                except (OSError, IndexError, struct.error):
                    continue
                self.queries.append(query)
                for reply in self._handler(query) or []:
                    connection.sendall(struct.pack("!H", len(reply)) + reply)

    def _serve(self):
        while not self._stop.is_set():
            try:
                packet, sender = self._socket.recvfrom(4096)
            except socket.timeout:
                continue
            try:
                query = Query(packet)
            except (IndexError, struct.error):
                continue
            self.queries.append(query)
            for reply in self._handler(query) or []:
                if self._tcp and len(reply) > UDP_LIMIT:
                    reply = truncated(reply)
                self._socket.sendto(reply, sender)

    def ptr_queries(self):
        return [q for q in self.queries if q.qtype == TYPE_PTR]


def host_table(hosts, ptr):
    """A handler: A records from `hosts` (name -> dotted address), PTR answers
    from `ptr` (query name, lower case -> function(query) -> packets)."""

    def handle(query):
        if query.qtype == TYPE_A and query.name.lower() in hosts:
            address = socket.inet_aton(hosts[query.name.lower()])
            return [query.answer([(TYPE_A, address)])]
        if query.qtype == TYPE_PTR and query.name.lower() in ptr:
            return ptr[query.name.lower()](query)
        return [query.answer(rcode=3)]  # name error

    return handle


def ptr_names(*names):
    """PTR answers naming `names`, in this order and letter case."""
    return lambda query: [query.answer([(TYPE_PTR, encode_name(name)) for name in names])]
