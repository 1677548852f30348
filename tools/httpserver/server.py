#!/usr/bin/env python3
"""HTTP/1.1 test server for the updater's download engine, on 127.0.0.1 only.

Every byte is written by hand so tests can choose each fault. The resource and its faults are
chosen per request in the query string, for example
    GET /u.zip?id=t1&size=1000&seed=7&closeafter=100&at=250 HTTP/1.1
id        groups requests of one test: connections are counted and logged per id
size,seed the resource: byte i is (i*131 + seed + (i >> 9)) & 0xff
Faults (each applies to every connection unless narrowed by skip= or at=):
  skip=K        leave the first K connections of the id alone
  until=K       leave every connection after the K-th alone
  at=N          only requests whose range starts at byte N
  failfirst=K   the first K connections get 503
  changeafter=K connections after the K-th serve the resource with seed+1
  norange=1     ignore Range, answer 200 with the whole resource
  nolen=1       send no Content-Length and no Content-Range
  lower=1       header names in lower case
  v10=1         status line version HTTP/1.0
  badstatus=1   a status line that is not HTTP
  status=N      answer status N with an empty body
  redir=abs|rel|noloc|loop|hostonly|other|chainN   302 with such a Location
  trickle=1     the header one byte at a time
  onewrite=1    header and body in one write
  endless=1     a header that never ends (bounded)
  silence=S     wait S seconds before the first byte
  stallafter=K,stall=S   pause S seconds after K body bytes
  closeafter=K  close the connection after K body bytes
  rate=B        at most B body bytes per second
Each connection is logged as one JSON line in <dir>/log/<id>.log: its number, the request line,
the Range text as received, the whole request header, the status, the body bytes sent and how it ended.
The server stops by itself after --max-seconds, or --idle-seconds without a connection.
"""
import argparse
import json
import os
import select
import socket
import threading
import time

import content
from urllib.parse import parse_qsl, urlencode, urlsplit

MAX_CONNECTIONS = 100000     # in the server's whole life
MAX_CONNECTION_SECONDS = 120  # any one connection
MAX_REQUEST_HEADER = 65536
CHUNK = 65536

lock = threading.Lock()
conn_counts = {}
content_cache = {}
state = {"last": time.monotonic(), "total": 0}


def pattern(size, seed):
    key = (size, seed)
    with lock:
        if key in content_cache:
            return content_cache[key]
    data = content.pattern(size, seed)
    with lock:
        if len(content_cache) > 32:
            content_cache.clear()
        content_cache[key] = data
    return data


def log_line(logdir, ident, entry):
    safe = "".join(c for c in ident if c.isalnum() or c in "-_") or "anon"
    with lock:
        with open(os.path.join(logdir, safe + ".log"), "a") as f:
            f.write(json.dumps(entry) + "\n")


class ClientGone(Exception):
    pass


class Conn:
    def __init__(self, sock, args, port):
        self.sock = sock
        self.args = args
        self.port = port
        self.started = time.monotonic()
        self.sent = 0

    def alive(self):
        return time.monotonic() - self.started < MAX_CONNECTION_SECONDS

    def pause(self, seconds):
        """Waits, but notices a client that gives up meanwhile."""
        end = time.monotonic() + seconds
        while time.monotonic() < end and self.alive():
            ready, _, _ = select.select([self.sock], [], [], min(0.05, max(0.0, end - time.monotonic())))
            if ready:
                try:
                    gone = self.sock.recv(1, socket.MSG_PEEK) == b""
                except OSError:
                    gone = True
                if gone:
                    raise ClientGone()
                time.sleep(0.05)

    def read_request(self):
        data = b""
        self.sock.settimeout(30)
        while b"\r\n\r\n" not in data and len(data) < MAX_REQUEST_HEADER:
            got = self.sock.recv(4096)
            if not got:
                return None
            data += got
        return data.split(b"\r\n\r\n", 1)[0].decode("latin-1")

    def run(self):
        entry = {"request": "", "range": None, "status": None, "sent": 0, "end": "complete"}
        ident = "anon"
        try:
            head = self.read_request()
            if head is None:
                entry["end"] = "no request"
                return
            lines = head.split("\r\n")
            entry["request"] = lines[0]
            entry["raw"] = head + "\r\n\r\n"
            headers = {}
            for line in lines[1:]:
                name, _, value = line.partition(":")
                headers[name.strip().lower()] = value[1:] if value.startswith(" ") else value
            entry["range"] = headers.get("range")
            entry["host"] = headers.get("host")
            parts = lines[0].split(" ")
            target = parts[1] if len(parts) > 1 else "/"
            url = urlsplit(target)
            q = dict(parse_qsl(url.query, keep_blank_values=True))
            ident = q.get("id", "anon")
            with lock:
                n = conn_counts.get(ident, 0) + 1
                conn_counts[ident] = n
            entry["conn"] = n
            self.respond(url, q, n, headers.get("range"), entry)
        except ClientGone:
            entry["end"] = "client gone"
        except (OSError, socket.timeout) as e:
            entry["end"] = "error: %s" % e.__class__.__name__
        finally:
            entry["sent"] = self.sent
            try:
                self.sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            self.sock.close()
            log_line(self.args.logdir, ident, entry)

    def respond(self, url, q, n, range_text, entry):
        num = lambda k, d=0: int(q.get(k, d))
        size = num("size", 1000)
        seed = num("seed", 7)
        if "changeafter" in q and n > num("changeafter"):
            seed += 1
        start = None
        if range_text is not None and range_text.strip().startswith("bytes="):
            first = range_text.strip()[6:].split("-", 1)[0]
            if first.isdigit():
                start = int(first)
        faulted = n > num("skip", 0) and ("until" not in q or n <= num("until")) and ("at" not in q or start == num("at"))
        f = lambda k: faulted and k in q

        version = "HTTP/1.0" if f("v10") else "HTTP/1.1"
        if f("badstatus"):
            version = "HTPP/1.1"
        body = b""
        hdrs = []
        if n <= num("failfirst", 0):
            status, reason = 503, "Service Unavailable"
            hdrs.append(("Content-Length", "0"))
        elif f("status"):
            status, reason = num("status"), "Chosen"
            hdrs.append(("Content-Length", "0"))
        elif f("redir"):
            status, reason = 302, "Found"
            kind = q["redir"]
            rest = dict(q)
            del rest["redir"]
            if kind.startswith("chain") and int(kind[5:] or 0) > 1:
                rest["redir"] = "chain%d" % (int(kind[5:]) - 1)
            if kind == "loop":
                rest = q
            rel = url.path + "?" + urlencode(rest)
            loc = {"abs": "http://127.0.0.1:%d%s" % (self.port, rel), "rel": rel, "loop": rel,
                   "hostonly": "http://127.0.0.1:%d" % self.port,
                   "other": "https://127.0.0.1:%d%s" % (self.port, rel)}.get(kind)
            if kind.startswith("chain"):
                loc = "http://127.0.0.1:%d%s" % (self.port, rel)
            if loc is not None:
                hdrs.append(("Location", loc))
            hdrs.append(("Content-Length", "0"))
        else:
            data = pattern(size, seed)
            if start is None or f("norange"):
                status, reason, body = 200, "OK", data
                hdrs.append(("Content-Length", str(len(body))))
            elif start >= size:
                status, reason = 416, "Range Not Satisfiable"
                hdrs.append(("Content-Range", "bytes */%d" % size))
                hdrs.append(("Content-Length", "0"))
            else:
                status, reason, body = 206, "Partial Content", data[start:]
                hdrs.append(("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size)))
                hdrs.append(("Content-Length", str(len(body))))
            if f("nolen"):
                hdrs = [h for h in hdrs if h[0] not in ("Content-Length", "Content-Range")]
        entry["status"] = status
        hdrs = [("Content-Type", "application/zip"), ("X-Content-Length", "7")] + hdrs + [
            ("Last-Modified", "Tue, 08 Dec 2026 10:00:00 GMT"), ("Connection", "close")]
        if f("lower"):
            hdrs = [(k.lower(), v) for k, v in hdrs]
        header = ("%s %d %s\r\n" % (version, status, reason) +
                  "".join("%s: %s\r\n" % h for h in hdrs) + "\r\n").encode("latin-1")

        if f("silence"):
            self.pause(float(q["silence"]))
        if f("endless"):
            self.sock.sendall(header.split(b"\r\n", 1)[0] + b"\r\n")
            filler = b"X-Filler: " + b"a" * 1000 + b"\r\n"
            for _ in range(20000):  # about 20 MB at most
                if not self.alive():
                    break
                self.sock.sendall(filler)
            entry["end"] = "endless header"
            return
        if f("trickle"):
            for i in range(len(header)):
                self.sock.sendall(header[i:i + 1])
                time.sleep(0.002)
        elif f("onewrite"):
            self.sock.sendall(header + body)
            self.sent = len(body)
            return
        else:
            self.sock.sendall(header)

        limit = len(body)
        if f("closeafter"):
            limit = min(limit, num("closeafter"))
        stall_at = num("stallafter") if f("stallafter") else None
        rate = num("rate") if f("rate") else 0
        t0 = time.monotonic()
        while self.sent < limit:
            if not self.alive():
                entry["end"] = "connection time limit"
                return
            if stall_at is not None and self.sent >= stall_at:
                self.pause(float(q.get("stall", 20)))
                stall_at = None
            step = CHUNK
            if stall_at is not None and stall_at > self.sent:
                step = min(step, stall_at - self.sent)
            if rate:
                step = min(step, max(1, rate // 20))
                due = t0 + self.sent / rate
                if due > time.monotonic():
                    time.sleep(due - time.monotonic())
            piece = body[self.sent:min(limit, self.sent + step)]
            self.sock.sendall(piece)
            self.sent += len(piece)
        if limit < len(body):
            entry["end"] = "closed after %d" % limit


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--dir", required=True, help="gets port, pid and log/")
    ap.add_argument("--max-seconds", type=float, default=1800)
    ap.add_argument("--idle-seconds", type=float, default=600)
    args = ap.parse_args()
    args.logdir = os.path.join(args.dir, "log")
    os.makedirs(args.logdir, exist_ok=True)
    srv = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind(("127.0.0.1", 0))
    srv.listen(128)
    srv.settimeout(0.5)
    port = srv.getsockname()[1]
    tmp = os.path.join(args.dir, "port.tmp")
    with open(tmp, "w") as f:
        f.write(str(port))
    os.replace(tmp, os.path.join(args.dir, "port"))
    print("[httpserver] listening on 127.0.0.1:%d" % port, flush=True)
    began = time.monotonic()
    while True:
        now = time.monotonic()
        if now - began > args.max_seconds or now - state["last"] > args.idle_seconds:
            break
        if state["total"] >= MAX_CONNECTIONS:
            break
        try:
            sock, _ = srv.accept()
        except socket.timeout:
            continue
        state["last"] = time.monotonic()
        state["total"] += 1
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        threading.Thread(target=Conn(sock, args, port).run, daemon=True).start()
    srv.close()
    print("[httpserver] stopped", flush=True)


if __name__ == "__main__":
    main()
