#!/usr/bin/python3
"""Loopback HTTP time page for the tests, on port 80 of one loopback address.

usage: http-time-server.py ADDRESS READYFILE

  /            the current NTP seconds and milliseconds between <BODY> and </BODY>
  /slow        the same, answered 2.2 s late
  /big         the time page followed by 10 MB of filler
  /late-close  the closing tag only after 3000 bytes of filler
  /headers     the request's header lines, so a test can see what the client sent
  /silent      accepts the request and never answers
"""
import http.server
import os
import socketserver
import sys
import time

NTP_UNIX_DELTA = 2208988800
# Built once: making 10 MB per request would stand between the page's time and its sending.
FILLER = b"x" * (10 * 1024 * 1024)


def time_text():
    t = time.time()
    secs = int(t)
    return f"{secs + NTP_UNIX_DELTA}.{int((t - secs) * 1000):03d}"


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def reply(self, body, *more):
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body) + sum(len(m) for m in more)))
        self.end_headers()
        for part in (body, *more):
            self.wfile.write(part)

    def do_GET(self):
        path = self.path
        if path == "/silent":
            time.sleep(60)
            return
        if path == "/slow":
            time.sleep(2.2)
        if path in ("/", "/slow"):
            self.reply(f"<HTML><BODY>\n{time_text()}\n</BODY></HTML>\n".encode())
        elif path == "/big":
            head = f"<html><body>\r\n{time_text()}\r\n</body>".encode()
            self.reply(head, FILLER, b"</html>")
        elif path == "/late-close":
            self.reply(f"<html><body>{time_text()}".encode() + b" " * 3000 + b"</body></html>")
        elif path == "/headers":
            self.reply(("<BODY>" + str(self.headers).replace("\r", "") + "</BODY>").encode())
        else:
            self.send_error(404)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    address, ready = sys.argv[1], sys.argv[2]
    server = Server((address, 80), Handler)
    with open(ready, "w") as f:
        f.write(f"http {address}\n")
    server.serve_forever()


if __name__ == "__main__":
    main()
