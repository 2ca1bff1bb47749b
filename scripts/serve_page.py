#!/usr/bin/python3
"""Serves the page's folder on localhost as a web host would: each file with
its type, the build's precompressed copy (FILE.br, FILE.gz) when the browser
takes that encoding, and revalidation by ETag, so that a browser keeps the
files and asks only whether they changed.

usage: serve_page.py [--port N] [--log FILE] FOLDER
  --port N    the port (0, the default, picks a free one; the port is
              printed on the first line either way)
  --log FILE  one line per request: method, path, status, bytes of the body
              sent, encoding, the request's Sec-Fetch-Dest and whether a
              service worker asked (tab-separated)

Also imported by the page's tests (make_server), which then test the very
headers a visitor gets."""

import argparse
import email.utils
import functools
import hashlib
import http.server
import os
import sys
import threading

# Types by extension; the page's own first. Text is UTF-8 throughout.
TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".mjs": "text/javascript; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".wasm": "application/wasm",
    ".webmanifest": "application/manifest+json; charset=utf-8",
    ".json": "application/json; charset=utf-8",
    ".svg": "image/svg+xml",
    ".png": "image/png",
    ".bmp": "image/bmp",
    ".ico": "image/x-icon",
    ".txt": "text/plain; charset=utf-8",
    ".pln": "text/plain; charset=utf-8",
}
# Encodings in the order they are preferred, with the suffix of their copy.
ENCODINGS = (("br", ".br"), ("gzip", ".gz"))


def accepted(header):
    """The encodings an Accept-Encoding header takes (q=0 refuses one)."""
    taken = set()
    for part in (header or "").split(","):
        name, _, params = part.strip().partition(";")
        q = 1.0
        for p in params.split(";"):
            key, _, value = p.strip().partition("=")
            if key == "q":
                try:
                    q = float(value)
                except ValueError:
                    q = 0.0
        if name and q > 0:
            taken.add(name.strip().lower())
    return taken


def fresh_copy(copy, original):
    try:
        return os.stat(copy).st_mtime_ns >= os.stat(original).st_mtime_ns
    except OSError:
        return False


class PageHandler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    log_file = None
    log_lock = threading.Lock()

    def send_head(self):
        # One handler serves every request of a kept-alive connection.
        self.body_bytes, self.encoding = 0, ""
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            if not self.path.split("?", 1)[0].endswith("/"):
                return super().send_head()  # the redirect to the folder's "/"
            path = os.path.join(path, "index.html")
        if not os.path.isfile(path):
            self.send_error(404, "File not found")
            return None
        base, ext = os.path.splitext(path)
        kind = TYPES.get(ext.lower(), "application/octet-stream")
        # A compressed copy stands for its original only when it is not
        # older than it: a file changed after the build (a fix deployed by
        # hand) is served as it now is, not as its stale copy.
        variants = [(e, path + s) for e, s in ENCODINGS if fresh_copy(path + s, path)]
        taken = accepted(self.headers.get("Accept-Encoding"))
        encoding, body_path = next(((e, p) for e, p in variants if e in taken), (None, path))
        try:
            f = open(body_path, "rb")
        except OSError:
            self.send_error(404, "File not found")
            return None
        stat = os.fstat(f.fileno())
        # One tag per file and encoding: the copies are different bodies.
        tag = '"%s"' % hashlib.sha256(
            ("%s %d %d %s" % (body_path, stat.st_size, stat.st_mtime_ns, encoding)).encode()
        ).hexdigest()[:24]
        self.encoding = encoding or ""
        if tag in [t.strip() for t in self.headers.get("If-None-Match", "").split(",")]:
            f.close()
            self.send_response(304)
            self.send_common(tag, bool(variants), stat)
            self.end_headers()
            return None
        self.body_bytes = stat.st_size
        self.send_response(200)
        self.send_header("Content-Type", kind)
        if encoding:
            self.send_header("Content-Encoding", encoding)
        self.send_header("Content-Length", str(stat.st_size))
        self.send_common(tag, bool(variants), stat)
        self.end_headers()
        return f

    def send_common(self, tag, varies, stat):
        self.send_header("ETag", tag)
        self.send_header("Last-Modified", email.utils.formatdate(stat.st_mtime, usegmt=True))
        # Kept, but asked again each time: the names carry no build, so a
        # new build must reach the browser at its next visit. The service
        # worker keeps what the page needs for starting with no network.
        self.send_header("Cache-Control", "no-cache")
        if varies:
            self.send_header("Vary", "Accept-Encoding")

    def log_request(self, code="-", size="-"):
        if self.log_file is None:
            return
        line = "\t".join(str(v) for v in (
            self.command, self.path, code, getattr(self, "body_bytes", 0),
            getattr(self, "encoding", "") or "-",
            self.headers.get("Sec-Fetch-Dest", "-"),
            "worker" if self.headers.get("Service-Worker") else "-"))
        with self.log_lock, open(self.log_file, "a", encoding="utf-8") as log:
            log.write(line + "\n")

    def log_message(self, *args):
        pass


class PageServer(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        # A browser that drops a kept-alive connection is no error.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


def make_server(folder, port=0, log=None):
    """A threaded server for the folder on 127.0.0.1, not yet serving."""
    handler = functools.partial(
        type("Handler", (PageHandler,), {"log_file": log}), directory=folder)
    return PageServer(("127.0.0.1", port), handler)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--log")
    parser.add_argument("folder")
    args = parser.parse_args()
    if not os.path.isdir(args.folder):
        print("serve_page: no folder " + args.folder, file=sys.stderr)
        return 1
    server = make_server(args.folder, args.port, args.log)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
