#!/usr/bin/python3
"""The window's start against a bare Qt window of the same size, under Xvfb.

    xvfb-run -a bench/window_bench.py [BUILD_DIR] [RUNS]

Each round starts build/bin/window_start (the program as main.cpp starts it, with
a settings file in place) and build/bin/bare_window, in turn; each ends at its
window's first paint. Prints the medians and their ratio (target <= 1.2).
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "default")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
env = dict(os.environ, QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "xcb"))

with tempfile.TemporaryDirectory() as d:
    os.makedirs(os.path.join(d, "quillon"))
    with open(os.path.join(d, "quillon", "qsodata.qsl"), "wb") as f:
        f.write(b"\r\n".join([b"log.csv", b"out.xml", b"Q1AAA", b"pw", b"", b" 0 ", b"", b"", b"", b"", b"",
                              b" 0 ", b""]) + b"\r\n")
    env["XDG_CONFIG_HOME"] = d
    times = {"window_start": [], "bare_window": []}
    for i in range(runs + 1):
        for name in times:
            start = time.perf_counter()
            subprocess.run([os.path.join(build, "bin", name)], env=env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if i > 0:  # the first round warms the caches
                times[name].append(time.perf_counter() - start)
    med = {k: statistics.median(v) for k, v in times.items()}
    for k, v in med.items():
        print("  %-13s %6.1f ms" % (k, v * 1000))
    print("window / bare: %.2f (target <= 1.2)" % (med["window_start"] / med["bare_window"]))
