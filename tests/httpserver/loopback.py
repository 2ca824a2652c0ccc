#!/usr/bin/env python3
"""Loopback HTTP server for tests: stands in for the maker's server on 127.0.0.1.

  loopback.py run [--root DIR] [--lifetime S] -- COMMAND [ARGS...]
      Starts the server on a free port, runs COMMAND with
        PONDREL_HTTP_PORT      the server's port
        PONDREL_HTTP_LOG       directory of the recorded requests
        PONDREL_HTTP_DEAD_PORT a port on which nothing listens
      in its environment, stops the server when COMMAND ends and exits with
      COMMAND's exit code.  COMMAND is killed if this process dies.

  loopback.py serve [--root DIR] [--port-file F] [--log-dir D] [--lifetime S]
      Only serves (for trying things by hand); writes the port to F.

Answers, by path (the prefixes compose, e.g. /slow/2500/bytes/9000):
  /status/<code>[/...]   that status, a short text body ("status <code>")
  /bytes/<n>[/...]       200, n bytes of the test pattern (binary, holds zeros):
                         byte i = (i * 13 + (i >> 8)) & 0xFF
  /files/<relpath>       200 with the file under --root, else 404
  /files/<dir>/?template=<t>&skin=<s>
                         the server's window templates: the file
                         <dir>/<t>/<s>.xml under --root, else 404
  /files/<dir>/[?...]    a directory's index.html (the panels' content and
                         advertisement pages), served as text/html
  /version/<text>        200, the version check's reply (text/xml):
                         <?xml version="1.0"?><pondrel><version>TEXT</version></pondrel>
                         with TEXT the percent-decoded segment (so
                         /version/57%0A names "57" and a line feed)
  /messages/<relpath>    200, the server-messages file: the file under
                         --root (else 404) as text/xml, each "{poll}" in it
                         replaced by how many times this path was asked
                         for (1 the first time), so every poll differs
  /slow/<ms>/<rest>      waits ms milliseconds, then answers <rest>
  /truncate/<n>/<rest>   announces <rest>'s full Content-Length, sends only
                         its first n body bytes and closes the connection
  /chunked/<rest>        <rest>'s body in chunked transfer coding
  /stall/<n>/<rest>      announces <rest>'s full Content-Length, sends only
                         its first n body bytes, then sends nothing more and
                         keeps the connection open (until the client closes
                         it, at most 300 s)
  /drip/<ms>/<rest>      announces <rest>'s full Content-Length, then sends
                         its body one byte every ms milliseconds (each read
                         of the client gets data long before a time-out;
                         the whole answer takes as long as its length says),
                         until it is sent or the client closes
  /endless               200 without Content-Length (ended by closing), the
                         test pattern repeated for ever: sent until the
                         client closes the connection
  anything else          200 "ok"
Apart from the window templates, the query string is ignored for the
choice of answer.  A connection that
opens with a TLS handshake (an https request) is recorded with the request
line "TLS-HANDSHAKE" and closed unanswered.

Each request is recorded before it is answered, as two files in the log
directory: NNNNNN.head (request line and headers as received, CRLF lines) and
NNNNNN.body (the body bytes).  The .body file is written first and the .head
file appears last, complete (written beside and renamed), so a reader that
sees the .head file may read both.
"""

import argparse
import ctypes
import http.server
import os
import signal
import socket
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse


def pattern(n):
    return bytes(((i * 13 + (i >> 8)) & 0xFF) for i in range(n))


class Answer:
    def __init__(self, status=200, body=b"ok", ctype="text/plain"):
        self.status = status
        self.body = body
        self.ctype = ctype
        self.delay_ms = 0
        self.truncate_at = None
        self.chunked = False
        self.stall_at = None
        self.drip_ms = None
        self.endless = False


class Recorder:
    def __init__(self, directory):
        self.directory = directory
        self.lock = threading.Lock()
        self.count = 0

    def record(self, head, body):
        with self.lock:
            self.count += 1
            n = self.count
        base = os.path.join(self.directory, "%06d" % n)
        with open(base + ".body", "wb") as f:
            f.write(body)
        with open(base + ".head.tmp", "wb") as f:
            f.write(head)
        os.replace(base + ".head.tmp", base + ".head")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "PondrelLoopback/1.0"
    # The headers and the body leave in separate writes: with Nagle's
    # algorithm the body would wait for the client's delayed acknowledgement
    # of the headers (about 40 ms on every request of a kept-alive connection).
    disable_nagle_algorithm = True

    def log_message(self, fmt, *args):
        pass

    def handle(self):
        try:
            first = self.connection.recv(1, socket.MSG_PEEK)
        except OSError:
            return
        if first == b"\x16":
            self.server.recorder.record(b"TLS-HANDSHAKE\r\n", b"")
            return
        super().handle()

    def _answer_for(self, segments, query=None):
        answer = None
        delay = 0
        truncate_at = None
        chunked = False
        stall_at = None
        drip_ms = None
        while answer is None:
            head = segments[0] if segments else ""
            try:
                if head == "status" and len(segments) >= 2:
                    code = int(segments[1])
                    answer = Answer(code, ("status %d" % code).encode())
                elif head == "bytes" and len(segments) >= 2:
                    answer = Answer(200, pattern(int(segments[1])), "application/octet-stream")
                elif head == "files" and len(segments) >= 2:
                    answer = self._file(segments[1:], query or {})
                elif head == "version" and len(segments) >= 2:
                    answer = Answer(200, ('<?xml version="1.0"?><pondrel><version>%s</version></pondrel>'
                                          % segments[1]).encode("utf-8"), "text/xml")
                elif head == "messages" and len(segments) >= 2:
                    answer = self._messages(segments[1:])
                elif head == "slow" and len(segments) >= 2:
                    delay += int(segments[1])
                    segments = segments[2:]
                elif head == "truncate" and len(segments) >= 2:
                    truncate_at = int(segments[1])
                    segments = segments[2:]
                elif head == "chunked":
                    chunked = True
                    segments = segments[1:]
                elif head == "stall" and len(segments) >= 2:
                    stall_at = int(segments[1])
                    segments = segments[2:]
                elif head == "drip" and len(segments) >= 2:
                    drip_ms = int(segments[1])
                    segments = segments[2:]
                elif head == "endless":
                    answer = Answer(200, b"", "application/octet-stream")
                    answer.endless = True
                else:
                    answer = Answer()
            except ValueError:
                answer = Answer(400, b"bad number")
        answer.delay_ms = delay
        answer.truncate_at = truncate_at
        answer.chunked = chunked
        answer.stall_at = stall_at
        answer.drip_ms = drip_ms
        return answer

    def _file(self, parts, query):
        root = self.server.root
        if not root:
            return Answer(404, b"no root")
        path = os.path.realpath(os.path.join(root, *parts))
        if os.path.isdir(path) and query.get("template") and query.get("skin"):
            path = os.path.realpath(os.path.join(path, query["template"][0], query["skin"][0] + ".xml"))
        elif os.path.isdir(path):
            path = os.path.join(path, "index.html")
        if not path.startswith(os.path.realpath(root) + os.sep) or not os.path.isfile(path):
            return Answer(404, b"not found")
        with open(path, "rb") as f:
            data = f.read()
        ctype = ("text/xml" if path.endswith(".xml") else
                 "text/html; charset=utf-8" if path.endswith(".html") else "application/octet-stream")
        return Answer(200, data, ctype)

    def _messages(self, parts):
        answer = self._file(parts, {})
        if answer.status != 200:
            return answer
        key = "/".join(parts)
        with self.server.polls_lock:
            self.server.polls[key] = self.server.polls.get(key, 0) + 1
            poll = self.server.polls[key]
        return Answer(200, answer.body.replace(b"{poll}", str(poll).encode()), "text/xml")

    def _handle(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        head = self.raw_requestline.rstrip(b"\r\n") + b"\r\n"
        for name, value in self.headers.items():
            head += ("%s: %s\r\n" % (name, value)).encode("latin-1")
        self.server.recorder.record(head, body)

        split = urllib.parse.urlsplit(self.path)
        segments = [urllib.parse.unquote(s) for s in split.path.split("/") if s]
        answer = self._answer_for(segments, urllib.parse.parse_qs(split.query))
        if answer.delay_ms:
            time.sleep(answer.delay_ms / 1000.0)

        if answer.endless:
            self._send_endless(answer)
            return

        self.send_response(answer.status)
        self.send_header("Content-Type", answer.ctype)
        no_body = answer.status in (204, 304) or self.command == "HEAD"
        if answer.chunked and not no_body:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", "0" if no_body else str(len(answer.body)))
        if answer.truncate_at is not None:
            self.send_header("Connection", "close")
        self.end_headers()
        if no_body:
            return
        data = answer.body
        if answer.chunked:
            out = b""
            for i in range(0, len(data), 1000):
                chunk = data[i:i + 1000]
                out += b"%x\r\n" % len(chunk) + chunk + b"\r\n"
            data = out + b"0\r\n\r\n"
        if answer.drip_ms is not None:
            try:
                for i in range(len(data)):
                    time.sleep(answer.drip_ms / 1000.0)
                    self.wfile.write(data[i:i + 1])
                    self.wfile.flush()
            except OSError:
                self.close_connection = True
            return
        if answer.stall_at is not None:
            self.wfile.write(data[:answer.stall_at])
            self.wfile.flush()
            self._hold_until_closed(300)
            return
        if answer.truncate_at is not None:
            self.wfile.write(data[:answer.truncate_at])
            self.wfile.flush()
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            return
        self.wfile.write(data)

    def _hold_until_closed(self, seconds):
        """Sends nothing more; returns when the client closes or after seconds."""
        self.close_connection = True
        deadline = time.monotonic() + seconds
        self.connection.settimeout(1.0)
        while time.monotonic() < deadline:
            try:
                if not self.connection.recv(4096):
                    return
            except socket.timeout:
                continue
            except OSError:
                return

    def _send_endless(self, answer):
        self.send_response(answer.status)
        self.send_header("Content-Type", answer.ctype)
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        block = pattern(65536)
        try:
            while True:
                self.wfile.write(block)
        except OSError:
            pass

    do_GET = do_POST = do_PUT = do_HEAD = do_DELETE = _handle


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_server(root, log_dir):
    server = Server(("127.0.0.1", 0), Handler)
    server.root = os.path.abspath(root) if root else None
    server.recorder = Recorder(log_dir)
    server.polls = {}
    server.polls_lock = threading.Lock()
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    return server


def die_with_parent():
    # The command ends when this process ends, however it ends.
    try:
        libc = ctypes.CDLL("libc.so.6", use_errno=True)
        libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG
    except OSError:
        pass


def cmd_run(args):
    command = args.command
    if command and command[0] == "--":
        command = command[1:]
    if not command:
        print("loopback.py run: no command", file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory(prefix="pondrel-http-") as log_dir:
        server = start_server(args.root, log_dir)
        env = dict(os.environ)
        env["PONDREL_HTTP_PORT"] = str(server.server_address[1])
        env["PONDREL_HTTP_LOG"] = log_dir
        env["PONDREL_HTTP_DEAD_PORT"] = str(free_port())
        child = subprocess.Popen(command, env=env, preexec_fn=die_with_parent)

        def forward(signum, frame):
            child.send_signal(signum)
        signal.signal(signal.SIGTERM, forward)
        signal.signal(signal.SIGINT, forward)
        try:
            code = child.wait(timeout=args.lifetime)
        except subprocess.TimeoutExpired:
            print("loopback.py run: command still running after %d s, killed" % args.lifetime,
                  file=sys.stderr)
            child.kill()
            child.wait()
            code = 1
        server.shutdown()
        server.server_close()
        return code if code >= 0 else 128 - code


def cmd_serve(args):
    log_dir = args.log_dir or tempfile.mkdtemp(prefix="pondrel-http-")
    os.makedirs(log_dir, exist_ok=True)
    server = start_server(args.root, log_dir)
    port = server.server_address[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)
    print("port %d, requests in %s" % (port, log_dir), flush=True)
    signal.signal(signal.SIGTERM, lambda *a: sys.exit(0))
    try:
        time.sleep(args.lifetime)
    except KeyboardInterrupt:
        pass
    server.shutdown()
    return 0


def main():
    parser = argparse.ArgumentParser(description="Loopback HTTP server for tests")
    sub = parser.add_subparsers(dest="mode", required=True)
    run = sub.add_parser("run")
    run.add_argument("--root")
    run.add_argument("--lifetime", type=int, default=600)
    run.add_argument("command", nargs=argparse.REMAINDER)
    serve = sub.add_parser("serve")
    serve.add_argument("--root")
    serve.add_argument("--port-file")
    serve.add_argument("--log-dir")
    serve.add_argument("--lifetime", type=int, default=3600)
    args = parser.parse_args()
    return cmd_run(args) if args.mode == "run" else cmd_serve(args)


if __name__ == "__main__":
    sys.exit(main())
