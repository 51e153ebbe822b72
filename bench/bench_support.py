"""What the whole-process benchmarks share: a timed run, the loopback FTP
server, a settings file."""
import contextlib
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def timed(argv, env, ok=(0,)):
    """Wall seconds of one run; the benchmark ends when it fails."""
    start = time.perf_counter()
    done = subprocess.run(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if done.returncode not in ok:
        sys.exit("failed (%d): %s" % (done.returncode, " ".join(argv)))
    return time.perf_counter() - start


@contextlib.contextmanager
def loopback_server(folder):
    """tests/support/ftp_server.py on 127.0.0.1 (user Q1AAA, password pw),
    storing under folder/root/log; yields "127.0.0.1:PORT"."""
    os.makedirs(os.path.join(folder, "root", "log"))
    port_file = os.path.join(folder, "port")
    server = subprocess.Popen(["/usr/bin/python3", os.path.join(ROOT, "tests/support/ftp_server.py"), "--root",
                               os.path.join(folder, "root"), "--log", os.path.join(folder, "server.log"),
                               "--port-file", port_file, "--user", "Q1AAA", "--password", "pw"],
                              stderr=subprocess.DEVNULL)
    try:
        while not os.path.exists(port_file):
            time.sleep(0.05)
        with open(port_file) as f:
            yield "127.0.0.1:" + f.read().strip()
    finally:
        server.kill()


def write_settings(path, csv, xml):
    """The 13 lines, for the callsign Q1AAA and the server's password."""
    with open(path, "wb") as f:
        f.write(b"\r\n".join([csv.encode(), xml.encode(), b"Q1AAA", b"pw", b"", b" 0 ", b"", b"", b"", b"", b"",
                              b" 0 ", b""]) + b"\r\n")


def next_second():
    """Waits for the clock's next second, so that an upload never waits for it
    itself (two uploads to one server within a second would share a name)."""
    second = int(time.time())
    while int(time.time()) == second:
        time.sleep(0.01)


DAY_RECORD = ',"JA%dQ%03d",,,,,,,59,59,7.041,"SSB",100,"%s","21:15",,"J",,,,,,,,,"RIG","DP",,,,,,,"73",\r\n'


def write_day_log(path, day):
    """2000 contacts on one day (a number from 0), none like another day's."""
    date = "20%02d/%02d/%02d" % (26 + day // 336 % 74, day // 28 % 12 + 1, day % 28 + 1)
    with open(path, "w") as f:
        f.writelines(DAY_RECORD % (i // 1000, i % 1000, date) for i in range(2000))
