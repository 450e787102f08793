"""Update host routes for the stand-in (standin.py --routes).

GET /current_version_<platform> answers the file feed-<platform>.xml and
GET /files/<name> the file <name>, both from the folder named by the
environment variable PRYX_UPDATE_ROUTES_DIR; a missing file gives 404.
"""
import os


def route(handler, entry, state):
    folder = os.environ.get("PRYX_UPDATE_ROUTES_DIR")
    if handler.command != "GET" or not folder:
        return False
    path = handler.path.split("?", 1)[0]
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
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
    except OSError:
        handler.send(404, b"not found", {"Content-Type": "text/plain"}, entry)
        return True
    handler.send(200, data, {"Content-Type": kind}, entry)
    return True
