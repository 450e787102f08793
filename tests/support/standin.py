#!/usr/bin/env python3
"""HTTPS stand-in for the web service, used by the network tests.

Listens on 127.0.0.1 only. Every request is appended as one JSON line to the
request log (method, raw path with query, headers, body); bodies are also kept
as files in the store folder. Answers come from a script file (JSON array of
rules, re-read whenever it changes) and otherwise from the built-in routes:

  POST /drive/v1/files?...                     create a file or folder
  PUT  /upload/drive/v1/files/<id>?fields=id   bytes of one file
  POST /upload/drive/v1/files?fields=id&parent=<id>   one file of several
  GET  /drive/v1/about                         user info

A rule: {"method": "PUT", "path": "regex", "times": n,
         "status": 500, "body": "...", "headers": {..}, "delay": 0.5,
         "hold": "name", "close": true, "redirect": "url"}
"hold" waits until the file <control>/release-<name> exists; "close" drops
the connection without an answer. The first line on stdout is "PORT <n>".

More routes come from "--routes file.py" (repeatable): each file defines
route(handler, entry, state) and returns True when it answered (with
handler.send(status, payload_bytes, headers, entry)); they are asked in
order before the built-in routes. handler.path holds the raw path and query,
handler.command the method, entry["body_b64"] the body.
"""
import argparse
import base64
import hashlib
import importlib.util
import json
import os
import re
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

lock = threading.Lock()
extra_routes = []
state = {"seq": 0, "inflight": 0, "ids": 0, "script": [], "script_mtime": None, "used": {}}
args = None


def load_script():
    path = os.path.join(args.control, "script.json")
    try:
        mtime = os.stat(path).st_mtime_ns
    except OSError:
        state["script"] = []
        state["script_mtime"] = None
        return
    if mtime != state["script_mtime"]:
        with open(path, "r", encoding="utf-8") as f:
            state["script"] = json.load(f)
        state["script_mtime"] = mtime
        state["used"] = {}


def pick_rule(method, path):
    with lock:
        load_script()
        for i, rule in enumerate(state["script"]):
            if rule.get("method") and rule["method"] != method:
                continue
            if rule.get("path") and not re.search(rule["path"], path):
                continue
            times = rule.get("times")
            used = state["used"].get(i, 0)
            if times is not None and used >= times:
                continue
            state["used"][i] = used + 1
            return rule
    return None


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "standin/1"

    def log_message(self, fmt, *a):  # quiet
        pass

    def read_body(self):
        te = self.headers.get("Transfer-Encoding", "")
        sha = hashlib.sha256()
        keep = bytearray()
        size = 0
        limit = args.keep_limit

        def take(chunk):
            nonlocal size
            sha.update(chunk)
            size += len(chunk)
            if len(keep) < limit:
                keep.extend(chunk[: limit - len(keep)])

        if "chunked" in te.lower():
            while True:
                line = self.rfile.readline()
                n = int(line.split(b";")[0].strip() or b"0", 16)
                if n == 0:
                    self.rfile.readline()
                    break
                take(self.rfile.read(n))
                self.rfile.readline()
        else:
            remaining = int(self.headers.get("Content-Length", "0") or 0)
            while remaining > 0:
                chunk = self.rfile.read(min(remaining, 1 << 20))
                if not chunk:
                    break
                take(chunk)
                remaining -= len(chunk)
        return bytes(keep), size, sha.hexdigest()

    def handle_any(self):
        self._left = False
        with lock:
            state["seq"] += 1
            seq = state["seq"]
            state["inflight"] += 1
            inflight = state["inflight"]
        started = time.time()
        try:
            body, size, digest = self.read_body()
            store = None
            if args.store and size <= args.keep_limit:
                store = os.path.join(args.store, "%d.body" % seq)
                with open(store, "wb") as f:
                    f.write(body)
            entry = {
                "seq": seq,
                "method": self.command,
                "path": self.path,
                "headers": [[k, v] for k, v in self.headers.items()],
                "size": size,
                "sha256": digest,
                "body_b64": base64.b64encode(body[:65536]).decode("ascii"),
                "body_file": store,
                "inflight": inflight,
                "start": started,
            }
            rule = pick_rule(self.command, self.path)
            self.answer(rule, entry)
        finally:
            self.leave()

    def leave(self):
        # Counted out before the answer goes out, so a client that sends its
        # next request on receipt is never counted twice.
        if not getattr(self, "_left", False):
            self._left = True
            with lock:
                state["inflight"] -= 1

    def write_log(self, entry):
        self.leave()
        entry["end"] = time.time()
        with lock:
            with open(args.log, "a", encoding="utf-8") as f:
                f.write(json.dumps(entry) + "\n")
                f.flush()

    def answer(self, rule, entry):
        if rule is not None:
            if rule.get("delay"):
                time.sleep(float(rule["delay"]))
            if rule.get("hold"):
                flag = os.path.join(args.control, "release-" + rule["hold"])
                deadline = time.time() + 60
                while not os.path.exists(flag) and time.time() < deadline:
                    time.sleep(0.02)
            if rule.get("close"):
                entry["answer"] = "closed"
                self.write_log(entry)
                self.close_connection = True
                try:
                    self.connection.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
                return
            if "status" in rule or "body" in rule or "redirect" in rule:
                status = int(rule.get("status", 200))
                headers = dict(rule.get("headers", {}))
                if rule.get("redirect"):
                    headers["Location"] = rule["redirect"]
                    status = int(rule.get("status", 302))
                payload = rule.get("body", "")
                if isinstance(payload, (dict, list)):
                    payload = json.dumps(payload)
                self.send(status, payload.encode("utf-8"), headers, entry)
                return
        self.route(entry)

    def send(self, status, payload, headers, entry):
        entry["answer"] = status
        self.write_log(entry)
        self.send_response(status)
        if "Content-Type" not in headers:
            headers["Content-Type"] = "application/json"
        for k, v in headers.items():
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)
        self.wfile.flush()

    def route(self, entry):
        for extra in extra_routes:
            if extra(self, entry, state):
                return
        path = self.path.split("?", 1)[0]
        port = self.server.server_address[1]
        if self.command == "POST" and path == "/drive/v1/files":
            with lock:
                state["ids"] += 1
                new_id = "f%04d" % state["ids"]
            body = {"id": new_id, "alternateLink": "https://127.0.0.1:%d/s/%s" % (port, new_id), "selfLink": ""}
            entry["created"] = new_id
            self.send(200, json.dumps(body).encode(), {}, entry)
        elif self.command == "PUT" and path.startswith("/upload/drive/v1/files/"):
            self.send(200, json.dumps({"id": path.rsplit("/", 1)[1]}).encode(), {}, entry)
        elif self.command == "POST" and path == "/upload/drive/v1/files":
            with lock:
                state["ids"] += 1
                new_id = "u%04d" % state["ids"]
            self.send(200, json.dumps({"id": new_id}).encode(), {}, entry)
        elif self.command == "GET" and path == "/drive/v1/about":
            body = {
                "quotaBytesTotal": 1073741824,
                "quotaBytesUsed": 1048576,
                "maxUploadSizes": [{"type": "*", "size": "104857600"}],
                "user": {"displayName": "Test User", "emailAddress": "user@example.com",
                         "isAuthenticatedUser": "true", "picture": {"url": "https://127.0.0.1/a.png"}},
            }
            self.send(200, json.dumps(body).encode(), {}, entry)
        else:
            self.send(404, b'{"error":"not found"}', {}, entry)

    do_GET = do_POST = do_PUT = do_DELETE = do_PATCH = do_HEAD = handle_any


class Server(ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 64


def main():
    global args
    p = argparse.ArgumentParser()
    p.add_argument("--cert", required=True)
    p.add_argument("--key", required=True)
    p.add_argument("--control", required=True)
    p.add_argument("--log", required=True)
    p.add_argument("--store", default="")
    p.add_argument("--keep-limit", type=int, default=64 << 20)
    p.add_argument("--routes", action="append", default=[])
    args = p.parse_args()
    for i, path in enumerate(args.routes):
        spec = importlib.util.spec_from_file_location("standin_routes_%d" % i, path)
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        extra_routes.append(module.route)
    srv = Server(("127.0.0.1", 0), Handler)
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(args.cert, args.key)
    srv.socket = ctx.wrap_socket(srv.socket, server_side=True)
    sys.stdout.write("PORT %d\n" % srv.server_address[1])
    sys.stdout.flush()
    srv.serve_forever()


if __name__ == "__main__":
    main()
