"""Loopback FTP server for the tests (pyftpdlib).

Binds 127.0.0.1 on a free port, writes the port to --port-file once it
listens, and logs every command received ("<- ") and reply sent ("-> ")
to --log. Stored files keep the bytes as they arrived, in either TYPE.
"""
import argparse
import os
import re
import socket
import struct
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

BREAK_AT = 64 * 1024  # data bytes taken before a drop or a stall
SLOW = 40 * 1024  # bytes a second the slow modes take: a phone's uplink
# Multi-line, with a continuation line that carries no code.
REFUSE_TEXT = ("550-Storing is refused:\r\n"
               " this test server does not accept uploads\r\n"
               "550 into the log folder right now.\r\n")
# greet-NNN, stor-NNN, end-NNN: that reply in place of the greeting, of
# STOR's 150, of the 226 that follows the data; port-NNN, pasv-NNN: to PORT
# and EPRT, to EPSV and PASV.
CODED = re.compile(r"(greet|stor|end|port|pasv)-[1-5][0-9][0-9]$")


# What PORT and EPRT get: refused, or taken and then never connected.
NO_ACTIVE = {"no-active": "425 Can't connect to specified address.",
             "refuse-active": "500 Illegal PORT command.",
             "refuse-both": "500 Illegal PORT command.",
             "no-connect-back": "200 Active data connection established.",
             "no-connect-back-slow": "200 Active data connection established.",
             "active-425": "200 Active data connection established."}
NO_PASSIVE = ("refuse-passive", "refuse-both")  # EPSV and PASV: 502
# Replies as real servers send them: the greeting, the login, PWD and the
# store's end in several lines; each reply in two pieces, a pause between; the
# store's end a code and no text.
REAL_REPLIES = ("multi-line", "split-replies", "bare-code")


def closed_port():
    """A port of 127.0.0.1 nobody listens on: passive-closed names it for the data."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def coded(text, mode):
    return "%s %s refused by the test server.\r\n" % (mode[-3:], text)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--log", required=True)
    ap.add_argument("--port-file", required=True)
    ap.add_argument("--user", required=True)
    ap.add_argument("--password", required=True)
    ap.add_argument("--mode", default="normal")
    args = ap.parse_args()
    mode = args.mode
    if mode not in ("normal", "slow-store", "refuse-store", "drop", "stall-transfer", "stall-replies", "silent-greeting",
                    "no-226", "busy-once", "late-226", "passive-closed", "passive-silent", *NO_ACTIVE, *NO_PASSIVE, *REAL_REPLIES) and not CODED.match(mode):
        ap.error("no mode " + mode)
    log = open(args.log, "a", buffering=1, encoding="utf-8", errors="replace")

    def note(text):
        log.write(text + "\n")

    class Data(ThrottledDTPHandler if mode in ("slow-store", "no-connect-back-slow") else DTPHandler):
        timeout = 0  # a stalled transfer must stay stalled
        read_limit = SLOW

        def __init__(self, sock, cmd_channel):
            if mode == "stall-transfer":
                # Keep the window small so the sender notices the stall early.
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 16 * 1024)
            super().__init__(sock, cmd_channel)
            self.broken = False

        def enable_receiving(self, type, cmd):
            super().enable_receiving(type, cmd)
            self._data_wrapper = None  # no CR LF rewriting: keep the bytes

        def handle_read(self):
            if self.broken:
                return
            super().handle_read()
            if self.tot_bytes_received < BREAK_AT or self._closed:
                return
            if mode == "drop":
                self.broken = True
                note("== dropping data connection after %d bytes" % self.tot_bytes_received)
                self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack("ii", 1, 0))
                self._resp = ("426 Connection closed; transfer aborted.", lambda *a, **k: None)
                self.close()
            elif mode == "stall-transfer":
                self.broken = True
                note("== stalling data connection after %d bytes" % self.tot_bytes_received)
                self.del_channel()  # socket stays open, nobody reads it

        handle_read_event = handle_read  # the base class binds its own

    class Control(FTPHandler):
        dtp_handler = Data
        banner = "Quillon test FTP server ready."
        auth_failed_timeout = 0
        timeout = 0

        def pre_process_command(self, line, cmd, arg):
            note("<- " + line)
            if mode == "stall-replies" and self.authenticated and cmd != "PWD":
                return  # heard, never answered
            super().pre_process_command(line, cmd, arg)

        turned_away = [False]  # busy-once: the first connection only

        def handle(self):
            if mode.startswith("greet-"):
                self.push(coded("Connection", mode))
                self.close_when_done()
                return
            if mode == "busy-once" and not Control.turned_away[0]:
                Control.turned_away[0] = True
                note("== turning away the first connection")
                self.push("421 Too many connections, try again later.\r\n")
                self.close_when_done()
                return
            super().handle()

        def active_refused(self):
            if mode.startswith("port-"):
                self.respond(coded("Active mode", mode).rstrip())
            elif mode in NO_ACTIVE:
                self.active_asked = True
                self.respond(NO_ACTIVE[mode])
            return mode in NO_ACTIVE or mode.startswith("port-")

        def passive_refused(self):
            if mode.startswith("pasv-"):
                self.respond(coded("Passive mode", mode).rstrip())
            elif mode in NO_PASSIVE:
                self.respond("502 Passive mode refused by the test server.")
            elif mode == "passive-silent":
                note("== not answered")
            return mode in NO_PASSIVE or mode.startswith("pasv-") or mode == "passive-silent"

        def ftp_PORT(self, line):
            if not self.active_refused():
                return super().ftp_PORT(line)

        def ftp_PASV(self, line):
            if self.passive_refused():
                return
            if mode == "passive-closed":
                port = closed_port()
                self.respond("227 Entering passive mode (127,0,0,1,%d,%d)." % (port >> 8, port & 255))
                return
            return super().ftp_PASV(line)

        def ftp_EPSV(self, line):
            if self.passive_refused():
                return
            if mode == "passive-closed":
                self.respond("229 Entering extended passive mode (|||%d|)." % closed_port())
                return
            return super().ftp_EPSV(line)

        def ftp_STOR(self, file, mode_="w"):
            if mode.startswith("no-connect-back") and getattr(self, "active_asked", False):  # never connects
                self.respond("150 File status okay. About to open data connection.")
                return
            if mode == "active-425" and getattr(self, "active_asked", False):
                self.respond("425 Can't open data connection.")
                return
            if mode == "refuse-store" or mode.startswith("stor-"):
                self.push(REFUSE_TEXT if mode == "refuse-store" else coded("Storing", mode))
                return
            return super().ftp_STOR(file, mode_)

        def ftp_EPRT(self, line):
            if not self.active_refused():
                return super().ftp_EPRT(line)

        def respond(self, resp, *rest, **kw):
            if mode == "late-226" and resp.startswith("226"):
                note("== holding the 226 for 3 s")
                time.sleep(3)  # the sender has sent all: its bar stands at 100
            if mode.startswith("end-") and resp.startswith("226"):
                resp = coded("Storing", mode).rstrip()
            if mode == "silent-greeting" or (mode == "no-226" and resp.startswith("226")):
                note("== not sent: " + resp)
                return
            if mode == "multi-line" and resp[:3] in ("220", "230", "257", "226"):
                self.push("%s-The first line of three,\r\n%s-the second,\r\n" % (resp[:3], resp[:3]))
            if mode == "bare-code" and resp.startswith("226"):
                resp = "226 "
            if mode == "split-replies":
                note("-> " + resp + "  (in two pieces)")
                self.socket.sendall(resp[:2].encode())
                time.sleep(0.1)
                return FTPHandler.push(self, resp[2:] + "\r\n")
            super().respond(resp, *rest, **kw)

        def push(self, s):
            for part in s.split("\r\n"):
                if part:
                    note("-> " + part)
            super().push(s)
        def _rel(self, path):
            return "/" + os.path.relpath(path, args.root)

        def on_file_received(self, file):
            note("== received %s %d" % (self._rel(file), os.path.getsize(file)))

        def on_incomplete_file_received(self, file):
            note("== incomplete %s %d" % (self._rel(file), os.path.getsize(file)))

    auth = DummyAuthorizer()
    auth.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    Control.authorizer = auth

    server = FTPServer(("127.0.0.1", 0), Control)
    port = server.socket.getsockname()[1]
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % port)
    os.rename(tmp, args.port_file)  # the reader never sees a half-written port
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
