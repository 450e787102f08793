#!/usr/bin/env python3
"""HTTPS stand-in for the account routes of the web service, on 127.0.0.1.

Routes: e-mail check, password and code grants, the social-login pages and
the authorisation page (both redirect like the service), user info, ping and
support tickets; a plain-HTTP port takes analytics events.

Every request is printed on stdout as one JSON line {"event": "request", ...}
with method, target, headers, body and, for multipart bodies, the parts.
Commands come on stdin, one JSON object a line, each answered by
{"event": "ok"}:
  {"cmd": "script", "route": "/oauth2/token", "status": 400, "body": "...",
   "content_type": "...", "delay": 0.5}   the next reply of that route
                                            (only "delay": the usual reply, late)
  {"cmd": "account", "email": "...", "password": "...", "name": "..."}
  {"cmd": "reset"}                          forget scripts, issued tokens, codes
The certificate is made at start with openssl; its CA file is announced in
{"event": "ready", "port": N, "plain_port": M, "ca": path}.
"""

import argparse
import base64
import json
import os
import secrets
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CLIENT_ID = "7_dsk"
CLIENT_SECRET = "4hqw7b2zt9xk0mdp3vfr8sn5lcy6ej1ga2ub7ot4wi9qk3mx5z"

lock = threading.Lock()
out_lock = threading.Lock()
scripts = {}
accounts = {}
tokens = {}      # token -> e-mail
codes = {}       # code -> e-mail
state = {"social_user": "social@pryx.test"}


def emit(obj):
    with out_lock:
        sys.stdout.write(json.dumps(obj) + "\n")
        sys.stdout.flush()


def make_cert(folder):
    os.makedirs(folder, exist_ok=True)
    ca_key, ca = os.path.join(folder, "ca.key"), os.path.join(folder, "ca.pem")
    key, csr, crt = (os.path.join(folder, n) for n in ("server.key", "server.csr", "server.pem"))
    ext = os.path.join(folder, "ext.cnf")
    run = lambda *a: subprocess.run(a, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca_key, "-out", ca,
        "-days", "2", "-subj", "/CN=Pryx test CA")
    run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", csr,
        "-subj", "/CN=127.0.0.1")
    with open(ext, "w") as f:
        f.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n")
    run("openssl", "x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial",
        "-out", crt, "-days", "2", "-extfile", ext)
    return ca, crt, key


def multipart_parts(content_type, body):
    if "multipart/" not in content_type or "boundary=" not in content_type:
        return None
    boundary = content_type.split("boundary=", 1)[1].strip().strip('"').encode()
    parts = []
    for chunk in body.split(b"--" + boundary)[1:]:
        if chunk.startswith(b"--"):
            break
        chunk = chunk[2:] if chunk.startswith(b"\r\n") else chunk
        head, _, data = chunk.partition(b"\r\n\r\n")
        if data.endswith(b"\r\n"):
            data = data[:-2]
        headers = {}
        for line in head.decode("utf-8", "replace").split("\r\n"):
            if ":" in line:
                k, v = line.split(":", 1)
                headers[k.strip()] = v.strip()
        name = ""
        disp = headers.get("Content-Disposition", "")
        if 'name="' in disp:
            name = disp.split('name="', 1)[1].split('"', 1)[0]
        parts.append({"name": name, "headers": headers, "body": data.decode("utf-8", "replace")})
    return parts


def new_token(email):
    token = "tok-" + secrets.token_hex(8)
    with lock:
        tokens[token] = email
    return token


def user_info(email):
    acc = accounts.get(email, {})
    return {
        "quotaBytesTotal": acc.get("quota", 10737418240),
        "quotaBytesUsed": acc.get("usage", 1048576),
        "maxUploadSizes": [{"type": "file", "size": str(acc.get("max", 104857600))}],
        "user": {
            "displayName": acc.get("name", email.split("@")[0]),
            "emailAddress": email,
            "isAuthenticatedUser": True,
            "picture": {"url": "https://127.0.0.1/avatar/" + email.split("@")[0] + ".png"},
        },
    }


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def reply(self, status, body=b"", content_type="application/json", extra=None):
        if isinstance(body, str):
            body = body.encode()
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for k, v in (extra or {}).items():
            self.send_header(k, v)
        self.end_headers()
        self.wfile.write(body)

    def json(self, status, obj):
        self.reply(status, json.dumps(obj))

    def handle_any(self, method):
        length = int(self.headers.get("Content-Length", "0") or 0)
        body = self.rfile.read(length) if length else b""
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        parts = multipart_parts(self.headers.get("Content-Type", ""), body)
        emit({"event": "request", "port": self.server.server_address[1], "method": method,
              "target": self.path, "path": url.path, "query": query,
              "headers": [[k, v] for k, v in self.headers.items()],
              "body": body.decode("utf-8", "replace"), "parts": parts})
        with lock:
            script = scripts.pop(url.path, None)
        if script:
            time.sleep(script.get("delay", 0))
        if script and "status" in script:
            self.reply(script.get("status", 200), script.get("body", ""),
                       script.get("content_type", "application/json"))
            return
        self.route(method, url.path, query, {p["name"]: p["body"] for p in (parts or [])})

    def route(self, method, path, query, form):
        if path == "/collect":
            return self.reply(200, b"ok", "image/gif")
        if path == "/ping":
            return self.reply(200, query.get("q", ""), "text/plain")
        if path == "/join/email/check.xml":
            known = query.get("email", "") in accounts
            return self.reply(200, "<response><state>%s</state></response>"
                              % ("known" if known else "unknown"), "text/xml")
        if path.startswith("/connect/"):
            target = query.get("continue_uri", "")
            return self.reply(302, b"", "text/html", {"Location": target})
        if path == "/oauth2/auth":
            code = "code-" + secrets.token_hex(6)
            with lock:
                codes[code] = state["social_user"]
            return self.reply(302, b"", "text/html",
                              {"Location": query.get("redirect_uri", "") + "/?code=" + code})
        if path == "/oauth2/token":
            return self.token(method, query, form)
        if path == "/drive/v1/about":
            auth = self.headers.get("Authorization", "")
            email = tokens.get(auth[7:]) if auth.startswith("Bearer ") else None
            if not email:
                return self.json(401, {"error": "invalid_token"})
            return self.json(200, user_info(email))
        if path == "/support/tickets/" and method == "POST":
            return self.json(201, {"status": "created"})
        self.reply(404, "<html><body>not found</body></html>", "text/html")

    def token(self, method, query, form):
        if method == "GET" and query.get("grant_type") == "authorization_code":
            if query.get("client_id") != CLIENT_ID or query.get("client_secret") != CLIENT_SECRET:
                return self.json(401, {"error": "invalid_client"})
            with lock:
                email = codes.pop(query.get("code", ""), None)
            if not email:
                return self.json(400, {"error": "invalid_grant"})
            accounts.setdefault(email, {"password": None})
            return self.json(200, {"access_token": new_token(email), "expires_in": 3600,
                                   "token_type": "bearer", "refresh_token": "r"})
        expected = "Basic " + base64.b64encode((CLIENT_ID + ":" + CLIENT_SECRET).encode()).decode()
        if self.headers.get("Authorization") != expected:
            return self.json(401, {"error": "invalid_client"})
        if form.get("grant_type") != "password":
            return self.json(400, {"error": "unsupported_grant_type"})
        email, password = form.get("username", ""), form.get("password", "")
        with lock:
            if email not in accounts:
                accounts[email] = {"password": password}   # registration
            elif accounts[email].get("password") != password:
                return self.json(400, {"error": "invalid_grant"})
        self.json(200, {"access_token": new_token(email), "expires_in": 3600,
                        "token_type": "bearer", "refresh_token": "r"})

    def do_GET(self):
        self.handle_any("GET")

    def do_POST(self):
        self.handle_any("POST")


def commands():
    for line in sys.stdin:
        line = line.strip()
        if not line:
            continue
        cmd = json.loads(line)
        with lock:
            if cmd["cmd"] == "script":
                scripts[cmd["route"]] = cmd
            elif cmd["cmd"] == "account":
                accounts[cmd["email"]] = {k: v for k, v in cmd.items() if k not in ("cmd", "email")}
            elif cmd["cmd"] == "social_user":
                state["social_user"] = cmd["email"]
            elif cmd["cmd"] == "reset":
                scripts.clear()
                codes.clear()
        emit({"event": "ok"})
    os._exit(0)   # the test has gone


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--certdir", required=True)
    args = ap.parse_args()
    ca, crt, key = make_cert(args.certdir)

    tls = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(crt, key)
    tls.socket = ctx.wrap_socket(tls.socket, server_side=True)
    plain = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    for server in (tls, plain):
        server.daemon_threads = True
        threading.Thread(target=server.serve_forever, daemon=True).start()
    emit({"event": "ready", "port": tls.server_address[1], "plain_port": plain.server_address[1],
          "ca": ca})
    commands()


if __name__ == "__main__":
    main()
