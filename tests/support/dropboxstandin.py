#!/usr/bin/python3
"""Dropbox stand-in for the tests: the web, API and content roles of Dropbox
API v2, each on its own 127.0.0.1 port over TLS.

Prints "WEB n", "API n", "CONTENT n" and then "PORT n" (the API port) once
all three listen. Every request is appended as one JSON line to --log.
Behaviour for the next requests can be changed by writing a JSON object to
--control (read on every request):
  {"upload_status": 409}   answer uploads with that status
  {"share_status": 500}    answer shared-link requests with that status
  {"hang": 30}             read an upload, then wait that many seconds
  {"delay": 1}             read an upload, wait, then answer as usual
  {"token_reply": x}       answer token requests with 200 and x (an object as
                           JSON, a string as plain text)
"""

import argparse
import base64
import http.server
import json
import os
import secrets
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse

ARGS = None
LOCK = threading.Lock()
CODES = {}          # code -> redirect_uri
FILES = {}          # path_lower -> path on disk
ACCOUNT = {
    "name": {"given_name": "Иван", "surname": "Петров",
             "familiar_name": "Ваня", "display_name": "Иван Петров"},
    "email": "ivan@example.test",
}
SPACE = {"used": 123456789,
         "allocation": {".tag": "individual", "allocated": 2199023255552}}


def control():
    try:
        with open(ARGS.control, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return {}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    role = "?"

    def log_message(self, fmt, *args):
        pass

    def body(self):
        n = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(n) if n > 0 else b""

    def record(self, body):
        entry = {"role": self.role, "method": self.command, "path": self.path,
                 "headers": {k: v for k, v in self.headers.items()},
                 "body": body.decode("utf-8", "replace") if len(body) < 4096 else "",
                 "size": len(body)}
        with LOCK, open(ARGS.log, "a", encoding="utf-8") as f:
            f.write(json.dumps(entry, ensure_ascii=False) + "\n")

    def reply(self, status, obj=None, headers=None, text=None):
        data = b""
        ctype = None
        if obj is not None:
            data = json.dumps(obj, ensure_ascii=False).encode("utf-8")
            ctype = "application/json"
        elif text is not None:
            data = text.encode("utf-8")
            ctype = "text/plain; charset=utf-8"
        self.send_response(status)
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        if ctype:
            self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def bearer_ok(self):
        return self.headers.get("Authorization", "") == "Bearer " + ARGS.token

    def do_GET(self):
        body = b""
        self.record(body)
        url = urllib.parse.urlsplit(self.path)
        if self.role != "web" or url.path != "/oauth2/authorize":
            return self.reply(404, text="not found")
        q = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        if q.get("client_id") != ARGS.app_key or q.get("response_type") != "code" \
                or not q.get("redirect_uri", "").startswith("http://127.0.0.1:"):
            return self.reply(400, text="bad authorize request")
        code = secrets.token_urlsafe(12)
        with LOCK:
            CODES[code] = q["redirect_uri"]
        target = q["redirect_uri"] + "/?code=" + code
        if "state" in q:
            target += "&state=" + urllib.parse.quote(q["state"])
        return self.reply(302, headers={"Location": target})

    def do_POST(self):
        body = self.body()
        self.record(body)
        path = urllib.parse.urlsplit(self.path).path
        routes = {
            ("api", "/oauth2/token/"): self.token,
            ("api", "/2/users/get_current_account"): self.account,
            ("api", "/2/users/get_space_usage"): self.space,
            ("api", "/2/sharing/create_shared_link"): self.share,
            ("content", "/2/files/upload"): self.upload,
        }
        route = routes.get((self.role, path))
        if route is None:
            return self.reply(404, text="not found")
        return route(body)

    def token(self, body):
        basic = "Basic " + base64.b64encode(
            (ARGS.app_key + ":" + ARGS.app_secret).encode()).decode()
        if self.headers.get("Authorization") != basic:
            return self.reply(401, {"error": "invalid_client"})
        forced = control().get("token_reply")
        if isinstance(forced, dict):
            return self.reply(200, forced)
        if isinstance(forced, str):
            return self.reply(200, text=forced)
        form = dict(urllib.parse.parse_qsl(body.decode("utf-8")))
        with LOCK:
            redirect = CODES.pop(form.get("code", ""), None)
        if form.get("grant_type") != "authorization_code" or redirect is None \
                or form.get("redirect_uri") != redirect:
            return self.reply(400, {"error": "invalid_grant"})
        return self.reply(200, {"access_token": ARGS.token, "token_type": "bearer",
                                "account_id": "dbid:standin", "uid": "1"})

    def account(self, body):
        if not self.bearer_ok():
            return self.reply(401, {"error_summary": "invalid_access_token/"})
        if body not in (b"", b"null"):
            return self.reply(400, text="body must be empty")
        return self.reply(200, ACCOUNT)

    def space(self, body):
        if not self.bearer_ok():
            return self.reply(401, {"error_summary": "invalid_access_token/"})
        return self.reply(200, SPACE)

    def upload(self, body):
        ctl = control()
        if ctl.get("delay"):
            time.sleep(float(ctl["delay"]))
        if ctl.get("hang"):
            time.sleep(float(ctl["hang"]))
            self.close_connection = True
            return None
        if not self.bearer_ok():
            return self.reply(401, {"error_summary": "invalid_access_token/"})
        if ctl.get("upload_status"):
            status = int(ctl["upload_status"])
            summary = "path/conflict/file/" if status == 409 else "internal_error/"
            return self.reply(status, {"error_summary": summary})
        raw = self.headers.get("Dropbox-API-Arg", "")
        # Header bytes arrive as Latin-1: anything above 0x7f was sent raw.
        if any(ord(c) > 0x7f for c in raw):
            return self.reply(400, text='Error in call to API function "files/upload": '
                              'HTTP header "Dropbox-API-Arg": could not decode input as JSON')
        try:
            arg = json.loads(raw, strict=True)
        except ValueError:
            return self.reply(400, text='Error in call to API function "files/upload": '
                              'HTTP header "Dropbox-API-Arg": could not decode input as JSON')
        if not isinstance(arg, dict) or not str(arg.get("path", "")).startswith("/") \
                or self.headers.get("Content-Type") != "application/octet-stream":
            return self.reply(400, text="bad upload arguments")
        name = arg["path"][1:]
        if not name or "/" in name or name in (".", ".."):
            return self.reply(400, text="bad path")
        stem, ext = os.path.splitext(name)
        with LOCK:
            candidate, n = name, 0
            while os.path.exists(os.path.join(ARGS.root, candidate)):
                if not arg.get("autorename"):
                    return self.reply(409, {"error_summary": "path/conflict/file/"})
                n += 1
                candidate = "%s (%d)%s" % (stem, n, ext)
            with open(os.path.join(ARGS.root, candidate), "wb") as f:
                f.write(body)
            lower = "/" + candidate.lower()
            FILES[lower] = candidate
        return self.reply(200, {"name": candidate, "path_lower": lower,
                                "path_display": "/" + candidate, "id": "id:" + str(len(FILES)),
                                "size": len(body)})

    def share(self, body):
        ctl = control()
        if not self.bearer_ok():
            return self.reply(401, {"error_summary": "invalid_access_token/"})
        if ctl.get("share_status"):
            return self.reply(int(ctl["share_status"]), {"error_summary": "internal_error/"})
        if self.headers.get("Content-Type") != "application/json":
            return self.reply(400, text="bad content type")
        try:
            arg = json.loads(body.decode("utf-8"), strict=True)
        except ValueError:
            return self.reply(400, text="could not decode input as JSON")
        with LOCK:
            name = FILES.get(arg.get("path", ""))
        if name is None:
            return self.reply(409, {"error_summary": "path/not_found/"})
        prefix = "https://db.tt/" if arg.get("short_url") else "https://www.dropbox.com/s/"
        return self.reply(200, {"url": prefix + urllib.parse.quote(name), "path": "/" + name})


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def serve(role, context):
    handler = type("Handler_" + role, (Handler,), {"role": role})
    server = Server(("127.0.0.1", 0), handler)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def main():
    global ARGS
    p = argparse.ArgumentParser()
    p.add_argument("--root", required=True)
    p.add_argument("--cert", required=True)
    p.add_argument("--key", required=True)
    p.add_argument("--log", required=True)
    p.add_argument("--control", required=True)
    p.add_argument("--app-key", default="raqopvnhsyfmke3")
    p.add_argument("--app-secret", default="okbewm4716t9zqh")
    p.add_argument("--token", default="standin-token")
    ARGS = p.parse_args()
    os.makedirs(ARGS.root, exist_ok=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(ARGS.cert, ARGS.key)
    ports = {role: serve(role, context) for role in ("web", "api", "content")}
    print("WEB %d\nAPI %d\nCONTENT %d\nPORT %d" % (ports["web"], ports["api"],
                                                    ports["content"], ports["api"]), flush=True)
    while True:
        time.sleep(3600)


if __name__ == "__main__":
    sys.exit(main())
