"""Starts loopback FTP servers (ftp_server.py) for test programs that cannot
start a Linux process themselves: Windows tests under Wine ask through files.

  ftp_broker.py start SPOOL   leaves the broker running in the background
  ftp_broker.py stop SPOOL    ends it and every server it started

A test writes SPOOL/ID.req (user, password and mode, a line each); the broker
starts a server and answers SPOOL/ID.ready (the port and the server's folder,
a line each) or SPOOL/ID.failed (why). When ID.req goes, so does its server.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
IDLE_LIMIT = 1800  # s without a request: a run that never said stop is over


def write_atomically(path, text):
    with open(path + ".tmp", "w") as f:
        f.write(text)
    os.rename(path + ".tmp", path)


def start_server(spool, ticket):
    with open(os.path.join(spool, ticket + ".req")) as f:
        user, password, mode = (f.read().split("\n") + ["", "", ""])[:3]
    base = tempfile.mkdtemp(prefix="quillon-ftp-")
    os.makedirs(os.path.join(base, "root", "log"))
    port_file = os.path.join(base, "port")
    err = open(os.path.join(base, "stderr"), "w")
    server = subprocess.Popen(
        [sys.executable, "-u", os.path.join(HERE, "ftp_server.py"), "--root", os.path.join(base, "root"),
         "--log", os.path.join(base, "server.log"), "--port-file", port_file, "--user", user,
         "--password", password, "--mode", mode or "normal"],
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err)
    deadline = time.monotonic() + 10
    while not os.path.exists(port_file):
        if server.poll() is not None or time.monotonic() > deadline:
            server.kill()
            server.wait()
            err.close()
            with open(os.path.join(base, "stderr")) as f:
                write_atomically(os.path.join(spool, ticket + ".failed"), f.read() or "did not start")
            shutil.rmtree(base, ignore_errors=True)
            return None
        time.sleep(0.01)
    with open(port_file) as f:
        port = f.read().strip()
    write_atomically(os.path.join(spool, ticket + ".ready"), "%s\n%s\n" % (port, base))
    return server, base


def stop_server(server, base):
    server.terminate()
    try:
        server.wait(2)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()
    shutil.rmtree(base, ignore_errors=True)


def serve(spool):
    running = {}
    last_request = time.monotonic()
    stop_file = os.path.join(spool, "stop")
    while not os.path.exists(stop_file) and time.monotonic() - last_request < IDLE_LIMIT:
        tickets = {n[:-4] for n in os.listdir(spool) if n.endswith(".req")}
        for ticket in tickets - running.keys():
            last_request = time.monotonic()
            running[ticket] = start_server(spool, ticket)
        for ticket in running.keys() - tickets:
            if running[ticket]:
                stop_server(*running[ticket])
            for end in (".ready", ".failed"):
                if os.path.exists(os.path.join(spool, ticket + end)):
                    os.remove(os.path.join(spool, ticket + end))
            del running[ticket]
        time.sleep(0.01)
    for started in running.values():
        if started:
            stop_server(*started)


def start(spool):
    shutil.rmtree(spool, ignore_errors=True)
    os.makedirs(spool)
    pid_file = os.path.join(spool, "broker.pid")
    if os.fork() == 0:
        # Detached, its output nowhere: ctest waits for every pipe to close.
        os.setsid()
        if os.fork() != 0:
            os._exit(0)
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
        write_atomically(pid_file, str(os.getpid()))
        try:
            serve(spool)
        finally:
            os.remove(pid_file)
        os._exit(0)
    deadline = time.monotonic() + 10
    while not os.path.exists(pid_file):
        if time.monotonic() > deadline:
            sys.exit("ftp_broker: did not start")
        time.sleep(0.01)


def stop(spool):
    pid_file = os.path.join(spool, "broker.pid")
    if not os.path.exists(pid_file):
        return
    open(os.path.join(spool, "stop"), "w").close()
    deadline = time.monotonic() + 10
    while os.path.exists(pid_file) and time.monotonic() < deadline:
        time.sleep(0.05)
    if os.path.exists(pid_file):
        with open(pid_file) as f:
            os.kill(int(f.read()), signal.SIGKILL)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        sys.exit("usage: ftp_broker.py start|stop SPOOL")
    (start if sys.argv[1] == "start" else stop)(sys.argv[2])
