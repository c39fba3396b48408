#!/usr/bin/env python3
"""A loopback time source whose clock runs a known offset ahead, and a round-trip probe.

serve:      answers every HTTP request with a Date header formatted from time.time() plus the
            offset in seconds read from --offset-file at that request, so the benchmark can give
            each trial a new offset without restarting the server. HTTP/1.0 requests (the
            program's GET) get one answer and the connection is closed; HTTP/1.1 requests
            (htpdate's HEAD, keep-alive) are answered on the same connection for as long as the
            client sends, since htpdate asks several times over one connection.
            --latency MS stands for a path MS long each way: after reading a request the server
            waits MS, takes the Date stamp, then waits MS more before it sends the answer, for
            each request on a keep-alive connection too. --log appends one line per request:
            the time it was read, the time its answer was sent (both seconds since the epoch),
            the client's port and the request line.
round-trip: times whole HTTP/1.0 exchanges (connect, request, answer read to the close) against
            the server and prints the median and the worst in milliseconds (a server started
            with --latency adds its waits, as a path would).
"""
import argparse
import email.utils
import pathlib
import socket
import socketserver
import statistics
import sys
import threading
import time

HEAD_LIMIT_BYTES = 8192
BODY = b"ok\n"


def read_offset_seconds(path):
    try:
        return float(pathlib.Path(path).read_text(encoding="ascii").strip() or 0)
    except (OSError, ValueError):
        return 0.0


class OffsetDateAnswer(socketserver.StreamRequestHandler):
    def setup(self):
        super().setup()
        # One write per answer, sent at once: no waiting for the previous answer's ACK.
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def handle(self):
        while self.answer_one_request():
            pass

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

        # The request's way here, then the stamp, then the answer's way back. The request counts
        # as read when its first line is: its headers follow in the same segment.
        latency_s = self.server.latency_ms / 1000
        if latency_s:
            time.sleep(max(0.0, read_at + latency_s - time.time()))
        # The Date header truncates the source's clock to the whole second, as real servers do.
        stamp = time.time() + read_offset_seconds(self.server.offset_file)
        if latency_s:
            time.sleep(latency_s)
        head = (
            f"{'HTTP/1.1' if version == 'HTTP/1.1' else 'HTTP/1.0'} 200 OK\r\n"
            f"Date: {email.utils.formatdate(stamp, usegmt=True)}\r\n"
            "Content-Type: text/plain\r\n"
            f"Content-Length: {len(BODY)}\r\n"
            f"Connection: {'keep-alive' if keep_alive else 'close'}\r\n"
            "\r\n"
        ).encode("ascii")
        self.wfile.write(head if method == "HEAD" else head + BODY)
        if self.server.request_log:
            answered_at = time.time()
            with self.server.log_lock, open(self.server.request_log, "a", encoding="utf-8") as log:
                log.write(f"{read_at:.6f} {answered_at:.6f} {self.client_address[1]} "
                          f"{request_line.decode('latin-1').strip()}\n")
        return keep_alive


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


def serve(args):
    with Server(("127.0.0.1", args.port), OffsetDateAnswer) as server:
        server.offset_file = args.offset_file
        server.request_log = args.log
        server.log_lock = threading.Lock()
        server.latency_ms = args.latency
        pathlib.Path(args.ready).touch()
        server.serve_forever()


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
    serve_parser.add_argument("--port", type=int, default=80)
    serve_parser.add_argument("--offset-file", required=True, help="seconds ahead, one number")
    serve_parser.add_argument("--ready", required=True, help="file created once listening")
    serve_parser.add_argument("--log", help="one line per request served")
    serve_parser.add_argument("--latency", type=float, default=0.0, metavar="MS",
                              help="delay each way, in milliseconds (default 0)")
    probe_parser = commands.add_parser("round-trip")
    probe_parser.add_argument("--port", type=int, default=80)
    probe_parser.add_argument("--count", type=int, default=50)
    args = parser.parse_args()
    return serve(args) if args.command == "serve" else round_trip(args)


if __name__ == "__main__":
    sys.exit(main())
