#!/usr/bin/python3
"""FTP server for the tests: one user with a password, a root folder, on
127.0.0.1 only. Prints "PORT <n>" once it listens."""
import argparse
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import ThreadedFTPServer

ap = argparse.ArgumentParser()
ap.add_argument("--root", required=True)
ap.add_argument("--user", required=True)
ap.add_argument("--password", required=True)
ap.add_argument("--port", type=int, default=0)
ap.add_argument("--throttle", type=int, default=0, help="upload bytes per second")
a = ap.parse_args()


def _watch_parent():
    # End with the test that started us, even when it crashed.
    import os as _os, time as _time
    parent = _os.getppid()
    while True:
        _time.sleep(0.5)
        if _os.getppid() != parent:
            _os._exit(0)


import threading as _threading
_threading.Thread(target=_watch_parent, daemon=True).start()

auth = DummyAuthorizer()
auth.add_user(a.user, a.password, a.root, perm="elradfmwMT")


class Handler(FTPHandler):
    authorizer = auth
    passive_ports = None
    permit_foreign_addresses = False
    banner = "test server ready"


if a.throttle > 0:
    class Dtp(ThrottledDTPHandler):
        read_limit = a.throttle
    Handler.dtp_handler = Dtp

import logging
logging.basicConfig(level=logging.WARNING)
server = ThreadedFTPServer(("127.0.0.1", a.port), Handler)
print("PORT %d" % server.socket.getsockname()[1], flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
