#!/usr/bin/python3
"""Whole processes of quillon-cli against cp of its own output, paired run by run.

    bench/process_bench.py [BUILD_DIR] [RUNS]

A 2000-record log (the example contact of tests/data/documents, 2000 times) is
converted; each round times `quillon-cli convert`, `cp` of the document it
wrote and `quillon-cli --help`, in turn, and reads each child's peak RSS.
Prints the medians and the ratios against the targets of this machine.
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
cli = os.path.join(build, "bin", "quillon-cli")


def measure(argv):
    """Wall seconds of one run, and its peak RSS (KB) through GNU time, whose own
    small footprint is all that the child starts from (a child of this
    interpreter would report the interpreter's)."""
    start = time.perf_counter()
    done = subprocess.run(argv, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    rss = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True)
    if done.returncode != 0 or rss.returncode != 0:
        sys.exit("failed: %s" % " ".join(argv))
    return wall, int(rss.stderr.split()[-1])


with tempfile.TemporaryDirectory() as d:
    record = open(os.path.join(ROOT, "tests/data/documents/example/log.csv"), "rb").read()
    with open(os.path.join(d, "log.csv"), "wb") as f:
        f.write(record * 2000)
    with open(os.path.join(d, "s.qsl"), "wb") as f:
        f.write(b"\r\n".join([b"x", b"x", b"Q1AAA", b"pw", b"/1", b" 0 ", b"a", b"b", b"c", b"", b"",
                              b" 1 ", b"Name"]) + b"\r\n")
    out = os.path.join(d, "out.xml")
    convert = [cli, "convert", "--settings", os.path.join(d, "s.qsl"), "--csv", os.path.join(d, "log.csv"),
               "--out", out]
    cp = ["/bin/cp", out, os.path.join(d, "copy.xml")]
    helps = [cli, "--help"]
    measure(convert)  # warm the caches
    rows = {"convert": [], "cp": [], "--help": []}
    for _ in range(runs):
        for name, argv in (("convert", convert), ("cp", cp), ("--help", helps)):
            rows[name].append(measure(argv))
    med = {k: (statistics.median(w for w, _ in v), statistics.median(r for _, r in v)) for k, v in rows.items()}
    print("%d runs, a 2000-record log (%d KB in, %d KB out)" % (
        runs, os.path.getsize(os.path.join(d, "log.csv")) // 1024, os.path.getsize(out) // 1024))
    for k, (w, r) in med.items():
        print("  %-8s %6.2f ms  %6.1f MB peak RSS" % (k, w * 1000, r / 1024))
    cp_ms = med["cp"][0]
    print("convert / cp: %.2f (target <= 3)" % (med["convert"][0] / cp_ms))
    print("--help / cp:  %.2f (target <= 2)" % (med["--help"][0] / cp_ms))
    print("convert RSS:  %.1f MB (target <= 6)" % (med["convert"][1] / 1024))
