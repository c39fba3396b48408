#!/usr/bin/env python3
"""Date server for the windowed end-to-end tests: the silent tests' answer, with a script.

--later-delay S   the first request is answered at once, every later one after S seconds
--silent          reads every request and never answers (the connection stays open)
"""
import argparse
import pathlib
import socketserver
import sys
import threading
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from silent_date_server import DateAnswer  # noqa: E402

SILENT_HOLD_SECONDS = 600


class ScriptedAnswer(DateAnswer):
    def handle(self):
        self.index = self.server.take_index()
        if self.server.silent:
            request_line = self.rfile.readline(8192)
            with open(self.server.request_log, "a", encoding="utf-8") as log:
                log.write(f"{time.time():.3f} {request_line.decode('latin-1').strip()} (held)\n")
            time.sleep(SILENT_HOLD_SECONDS)
            return
        super().handle()

    def pause_seconds(self):
        return self.server.later_delay if self.index > 0 else 0.0


class ScriptedServer(socketserver.ThreadingMixIn, socketserver.TCPServer):
    allow_reuse_address = True
    daemon_threads = True

    def __init__(self, address, later_delay, silent, request_log):
        super().__init__(address, ScriptedAnswer)
        self.later_delay = later_delay
        self.silent = silent
        self.request_log = request_log
        self._lock = threading.Lock()
        self._next = 0

    def take_index(self):
        with self._lock:
            index = self._next
            self._next += 1
            return index


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--later-delay", type=float, default=0.0)
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--log", required=True, help="one line per request answered")
    parser.add_argument("--ready", required=True, help="file created once listening")
    args = parser.parse_args()

    with ScriptedServer(("127.0.0.1", args.port), args.later_delay, args.silent,
                        args.log) as server:
        pathlib.Path(args.ready).touch()
        server.serve_forever()


if __name__ == "__main__":
    main()
