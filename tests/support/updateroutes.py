"""Update host routes for the stand-in (standin.py --routes).

GET /current_version_<platform> answers the file feed-<platform>.xml and
GET /files/<name> the file <name>, both from the folder named by the
environment variable PRYX_UPDATE_ROUTES_DIR; a missing file gives 404.
Files are sent in pieces, never read whole.

GET /stream?size=N[&declare=M] sends N zero bytes (endless when N is -1)
with "Content-Length: M" when declare is given, else without a length and
closing the connection at the end. The request is logged when the answer
starts.
"""
import os
import urllib.parse

CHUNK = 1 << 20


def stream(handler, entry, query):
    size = int(query.get("size", ["0"])[0])
    declare = query.get("declare", [None])[0]
    entry["answer"] = 200
    handler.write_log(entry)
    handler.send_response(200)
    handler.send_header("Content-Type", "application/zip")
    if declare is not None:
        handler.send_header("Content-Length", declare)
    else:
        handler.send_header("Connection", "close")
        handler.close_connection = True
    handler.end_headers()
    zeros = bytes(CHUNK)
    sent = 0
    try:
        while size < 0 or sent < size:
            n = CHUNK if size < 0 else min(CHUNK, size - sent)
            handler.wfile.write(zeros[:n])
            sent += n
        handler.wfile.flush()
    except OSError:
        handler.close_connection = True   # the client went away


def route(handler, entry, state):
    folder = os.environ.get("PRYX_UPDATE_ROUTES_DIR")
    if handler.command != "GET" or not folder:
        return False
    path, _, query = handler.path.partition("?")
    if path == "/stream":
        stream(handler, entry, urllib.parse.parse_qs(query))
        return True
    if path.startswith("/current_version_"):
        name = "feed-" + path[len("/current_version_"):] + ".xml"
        kind = "text/xml"
    elif path.startswith("/files/"):
        name = path[len("/files/"):]
        kind = "application/zip"
    else:
        return False
    if not name or "/" in name or name.startswith("."):
        return False
    try:
        f = open(os.path.join(folder, name), "rb")
    except OSError:
        handler.send(404, b"not found", {"Content-Type": "text/plain"}, entry)
        return True
    with f:
        size = os.fstat(f.fileno()).st_size
        entry["answer"] = 200
        handler.write_log(entry)
        handler.send_response(200)
        handler.send_header("Content-Type", kind)
        handler.send_header("Content-Length", str(size))
        handler.end_headers()
        try:
            while True:
                piece = f.read(CHUNK)
                if not piece:
                    break
                handler.wfile.write(piece)
            handler.wfile.flush()
        except OSError:
            handler.close_connection = True
    return True
