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

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "default")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
cli = os.path.join(build, "bin", "quillon-cli")
RECORD = ',"JA%dQ%03d",,,,,,,59,59,7.041,"SSB",100,"%s","21:15",,"J",,,,,,,,,"RIG","DP",,,,,,,"73",\r\n'


def log(path, day):
    """2000 contacts on one day (a number from 0), none like another day's."""
    date = "20%02d/%02d/%02d" % (day // 336 % 100, day // 28 % 12 + 1, day % 28 + 1)
    with open(path, "w") as f:
        f.writelines(RECORD % (i // 1000, i % 1000, date) for i in range(2000))


def timed(argv, env, ok=(0,)):
    start = time.perf_counter()
    done = subprocess.run(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if done.returncode not in ok:
        sys.exit("failed (%d): %s" % (done.returncode, " ".join(argv)))
    return time.perf_counter() - start


def opens_history(argv, env):
    trace = subprocess.run(["strace", "-f", "-e", "trace=open,openat"] + argv, env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.PIPE, text=True)
    return "uploads.sqlite" in trace.stderr


with tempfile.TemporaryDirectory() as d:
    server = subprocess.Popen(["/usr/bin/python3", os.path.join(ROOT, "tests/support/ftp_server.py"), "--root",
                               os.path.join(d, "root"), "--log", os.path.join(d, "server.log"), "--port-file",
                               os.path.join(d, "port"), "--user", "Q1AAA", "--password", "pw"],
                              stderr=subprocess.DEVNULL)
    os.makedirs(os.path.join(d, "root", "log"))
    while not os.path.exists(os.path.join(d, "port")) or not open(os.path.join(d, "port")).read().strip():
        time.sleep(0.05)
    target = "127.0.0.1:" + open(os.path.join(d, "port")).read().strip()
    try:
        settings = os.path.join(d, "s.qsl")
        with open(settings, "wb") as f:
            f.write(b"\r\n".join([os.path.join(d, "log.csv").encode(), os.path.join(d, "out.xml").encode(), b"Q1AAA",
                                  b"pw", b"", b" 0 ", b"", b"", b"", b"", b"", b" 0 ", b""]) + b"\r\n")
        homes = {"full": os.path.join(d, "full"), "empty": os.path.join(d, "empty")}
        envs = {k: dict(os.environ, XDG_CONFIG_HOME=v) for k, v in homes.items()}
        upload = [cli, "upload", "--settings", settings, "--server", target]
        filled = time.perf_counter()
        for day in range(100):
            log(os.path.join(d, "log.csv"), day)
            timed(upload, envs["full"])
            shutil.rmtree(os.path.join(d, "root", "log"))
            os.makedirs(os.path.join(d, "root", "log"))
        database = os.path.join(homes["full"], "quillon", "uploads.sqlite")
        print("history filled in %.0f s: 100 runs, 200,000 contacts, %.1f MB (target < 40)" % (
            time.perf_counter() - filled, os.path.getsize(database) / 1e6))
        rows = {}
        for r in range(runs):
            log(os.path.join(d, "log.csv"), 1000 + r)  # new to both histories
            for kind in ("full", "empty"):
                shutil.rmtree(homes["empty"], ignore_errors=True)
                for name, argv, ok in (("check", [cli, "check", "--settings", settings, "--server", target], (0,)),
                                       ("upload", upload, (0,)),
                                       ("convert", [cli, "convert", "--settings", settings], (0,)),
                                       ("--help", [cli, "--help"], (0,))):
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
    finally:
        server.kill()
