"""What every package's test holds of the programs a user installs: none of
them answers the tests' switches (QUILLON_TEST), so an upload asked to fail
its store stores the document all the same."""
import contextlib
import os
import subprocess
import sys
import tempfile
import time

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "ftp_server.py")


def no_test_hook(paths):
    for path in paths:
        with open(path, "rb") as f:
            data = f.read()
        for word in (b"QUILLON_TEST", "QUILLON_TEST".encode("utf-16-le")):
            assert word not in data, "%s holds %r: the tests' switches went into a package" % (path, word)


def settings(log, out):
    """A settings file's bytes: the sample log, the document, Q1AAA and its password."""
    return ("%s\r\n%s\r\nQ1AAA\r\nsecret\r\n\r\n 0 \r\n\r\n\r\n\r\n\r\n\r\n 0 \r\n\r\n" % (log, out)).encode()


@contextlib.contextmanager
def loopback_server():
    """A loopback FTP server (user Q1AAA, password secret): its port and the folder it stores into."""
    with tempfile.TemporaryDirectory(prefix="quillon-ftp-") as d:
        port_file = os.path.join(d, "port")
        root = os.path.join(d, "root")
        os.makedirs(os.path.join(root, "log"))
        server = subprocess.Popen([sys.executable, SERVER, "--root", root, "--log", os.path.join(d, "log"),
                                   "--port-file", port_file, "--user", "Q1AAA", "--password", "secret"])
        try:
            deadline = time.monotonic() + 20
            while not os.path.exists(port_file):
                assert server.poll() is None and time.monotonic() < deadline, "the FTP server did not start"
                time.sleep(0.05)
            with open(port_file) as f:
                yield int(f.read()), os.path.join(root, "log")
        finally:
            server.kill()
            server.wait()


def stores_despite_fail_put(upload):
    """upload(server, env) runs the installed quillon-cli upload to that server with env added."""
    with loopback_server() as (port, stored):
        done = upload("127.0.0.1:%d" % port, {"QUILLON_TEST": "fail-put"})
        assert done.returncode == 0 and len(os.listdir(stored)) == 1, \
            "QUILLON_TEST=fail-put: exit %d, stored %r\n%s%s" % (done.returncode, os.listdir(stored),
                                                                 done.stdout, done.stderr)
