#!/usr/bin/python3
"""SFTP server for the tests on paramiko: one user with a password, a root
folder shown as "/", on 127.0.0.1 only, no system user needed. Relative paths
start at the login folder --home ("/" unless given). The host key is read from
--host-key, or made there when the file is missing. Prints "PORT <n>" once it
listens."""
import argparse
import os
import socket
import threading
import time

import paramiko
from paramiko import SFTPAttributes, SFTPHandle, SFTPServer, SFTPServerInterface
from paramiko.sftp import SFTP_FAILURE, SFTP_NO_SUCH_FILE, SFTP_OK, SFTP_PERMISSION_DENIED

ap = argparse.ArgumentParser()
ap.add_argument("--root", required=True)
ap.add_argument("--user", required=True)
ap.add_argument("--password", required=True)
ap.add_argument("--host-key", required=True)
ap.add_argument("--port", type=int, default=0)
ap.add_argument("--throttle", type=int, default=0, help="upload bytes per second")
ap.add_argument("--home", default="/", help="login folder, below the root; relative paths start there")
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
ROOT = os.path.realpath(a.root)

if os.path.exists(a.host_key):
    KEY = paramiko.ECDSAKey.from_private_key_file(a.host_key)
else:
    KEY = paramiko.ECDSAKey.generate(bits=256)
    KEY.write_private_key_file(a.host_key)


class Server(paramiko.ServerInterface):
    def check_auth_password(self, username, password):
        if username == a.user and password == a.password:
            return paramiko.AUTH_SUCCESSFUL
        return paramiko.AUTH_FAILED

    def get_allowed_auths(self, username):
        return "password"

    def check_channel_request(self, kind, chanid):
        if kind == "session":
            return paramiko.OPEN_SUCCEEDED
        return paramiko.OPEN_FAILED_ADMINISTRATIVELY_PROHIBITED


def errcode(e):
    return SFTPServer.convert_errno(e.errno)


class Handle(SFTPHandle):
    def stat(self):
        try:
            return SFTPAttributes.from_stat(os.fstat(self.readfile.fileno()))
        except OSError as e:
            return errcode(e)

    def chattr(self, attr):
        return SFTP_OK

    def write(self, offset, data):
        if a.throttle > 0:
            time.sleep(len(data) / a.throttle)
        return super().write(offset, data)


class Files(SFTPServerInterface):
    def canonicalize(self, path):
        if not path.startswith("/"):
            path = a.home.rstrip("/") + "/" + path
        return os.path.normpath("/" + path.lstrip("/"))

    def real(self, path):
        return os.path.join(ROOT, self.canonicalize(path).lstrip("/"))

    def list_folder(self, path):
        try:
            out = []
            d = self.real(path)
            for name in os.listdir(d):
                attr = SFTPAttributes.from_stat(os.lstat(os.path.join(d, name)))
                attr.filename = name
                out.append(attr)
            return out
        except OSError as e:
            return errcode(e)

    def stat(self, path):
        try:
            return SFTPAttributes.from_stat(os.stat(self.real(path)))
        except OSError as e:
            return errcode(e)

    lstat = stat

    def open(self, path, flags, attr):
        try:
            fd = os.open(self.real(path), flags | getattr(os, "O_BINARY", 0), 0o644)
        except OSError as e:
            return errcode(e)
        if flags & os.O_WRONLY:
            mode = "ab" if flags & os.O_APPEND else "wb"
        elif flags & os.O_RDWR:
            mode = "a+b" if flags & os.O_APPEND else "r+b"
        else:
            mode = "rb"
        f = os.fdopen(fd, mode)
        h = Handle(flags)
        h.filename = self.real(path)
        h.readfile = f
        h.writefile = f
        return h

    def remove(self, path):
        try:
            os.remove(self.real(path))
        except OSError as e:
            return errcode(e)
        return SFTP_OK

    def rename(self, oldpath, newpath):
        # Like OpenSSH's server: an existing target is not replaced.
        if os.path.exists(self.real(newpath)):
            return SFTP_FAILURE
        try:
            os.rename(self.real(oldpath), self.real(newpath))
        except OSError as e:
            return errcode(e)
        return SFTP_OK

    def mkdir(self, path, attr):
        try:
            os.mkdir(self.real(path))
        except OSError as e:
            return errcode(e)
        return SFTP_OK

    def rmdir(self, path):
        try:
            os.rmdir(self.real(path))
        except OSError as e:
            return errcode(e)
        return SFTP_OK

    def chattr(self, path, attr):
        return SFTP_OK


def serve(conn):
    t = paramiko.Transport(conn)
    t.add_server_key(KEY)
    t.set_subsystem_handler("sftp", SFTPServer, Files)
    try:
        t.start_server(server=Server())
    except Exception:
        return


sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
sock.bind(("127.0.0.1", a.port))
sock.listen(16)
print("PORT %d" % sock.getsockname()[1], flush=True)
while True:
    c, _ = sock.accept()
    threading.Thread(target=serve, args=(c,), daemon=True).start()
