#!/usr/bin/python3
"""`quillon-cli upload --force` against `curl -T` of the same document, whole
processes, to the loopback test server (active mode, TYPE A for both).

    bench/upload_process_bench.py [BUILD_DIR] [RUNS]

A log of 2000 contacts; each round times the upload (the log read, the history
asked and written, the document written and stored) and then curl storing the
document that upload wrote. An upload waits for the clock's next second before
it starts, so that it never pays for the name rule (two uploads in one second).
Prints the medians, their ratio (target <= 1.5) and the upload's sync calls.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "default")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
cli = os.path.join(build, "bin", "quillon-cli")
RECORD = ',"JA%dQ%03d",,,,,,,59,59,7.041,"SSB",100,"2026/12/01","21:15",,"J",,,,,,,,,"RIG","DP",,,,,,,"73",\r\n'


def timed(argv, env):
    start = time.perf_counter()
    done = subprocess.run(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if done.returncode != 0:
        sys.exit("failed (%d): %s" % (done.returncode, " ".join(argv)))
    return time.perf_counter() - start


with tempfile.TemporaryDirectory() as d:
    os.makedirs(os.path.join(d, "root", "log"))
    server = subprocess.Popen(["/usr/bin/python3", os.path.join(ROOT, "tests/support/ftp_server.py"), "--root",
                               os.path.join(d, "root"), "--log", os.devnull, "--port-file", os.path.join(d, "port"),
                               "--user", "Q1AAA", "--password", "pw"], stderr=subprocess.DEVNULL)
    while not os.path.exists(os.path.join(d, "port")):
        time.sleep(0.05)
    port = open(os.path.join(d, "port")).read().strip()
    try:
        with open(os.path.join(d, "log.csv"), "w") as f:
            f.writelines(RECORD % (i // 1000, i % 1000) for i in range(2000))
        settings = os.path.join(d, "s.qsl")
        with open(settings, "wb") as f:
            f.write(b"\r\n".join([os.path.join(d, "log.csv").encode(), os.path.join(d, "out.xml").encode(), b"Q1AAA",
                                  b"pw", b"", b" 0 ", b"", b"", b"", b"", b"", b" 0 ", b""]) + b"\r\n")
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(d, "home"))
        upload = [cli, "upload", "--settings", settings, "--server", "127.0.0.1:" + port, "--force"]
        curl = ["curl", "-s", "-S", "--ftp-port", "-", "--use-ascii", "-T", os.path.join(d, "out.xml"),
                "ftp://Q1AAA:pw@127.0.0.1:%s/log/curl.qso" % port]
        timed(upload, env)  # the history made, the caches warm
        rows = {"upload": [], "curl": []}
        for _ in range(runs):
            second = int(time.time())
            while int(time.time()) == second:
                time.sleep(0.01)
            rows["upload"].append(timed(upload, env))
            rows["curl"].append(timed(curl, env))
        med = {k: statistics.median(v) * 1000 for k, v in rows.items()}
        print("%d runs, a log of 2000 contacts, a %d KB document; medians:" % (
            runs, os.path.getsize(os.path.join(d, "out.xml")) // 1024))
        for k, v in med.items():
            print("  %-7s %6.1f ms" % (k, v))
        print("upload / curl -T: %.2f (target <= 1.5)" % (med["upload"] / med["curl"]))
        trace = subprocess.run(["strace", "-f", "-c", "-e", "trace=fsync,fdatasync"] + upload, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True).stderr
        syncs = sum(int(line.split()[3]) for line in trace.splitlines() if line.split()[-1:] in (["fsync"],
                                                                                                ["fdatasync"]))
        print("sync calls in one upload: %d" % syncs)
    finally:
        server.kill()
