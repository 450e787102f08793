"""Account routes of the web service for the HTTPS stand-in (standin.py
--routes authroutes.py): e-mail check, password and code grants (a password
grant for an unknown e-mail registers it), the social-login pages and the
authorisation page (both redirect like the service), user info per token,
ping and support tickets. Display names are the local part of the e-mail."""

import base64
import json
import secrets
import threading
import urllib.parse

CLIENT_ID = "7_dsk"
CLIENT_SECRET = "4hqw7b2zt9xk0mdp3vfr8sn5lcy6ej1ga2ub7ot4wi9qk3mx5z"
BASIC = "Basic " + base64.b64encode((CLIENT_ID + ":" + CLIENT_SECRET).encode()).decode()

lock = threading.Lock()
accounts = {}   # e-mail -> password (None for social accounts)
tokens = {}     # token -> e-mail
codes = {}      # code -> e-mail
social = {"network": "facebook"}


def form_fields(content_type, body):
    """The fields of a multipart/form-data body."""
    if "boundary=" not in content_type:
        return {}
    boundary = content_type.split("boundary=", 1)[1].strip().strip('"').encode()
    fields = {}
    for chunk in body.split(b"--" + boundary)[1:]:
        if chunk.startswith(b"--"):
            break
        head, _, data = chunk.partition(b"\r\n\r\n")
        disp = head.decode("utf-8", "replace")
        if 'name="' in disp:
            name = disp.split('name="', 1)[1].split('"', 1)[0]
            fields[name] = data[:-2].decode("utf-8", "replace") if data.endswith(b"\r\n") else data.decode("utf-8", "replace")
    return fields


def token_for(email):
    token = "tok-" + secrets.token_hex(8)
    with lock:
        tokens[token] = email
    return token


def token_reply(email):
    return {"access_token": token_for(email), "expires_in": 3600, "token_type": "bearer",
            "scope": None, "refresh_token": "r-" + secrets.token_hex(4)}


def user_info(email):
    local = email.split("@")[0]
    return {
        "quotaBytesTotal": 10737418240,
        "quotaBytesUsed": 1048576,
        "maxUploadSizes": [{"type": "*", "size": "104857600"}],
        "user": {"displayName": local, "emailAddress": email, "isAuthenticatedUser": "true",
                 "picture": {"url": "https://127.0.0.1/avatar/" + local + ".png"}},
    }


def route(handler, entry, state):
    url = urllib.parse.urlsplit(handler.path)
    path = url.path
    query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
    method = handler.command

    def send(status, obj, content_type="application/json", headers=None):
        payload = obj if isinstance(obj, bytes) else (obj if isinstance(obj, str) else json.dumps(obj)).encode()
        h = dict(headers or {})
        h["Content-Type"] = content_type
        handler.send(status, payload, h, entry)
        return True

    if path == "/ping" and method == "GET":
        return send(200, query.get("q", ""), "text/plain")
    if path == "/join/email/check.xml" and method == "GET":
        with lock:
            known = query.get("email", "") in accounts
        return send(200, "<response><state>%s</state></response>" % ("known" if known else "unknown"),
                    "text/xml")
    if path.startswith("/connect/") and method == "GET":
        with lock:
            social["network"] = path[len("/connect/"):]
        return send(302, b"", "text/html", {"Location": query.get("continue_uri", "")})
    if path == "/oauth2/auth" and method == "GET":
        code = "code-" + secrets.token_hex(6)
        with lock:
            codes[code] = social["network"] + "@social.test"
        return send(302, b"", "text/html", {"Location": query.get("redirect_uri", "") + "/?code=" + code})
    if path == "/oauth2/token" and method == "GET":
        if query.get("grant_type") != "authorization_code":
            return send(400, {"error": "unsupported_grant_type"})
        if query.get("client_id") != CLIENT_ID or query.get("client_secret") != CLIENT_SECRET:
            return send(401, {"error": "invalid_client"})
        with lock:
            email = codes.pop(query.get("code", ""), None)
            if email:
                accounts.setdefault(email, None)
        if not email:
            return send(400, {"error": "invalid_grant"})
        return send(200, token_reply(email))
    if path == "/oauth2/token" and method == "POST":
        if handler.headers.get("Authorization") != BASIC:
            return send(401, {"error": "invalid_client"})
        fields = form_fields(handler.headers.get("Content-Type", ""),
                             base64.b64decode(entry["body_b64"]))
        if fields.get("grant_type") != "password":
            return send(400, {"error": "unsupported_grant_type"})
        email, password = fields.get("username", ""), fields.get("password", "")
        with lock:
            if email not in accounts:
                accounts[email] = password          # registration
            elif accounts[email] != password:
                return send(400, {"error": "invalid_grant",
                                  "error_description": "Invalid username and password combination"})
        return send(200, token_reply(email))
    if path == "/drive/v1/about" and method == "GET":
        auth = handler.headers.get("Authorization", "")
        with lock:
            email = tokens.get(auth[len("Bearer "):]) if auth.startswith("Bearer ") else None
        if not email:
            return send(401, {"error": "invalid_token"})
        return send(200, user_info(email))
    if path == "/support/tickets/" and method == "POST":
        return send(201, {"status": "created"})
    return False
