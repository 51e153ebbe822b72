#!/usr/bin/python3
"""`quillon-cli upload --force` against `curl -T` of the same document, whole
processes, to the loopback test server (active mode, TYPE A for both).

    bench/upload_process_bench.py [BUILD_DIR] [RUNS] [BASE_BUILD_DIR]

A log of 2000 contacts; each round times the upload (the log read, the history
asked and written, the document written and stored) and then curl storing the
document that upload wrote. Two series, each with a history of its own that
grows by 2000 contacts a round: "new", a log of contacts never sent before (a
later day each round), and "again", the same log every round, where every
contact's index entry lands beside its earlier ones and the history rewrites
most of its index pages. An upload waits for the clock's next second before
it starts, so that it never pays for the name rule (two uploads in one second).
Prints the medians, their ratio (target <= 1.5) and the upload's sync calls;
with a second build (02c9484's, say), its uploads too, in the same rounds, each
with histories of its own.
"""
import os
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_support import ROOT, loopback_server, next_second, timed, write_day_log, write_settings  # noqa: E402

build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "default")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
cli = os.path.join(build, "bin", "quillon-cli")
base = sys.argv[3] if len(sys.argv) > 3 else None
with tempfile.TemporaryDirectory() as d, loopback_server(d) as target:
    log = os.path.join(d, "log.csv")
    settings = os.path.join(d, "s.qsl")
    write_settings(settings, log, os.path.join(d, "out.xml"))
    curl = ["curl", "-s", "-S", "--ftp-port", "-", "--use-ascii", "-T", os.path.join(d, "out.xml"),
            "ftp://Q1AAA:pw@%s/log/curl.qso" % target]
    upload = [cli, "upload", "--settings", settings, "--server", target, "--force"]
    homes = {"new": dict(os.environ, XDG_CONFIG_HOME=os.path.join(d, "new")),
             "again": dict(os.environ, XDG_CONFIG_HOME=os.path.join(d, "again"))}
    rows = {"upload new": [], "upload again": [], "curl": []}
    if base:
        rows.update({"base new": [], "base again": []})
        base_upload = [os.path.join(base, "bin", "quillon-cli")] + upload[1:]
    for series, env in homes.items():
        base_env = dict(env, XDG_CONFIG_HOME=env["XDG_CONFIG_HOME"] + "-base")
        write_day_log(log, 0)
        timed(upload, env)  # the history made, the caches warm
        if base:
            timed(base_upload, base_env)
        for day in range(1, runs + 1):
            if series == "new":
                write_day_log(log, day)
            next_second()
            rows["upload " + series].append(timed(upload, env))
            rows["curl"].append(timed(curl, env))
            if base:
                next_second()
                rows["base " + series].append(timed(base_upload, base_env))
    med = {k: statistics.median(v) * 1000 for k, v in rows.items()}
    print("%d runs a series, a log of 2000 contacts, a %d KB document; medians:" % (
        runs, os.path.getsize(os.path.join(d, "out.xml")) // 1024))
    for k, v in med.items():
        print("  %-12s %6.1f ms" % (k, v))
    for series in homes:
        print("upload %s / curl -T: %.2f (target <= 1.5)" % (series, med["upload " + series] / med["curl"]))
        if base:
            print("  base %s / curl -T: %.2f" % (series, med["base " + series] / med["curl"]))
    trace = subprocess.run(["strace", "-f", "-c", "-e", "trace=fsync,fdatasync"] + upload, env=homes["new"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True).stderr
    syncs = sum(int(line.split()[3]) for line in trace.splitlines() if line.split()[-1:] in (["fsync"],
                                                                                            ["fdatasync"]))
    print("sync calls in one upload: %d" % syncs)
