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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_support import ROOT, loopback_server, next_second, timed, write_settings  # noqa: E402

build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "default")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
cli = os.path.join(build, "bin", "quillon-cli")
RECORD = ',"JA%dQ%03d",,,,,,,59,59,7.041,"SSB",100,"2026/12/01","21:15",,"J",,,,,,,,,"RIG","DP",,,,,,,"73",\r\n'

with tempfile.TemporaryDirectory() as d, loopback_server(d) as target:
    with open(os.path.join(d, "log.csv"), "w") as f:
        f.writelines(RECORD % (i // 1000, i % 1000) for i in range(2000))
    settings = os.path.join(d, "s.qsl")
    write_settings(settings, os.path.join(d, "log.csv"), os.path.join(d, "out.xml"))
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(d, "home"))
    upload = [cli, "upload", "--settings", settings, "--server", target, "--force"]
    curl = ["curl", "-s", "-S", "--ftp-port", "-", "--use-ascii", "-T", os.path.join(d, "out.xml"),
            "ftp://Q1AAA:pw@%s/log/curl.qso" % target]
    timed(upload, env)  # the history made, the caches warm
    rows = {"upload": [], "curl": []}
    for _ in range(runs):
        next_second()
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
