#!/usr/bin/env python3
"""The true time in a Date header over HTTP/1.1, kept alive: HTTPS on ADDRESS:443 (--tls
ADDRESS:CERT:KEY), plain on ADDRESS:80 (--plain), a proxy (--proxy ADDRESS:PORT) that alone
reaches --map NAME=ADDRESS, one that asks every request for credentials (--credentials-proxy
ADDRESS:PORT); sources on a --moved ADDRESS answer 301 to a host that does not exist. Logs
"ADDRESS REQUEST-BYTES", "ADDRESS connection served N" as a connection ends, "proxy CONNECT
HOST:PORT" and "credentials proxy METHOD TARGET"."""
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

def request_bytes(handler):
    fields = "".join(f"{name}: {value}\r\n" for name, value in handler.headers.items())
    return f"{handler.requestline}\r\n{fields}\r\n"

class DateAnswer(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_HEAD(self):
        log(f"{self.server.server_address[0]} {request_bytes(self)!r}")
        self.served = getattr(self, "served", 0) + 1
        moved = self.server.server_address[0] in ARGS.moved
        self.send_response(301 if moved else 200)  # with Server and Date headers
        if moved:
            self.send_header("Location", "https://nowhere.test/")
        self.send_header("Content-Length", "0")
        self.end_headers()

    do_GET = do_HEAD

    def finish(self):
        super().finish()
        log(f"{self.server.server_address[0]} connection served {getattr(self, 'served', 0)}")

    def log_message(self, *args):  # quiet
        pass

def relay(source, sink):
    try:
        while data := source.recv(65536):
            sink.sendall(data)
    except OSError:
        pass
    sink.close()

class Proxy(DateAnswer):
    protocol_version = "HTTP/1.0"

    def do_CONNECT(self):
        log(f"proxy CONNECT {self.path}")
        host, port = self.path.rsplit(":", 1)
        self.tunnel(host, int(port), b"HTTP/1.1 200 Connection established\r\n\r\n", False)

    def do_HEAD(self):  # an absolute URL: the request goes on as it came
        url = urllib.parse.urlsplit(self.path)
        self.tunnel(url.hostname, url.port or 80, request_bytes(self).encode("latin-1"), True)

    do_GET = do_HEAD

    def tunnel(self, host, port, first, to_source):
        try:
            upstream = socket.create_connection((MAP.get(host, host), port), 5)
        except OSError:
            self.send_error(502)
            return
        (upstream if to_source else self.connection).sendall(first)
        threading.Thread(target=relay, args=(upstream, self.connection), daemon=True).start()
        relay(self.connection, upstream)
        self.close_connection = True

class CredentialsProxy(DateAnswer):
    def do_HEAD(self):
        log(f"credentials proxy {self.command} {self.path}")
        self.send_error(407)  # with a Date

    do_GET = do_CONNECT = do_HEAD

def serve(handler, address, port, context=None):
    server = http.server.ThreadingHTTPServer((address, port), handler)
    if context:
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()

parser = argparse.ArgumentParser()
for option in ("--tls", "--plain", "--proxy", "--credentials-proxy", "--map", "--moved"):
    parser.add_argument(option, action="append", default=[])
parser.add_argument("--log", required=True)
parser.add_argument("--ready", required=True)
ARGS = parser.parse_args()
MAP = dict(item.split("=") for item in ARGS.map)
for address, cert, key in (item.split(":") for item in ARGS.tls):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    serve(DateAnswer, address, 443, context)
for address in ARGS.plain:
    serve(DateAnswer, address, 80)
for address, port in (item.split(":") for item in ARGS.proxy):
    serve(Proxy, address, int(port))
for address, port in (item.split(":") for item in ARGS.credentials_proxy):
    serve(CredentialsProxy, address, int(port))
pathlib.Path(ARGS.ready).touch()
threading.Event().wait()
