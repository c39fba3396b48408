#!/usr/bin/env python3
"""A loopback time source whose clock runs a known offset ahead, with a real path's faults.

serve:      answers every HTTP request with a Date header formatted from time.time() plus the
            offset in seconds read from --offset-file at that request, so the benchmark can give
            each trial a new offset without restarting the server. HTTP/1.0 requests (the
            program's first GET) get one answer and the connection is closed; HTTP/1.1 requests
            (keep-alive HEAD, as htpdate and the program's narrowing send) are answered on the
            same connection, read up to the end of their headers, for as long as the client
            sends. With --tls-cert and --tls-key it speaks TLS (port 443 for HTTPS).

            Faults, each independent of the others and all combinable:
            --latency MS        a path MS long each way: after reading a request the server waits
                                MS, takes the Date stamp, then waits MS more before it answers.
            --jitter MS         on top of that, each request's way in and way back each wait a
                                further time drawn independently, uniform in [0, MS].
            --stall-ms MS --stall-every N [--stall-regularly]
                                a request waits MS more before it is read, with probability 1/N,
                                drawn for each request on its own (see stall_ms below for why not
                                every N-th); with --stall-regularly, every N-th request the
                                server reads, counted over the whole run.
            --machines N --machine-spread-ms MS, or --machine-offsets-ms A,B,...
                                several machines behind the one address, each with its own clock
                                this many ms ahead of the offset; every new connection meets one
                                of them at random, and a kept-alive connection keeps it.
            --late-date-ms MS   each machine caches its Date string and refreshes it every MS at
                                a phase of its own drawn at start, so the Date turns 0 to MS late.

            --log appends one line per request answered, fields separated by spaces:
              read stamp answered scheme connection machine machine_ms late_ms in_ms out_ms
              port request-line
            read, stamp, answered: seconds since the epoch when the request's first line was read,
            when the source read its clock for the Date (before any caching delay), and when the
            answer was sent; scheme: http or https; connection: the server's serial number of the
            TCP connection (per scheme); machine: the index of the machine that answered;
            machine_ms: its clock's ms ahead of the offset; late_ms: how much older than the stamp
            the Date's clock reading was (the cache's age); in_ms, out_ms: the wait before the
            stamp (latency, jitter and any stall) and after it; port: the client's port.

blackhole:  a listener whose accept queue is full, so that the system drops further SYNs to that
            port without an answer, as a network that silently drops the port does; exits only
            when killed.
tls-check:  inside the benchmark's namespace, checks that the TLS source on port 443 is trusted
            through the system bundle (the file Wine's crypt32 reads) for each host name given,
            and answers two keep-alive HEAD requests over one connection; and that a name its
            certificate does not carry is refused.
round-trip: times whole HTTP/1.0 exchanges (connect, request, answer read to the close) against
            the server and prints the median and the worst in milliseconds (a server started
            with delays adds them, as a path would).
"""
import argparse
import email.utils
import itertools
import pathlib
import random
import signal
import socket
import socketserver
import ssl
import statistics
import sys
import threading
import time

HEAD_LIMIT_BYTES = 8192
BODY = b"ok\n"
BLACKHOLE_PROBE_S = 0.3
SYSTEM_BUNDLE = "/etc/ssl/certs/ca-certificates.crt"


def read_offset_seconds(path):
    try:
        return float(pathlib.Path(path).read_text(encoding="ascii").strip() or 0)
    except (OSError, ValueError):
        return 0.0


def sleep_until(deadline):
    remaining = deadline - time.time()
    if remaining > 0:
        time.sleep(remaining)


class Machine:
    """One server behind the address: its clock's lead over the offset and its Date cache."""

    def __init__(self, index, ahead_ms, late_date_ms):
        self.index = index
        self.ahead_ms = ahead_ms
        self.refresh_s = late_date_ms / 1000
        # A cache refreshed on a timer started at some moment of its own.
        self.refresh_phase_s = random.uniform(0, self.refresh_s)

    def clock_reading_age_s(self, now):
        """How old the cached clock reading is at now: 0 without a cache."""
        if not self.refresh_s:
            return 0.0
        return (now - self.refresh_phase_s) % self.refresh_s


class OffsetDateAnswer(socketserver.StreamRequestHandler):
    def setup(self):
        # One write per answer, sent at once: no waiting for the previous answer's ACK.
        self.request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        if self.server.tls_context:
            # The handshake runs here, in the connection's own thread, not in the accept loop.
            self.request = self.server.tls_context.wrap_socket(self.request, server_side=True)
        super().setup()
        self.connection_number = next(self.server.connection_numbers)
        self.machine = random.choice(self.server.machines)

    def handle(self):
        while self.answer_one_request():
            pass

    def finish(self):
        super().finish()
        if self.server.tls_context:
            # The server closes the socket it accepted, which the TLS one has taken over.
            self.request.close()

    def stall_ms(self):
        # Drawn for each request on its own, not every N-th: a client that sends a fixed number
        # of requests per run would otherwise meet the stall at the same places in every run
        # (never at its first answer, say), and the figures would hide what a stall there does.
        # Regularly, the count runs on over every client and run, so the stalls still fall on
        # other positions of each run, but never more than one request in N.
        every = self.server.stall_every
        if not every:
            return 0.0
        if self.server.stall_regularly:
            with self.server.log_lock:
                self.server.requests_read += 1
                return self.server.stall_ms if self.server.requests_read % every == 0 else 0.0
        return self.server.stall_ms if random.randrange(every) == 0 else 0.0

    def answer_one_request(self):
        """Answers one request; true when the connection stays open for another."""
        request_line = self.rfile.readline(HEAD_LIMIT_BYTES)
        if not request_line.strip():
            return False
        read_at = time.time()
        connection_header = ""
        while True:
            line = self.rfile.readline(HEAD_LIMIT_BYTES)
            if line in (b"\r\n", b"\n", b""):
                break
            name, _, value = line.decode("latin-1").partition(":")
            if name.strip().lower() == "connection":
                connection_header = value.strip().lower()
        parts = request_line.decode("latin-1").split()
        method = parts[0] if parts else ""
        version = parts[2] if len(parts) > 2 else "HTTP/1.0"
        keep_alive = version == "HTTP/1.1" and connection_header != "close"

        # The request's way here (and any queue it waited in), then the stamp, then the answer's
        # way back. The request counts as read when its first line is: its headers follow in the
        # same segment.
        server = self.server
        in_ms = server.latency_ms + random.uniform(0, server.jitter_ms) + self.stall_ms()
        out_ms = server.latency_ms + random.uniform(0, server.jitter_ms)
        sleep_until(read_at + in_ms / 1000)
        stamped_at = time.time()
        age_s = self.machine.clock_reading_age_s(stamped_at)
        stamp = (stamped_at - age_s + read_offset_seconds(server.offset_file)
                 + self.machine.ahead_ms / 1000)
        sleep_until(stamped_at + out_ms / 1000)
        # The Date header truncates the source's clock to the whole second, as real servers do.
        head = (
            f"{'HTTP/1.1' if version == 'HTTP/1.1' else 'HTTP/1.0'} 200 OK\r\n"
            f"Date: {email.utils.formatdate(stamp, usegmt=True)}\r\n"
            "Content-Type: text/plain\r\n"
            f"Content-Length: {len(BODY)}\r\n"
            f"Connection: {'keep-alive' if keep_alive else 'close'}\r\n"
            "\r\n"
        ).encode("ascii")
        self.wfile.write(head if method == "HEAD" else head + BODY)
        if server.request_log:
            answered_at = time.time()
            fields = [
                f"{read_at:.6f}", f"{stamped_at:.6f}", f"{answered_at:.6f}", server.scheme,
                str(self.connection_number), str(self.machine.index),
                f"{self.machine.ahead_ms:g}", f"{age_s * 1000:.3f}", f"{in_ms:.3f}",
                f"{out_ms:.3f}", str(self.client_address[1]),
                request_line.decode("latin-1").strip(),
            ]
            with server.log_lock, open(server.request_log, "a", encoding="utf-8") as log:
                log.write(" ".join(fields) + "\n")
        return keep_alive


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A client that gives up mid-handshake or mid-request is not the server's fault, and the
        # benchmark reads only the request log.
        pass


def machine_offsets_ms(args):
    if args.machine_offsets_ms:
        return [float(v) for v in args.machine_offsets_ms.split(",")]
    if args.machines < 2:
        return [0.0] * max(args.machines, 1)
    step = args.machine_spread_ms / (args.machines - 1)
    return [i * step for i in range(args.machines)]


def serve(args):
    with Server((args.address, args.port), OffsetDateAnswer) as server:
        server.offset_file = args.offset_file
        server.request_log = args.log
        server.log_lock = threading.Lock()
        server.latency_ms = args.latency
        server.jitter_ms = args.jitter
        server.stall_ms = args.stall_ms
        server.stall_every = args.stall_every if args.stall_ms else 0
        server.stall_regularly = args.stall_regularly
        server.requests_read = 0
        server.machines = [Machine(i, ms, args.late_date_ms)
                           for i, ms in enumerate(machine_offsets_ms(args))]
        server.connection_numbers = itertools.count(1)
        server.tls_context = None
        server.scheme = "http"
        if args.tls_cert:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.minimum_version = ssl.TLSVersion.TLSv1_2
            context.load_cert_chain(args.tls_cert, args.tls_key)
            server.tls_context = context
            server.scheme = "https"
        pathlib.Path(args.ready).touch()
        server.serve_forever()


def blackhole(args):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((args.address, args.port))
    # Linux queues one connection past a backlog of 0 and then drops every further SYN (rather
    # than refusing it) while nobody accepts: the filler takes that one place.
    listener.listen(0)
    target = "127.0.0.1" if args.address in ("", "0.0.0.0") else args.address
    filler = socket.create_connection((target, args.port), timeout=BLACKHOLE_PROBE_S)
    probe = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    probe.settimeout(BLACKHOLE_PROBE_S)
    try:
        probe.connect((target, args.port))
        sys.exit(f"a connection to port {args.port} was still completed")
    except (socket.timeout, TimeoutError):
        pass
    finally:
        probe.close()
    pathlib.Path(args.ready).touch()
    signal.sigwait({signal.SIGTERM, signal.SIGINT})
    filler.close()
    listener.close()


def head_over_tls(host, name, requests):
    """The Date headers of requests keep-alive HEADs to host:443 over one connection, verified
    for name through the system bundle."""
    context = ssl.create_default_context(cafile=SYSTEM_BUNDLE)
    dates = []
    with socket.create_connection((host, 443), timeout=5) as raw:
        with context.wrap_socket(raw, server_hostname=name) as tls:
            reader = tls.makefile("rb")
            for _ in range(requests):
                tls.sendall(f"HEAD / HTTP/1.1\r\nHost: {name}\r\n"
                            "Connection: keep-alive\r\n\r\n".encode("ascii"))
                for line in iter(reader.readline, b"\r\n"):
                    if not line:
                        raise ConnectionError("the connection closed after an answer")
                    if line.lower().startswith(b"date:"):
                        dates.append(line.decode("ascii").strip())
            return tls.version(), dates


def tls_check(args):
    for host in args.hosts:
        version, dates = head_over_tls(host, host, 2)
        if len(dates) != 2:
            sys.exit(f"{host}: {len(dates)} Date headers in two answers")
        print(f"https://{host}/: {version}, certificate verified through {SYSTEM_BUNDLE}, "
              f"two answers over one connection ({dates[-1]})")
    try:
        head_over_tls(args.hosts[0], "name-not-in-the-certificate.example", 1)
        sys.exit("a name the certificate does not carry was accepted")
    except ssl.SSLCertVerificationError as refusal:
        print(f"a name not in the certificate is refused: {refusal.verify_message}")


def round_trip(args):
    request = b"GET / HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"
    times_ms = []
    for _ in range(args.count):
        start = time.perf_counter()
        with socket.create_connection(("127.0.0.1", args.port)) as client:
            client.sendall(request)
            while client.recv(4096):
                pass
        times_ms.append((time.perf_counter() - start) * 1000)
    print(f"{statistics.median(times_ms):.3f} {max(times_ms):.3f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    serve_parser = commands.add_parser("serve")
    serve_parser.add_argument("--address", default="127.0.0.1")
    serve_parser.add_argument("--port", type=int, default=80)
    serve_parser.add_argument("--offset-file", required=True, help="seconds ahead, one number")
    serve_parser.add_argument("--ready", required=True, help="file created once listening")
    serve_parser.add_argument("--log", help="one line per request served")
    serve_parser.add_argument("--tls-cert", help="certificate chain (PEM): speak TLS")
    serve_parser.add_argument("--tls-key", help="its private key (PEM)")
    serve_parser.add_argument("--latency", type=float, default=0.0, metavar="MS",
                              help="delay each way, in milliseconds (default 0)")
    serve_parser.add_argument("--jitter", type=float, default=0.0, metavar="MS",
                              help="further delay each way, uniform in [0, MS] per request")
    serve_parser.add_argument("--stall-ms", type=float, default=0.0, metavar="MS",
                              help="wait before reading a stalled request")
    serve_parser.add_argument("--stall-every", type=int, default=4, metavar="N",
                              help="stall a request with probability 1/N (default 4)")
    serve_parser.add_argument("--stall-regularly", action="store_true",
                              help="stall every N-th request read instead of drawing")
    serve_parser.add_argument("--machines", type=int, default=1, metavar="N",
                              help="machines behind the address (default 1)")
    serve_parser.add_argument("--machine-spread-ms", type=float, default=0.0, metavar="MS",
                              help="their clocks evenly spread over [0, MS] ahead")
    serve_parser.add_argument("--machine-offsets-ms", metavar="A,B,...",
                              help="each machine's clock this many ms ahead (overrides the two "
                                   "above)")
    serve_parser.add_argument("--late-date-ms", type=float, default=0.0, metavar="MS",
                              help="each machine refreshes its cached Date every MS")
    blackhole_parser = commands.add_parser("blackhole")
    blackhole_parser.add_argument("--address", default="0.0.0.0")
    blackhole_parser.add_argument("--port", type=int, default=443)
    blackhole_parser.add_argument("--ready", required=True, help="file created once dropping")
    check_parser = commands.add_parser("tls-check")
    check_parser.add_argument("hosts", nargs="+")
    probe_parser = commands.add_parser("round-trip")
    probe_parser.add_argument("--port", type=int, default=80)
    probe_parser.add_argument("--count", type=int, default=50)
    args = parser.parse_args()
    if args.command == "serve":
        if bool(args.tls_cert) != bool(args.tls_key):
            parser.error("--tls-cert and --tls-key go together")
        return serve(args)
    if args.command == "blackhole":
        signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM, signal.SIGINT})
        return blackhole(args)
    if args.command == "tls-check":
        return tls_check(args)
    return round_trip(args)


if __name__ == "__main__":
    sys.exit(main())
