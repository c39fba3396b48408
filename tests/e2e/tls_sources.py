#!/usr/bin/env python3
"""Time sources for the HTTPS tests, all answering with the true time in a Date header over
HTTP/1.1 (kept alive), and a proxy. Arguments, any number of each:

  --tls ADDRESS:CERT:KEY   HTTPS on ADDRESS:443 with that certificate
  --plain ADDRESS          plain HTTP on ADDRESS:80
  --proxy ADDRESS:PORT     a proxy for CONNECT and absolute-URL GETs; --map NAME=ADDRESS names
                           the hosts only it can reach
Every request is logged to --log as "ADDRESS REQUEST-BYTES" (the bytes as a Python literal),
every tunnel as "proxy CONNECT HOST:PORT". --ready FILE is made once all listen.
"""
import argparse
import http.server
import pathlib
import socket
import ssl
import threading
import urllib.parse


def log(line):
    with open(ARGS.log, "a", encoding="utf-8") as out:
        out.write(line + "\n")


class DateAnswer(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_HEAD(self):
        raw = self.requestline + "\r\n" + "".join(f"{k}: {v}\r\n" for k, v in self.headers.items())
        log(f"{self.server.server_address[0]} {raw + chr(13) + chr(10)!r}")
        self.send_response(200)  # with Server and Date headers
        self.send_header("Content-Length", "0")
        self.end_headers()

    do_GET = do_HEAD

    def log_message(self, *args):
        pass


def relay(source, sink):
    try:
        while data := source.recv(65536):
            sink.sendall(data)
    except OSError:
        pass
    sink.close()


class Proxy(http.server.BaseHTTPRequestHandler):
    def do_CONNECT(self):
        log(f"proxy CONNECT {self.path}")
        host, port = self.path.rsplit(":", 1)
        self.tunnel((host, int(port)), b"HTTP/1.1 200 Connection established\r\n\r\n")

    def do_GET(self):  # an absolute URL: the request goes on as it came
        host = urllib.parse.urlsplit(self.path).hostname
        raw = self.requestline + "\r\n" + "".join(f"{k}: {v}\r\n" for k, v in self.headers.items())
        self.tunnel((host, 80), raw.encode("latin-1") + b"\r\n", to_source=True)

    do_HEAD = do_GET
    log_message = DateAnswer.log_message

    def tunnel(self, target, first, to_source=False):
        try:
            upstream = socket.create_connection((MAP.get(target[0], target[0]), target[1]), 5)
        except OSError:
            self.send_error(502)
            return
        (upstream if to_source else self.connection).sendall(first)
        threading.Thread(target=relay, args=(upstream, self.connection), daemon=True).start()
        relay(self.connection, upstream)
        self.close_connection = True


def serve(handler, address, port, context=None):
    server = http.server.ThreadingHTTPServer((address, port), handler)
    if context:
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()


parser = argparse.ArgumentParser()
for option in ("--tls", "--plain", "--proxy", "--map"):
    parser.add_argument(option, action="append", default=[])
parser.add_argument("--log", required=True)
parser.add_argument("--ready", required=True)
ARGS = parser.parse_args()
MAP = dict(item.split("=") for item in ARGS.map)
for item in ARGS.tls:
    address, cert, key = item.split(":")
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    serve(DateAnswer, address, 443, context)
for address in ARGS.plain:
    serve(DateAnswer, address, 80)
for item in ARGS.proxy:
    address, port = item.split(":")
    serve(Proxy, address, int(port))
pathlib.Path(ARGS.ready).touch()
threading.Event().wait()
