"""The portable archive as a user unpacks it, under Wine: its programs hold
nothing of the tests, and its quillon-cli.exe stores a document with
QUILLON_TEST=fail-put set.

  archive_test.py WINE_RUN PREFIX ZIP VERSION SAMPLE_LOG
"""
import os
import subprocess
import sys
import tempfile
import zipfile

import shipped


def main():
    wine_run, prefix, archive, version, log = sys.argv[1:6]
    with tempfile.TemporaryDirectory(prefix="quillon-zip-") as work:
        with zipfile.ZipFile(archive) as z:
            z.extractall(work)
        folder = os.path.join(work, "quillon-%s" % version)
        programs = [os.path.join(folder, p) for p in ("quillon.exe", "quillon-cli.exe")]
        shipped.no_test_hook(programs)
        with open(os.path.join(work, "s.qsl"), "wb") as f:
            f.write(shipped.settings("Z:" + log, "Z:" + os.path.join(work, "out.xml")))
        shipped.stores_despite_fail_put(lambda server, more: subprocess.run(
            ["sh", wine_run, prefix, programs[1], "upload", "--settings", "Z:" + os.path.join(work, "s.qsl"),
             "--server", server, "--force"], capture_output=True, timeout=120,
            env=dict(os.environ, APPDATA="Z:" + work, **more)))
    print("the archive's programs hold no test switch; fail-put set, quillon-cli.exe stored")


if __name__ == "__main__":
    main()
