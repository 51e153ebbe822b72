#!/usr/bin/python3
"""quillon-cli over a full history against an empty one, whole processes.

    bench/history_bench.py [BUILD_DIR] [RUNS]

Fills a history through the program itself: 100 uploads of 2000 contacts each
(200,000 contacts) to the loopback test server. Then each round times, with the
full history and with an empty one: `upload` of a log of 2000 contacts not sent
yet (the duplicate check's cost), `check` of it, `convert` and `--help`; and
`history --contacts` with the full one. Prints the medians, the targets, the
database's size, and whether convert, --help and the window's start open it.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_support import ROOT, loopback_server, next_second, timed, write_day_log, write_settings  # noqa: E402

build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "default")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
cli = os.path.join(build, "bin", "quillon-cli")
def opens_history(argv, env):
    trace = subprocess.run(["strace", "-f", "-e", "trace=open,openat"] + argv, env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.PIPE, text=True)
    return "uploads.sqlite" in trace.stderr


with tempfile.TemporaryDirectory() as d, loopback_server(d) as target:
    settings = os.path.join(d, "s.qsl")
    write_settings(settings, os.path.join(d, "log.csv"), os.path.join(d, "out.xml"))
    homes = {"full": os.path.join(d, "full"), "empty": os.path.join(d, "empty")}
    envs = {k: dict(os.environ, XDG_CONFIG_HOME=v) for k, v in homes.items()}
    upload = [cli, "upload", "--settings", settings, "--server", target]
    filled = time.perf_counter()
    for day in range(100):
        write_day_log(os.path.join(d, "log.csv"), day)
        timed(upload, envs["full"])
        shutil.rmtree(os.path.join(d, "root", "log"))
        os.makedirs(os.path.join(d, "root", "log"))
    database = os.path.join(homes["full"], "quillon", "uploads.sqlite")
    print("history filled in %.0f s: 100 runs, 200,000 contacts, %.1f MB (target < 40)" % (
        time.perf_counter() - filled, os.path.getsize(database) / 1e6))
    rows = {}
    for r in range(runs):
        write_day_log(os.path.join(d, "log.csv"), 1000 + r)  # new to both histories
        for kind in ("full", "empty"):
            shutil.rmtree(homes["empty"], ignore_errors=True)
            for name, argv, ok in (("check", [cli, "check", "--settings", settings, "--server", target], (0,)),
                                   ("upload", upload, (0,)),
                                   ("convert", [cli, "convert", "--settings", settings], (0,)),
                                   ("--help", [cli, "--help"], (0,))):
                if name == "upload":
                    next_second()
                rows.setdefault((name, kind), []).append(timed(argv, envs[kind], ok))
        rows.setdefault(("history --contacts", "full"), []).append(
            timed([cli, "history", "--contacts", "JA1Q500"], envs["full"]))
    med = {k: statistics.median(v) * 1000 for k, v in rows.items()}
    print("%d runs, medians:" % runs)
    for name in ("upload", "check", "convert", "--help"):
        print("  %-8s full %7.1f ms  empty %7.1f ms" % (name, med[(name, "full")], med[(name, "empty")]))
    print("  history --contacts (100 contacts in 100 runs): %.1f ms (target <= 50)" % med[
        ("history --contacts", "full")])
    print("upload: the check adds %.1f ms (target <= 20)" % (med[("upload", "full")] - med[("upload", "empty")]))
    print("check: full / empty %.2f (target <= 2)" % (med[("check", "full")] / med[("check", "empty")]))
    for name, argv in (("convert", [cli, "convert", "--settings", settings]), ("--help", [cli, "--help"])):
        print("%s opens the history: %s" % (name, opens_history(argv, envs["full"])))
    window = os.path.join(build, "bin", "window_start")
    if os.path.exists(window):
        env = dict(envs["full"], QT_QPA_PLATFORM="offscreen")
        shutil.copy(settings, os.path.join(homes["full"], "quillon", "qsodata.qsl"))
        print("the window's start opens the history: %s" % opens_history([window], env))
