#!/usr/bin/env python3
"""Answers every HTTP request on one address with the true UTC time in a Date header.

Used by the silent-mode end-to-end test as the stand-in for the time sources: one for all three,
or one for each with a clock of its own.
"""
import argparse
import email.utils
import pathlib
import socketserver
import ssl
import time

HEAD_LIMIT_BYTES = 8192


class DateAnswer(socketserver.StreamRequestHandler):
    def handle(self):
        request_line = self.rfile.readline(HEAD_LIMIT_BYTES)
        while self.rfile.readline(HEAD_LIMIT_BYTES) not in (b"\r\n", b"\n", b""):
            pass
        # The Date header holds the true time of the pause's middle, where a client that
        # times the whole exchange puts it.
        pause = self.pause_seconds()
        time.sleep(pause / 2)
        ahead_ms = getattr(self.server, "ahead_ms", 0.0)
        date = email.utils.formatdate(time.time() + ahead_ms / 1000, usegmt=True)
        time.sleep(pause / 2)
        body = b"ok"
        head = (
            "HTTP/1.0 200 OK\r\n"
            f"Date: {date}\r\n"
            "Content-Type: text/plain\r\n"
            f"Content-Length: {len(body)}\r\n"
            "\r\n"
        )
        self.wfile.write(head.encode("ascii") + body)
        with open(self.server.request_log, "a", encoding="utf-8") as log:
            log.write(f"{time.time():.3f} {request_line.decode('latin-1').strip()}\n")

    def pause_seconds(self):
        """Seconds between reading a request and answering it."""
        return self.server.answer_delay


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--ahead-ms", type=float, default=0.0, help="how far its clock is ahead")
    parser.add_argument("--delay", type=float, default=0.0, help="seconds before listening")
    parser.add_argument(
        "--answer-delay", type=float, default=0.0, help="seconds between a request and its answer"
    )
    parser.add_argument("--tls-cert", help="certificate chain (PEM): speak TLS")
    parser.add_argument("--tls-key", help="its private key (PEM)")
    parser.add_argument("--log", required=True, help="one line per request served")
    parser.add_argument("--ready", required=True, help="file created once listening")
    args = parser.parse_args()

    time.sleep(args.delay)
    socketserver.TCPServer.allow_reuse_address = True
    with socketserver.TCPServer((args.address, args.port), DateAnswer) as server:
        server.request_log = args.log
        server.answer_delay = args.answer_delay
        server.ahead_ms = args.ahead_ms
        if args.tls_cert:
            # The handshake runs in the accept loop: one client at a time, as for plain HTTP.
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(args.tls_cert, args.tls_key)
            server.socket = context.wrap_socket(server.socket, server_side=True)
        pathlib.Path(args.ready).touch()
        server.serve_forever()


if __name__ == "__main__":
    main()
