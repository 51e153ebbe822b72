"""The Debian package as apt and a user meet it, leaving the system alone: its
fields and files, apt resolving its dependencies (simulated), the programs run
from the package unpacked into a temp folder (none answering the tests'
switches), its desktop entry and metainfo.

  deb_test.py BUILD_DIR SAMPLE_SETTINGS SAMPLE_LOG VERSION
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

import shipped


def check(args, expect_rc=0, cwd=None):
    done = subprocess.run(args, capture_output=True, text=True, timeout=120, cwd=cwd)
    assert done.returncode == expect_rc, "%s: exit %d\n%s%s" % (args, done.returncode, done.stdout, done.stderr)
    return done.stdout


def main():
    build, settings, log, version = [os.path.abspath(a) for a in sys.argv[1:4]] + sys.argv[4:5]
    work = tempfile.mkdtemp(prefix="quillon-deb-")
    try:
        check(["cpack", "--config", os.path.join(build, "CPackConfig.cmake"), "-G", "DEB", "-B", work])
        deb = os.path.join(work, "quillon_%s_amd64.deb" % version)
        fields = {k: check(["dpkg-deb", "-f", deb, k]).strip() for k in ("Package", "Version", "Section", "Depends")}
        assert fields["Package"] == "quillon" and fields["Version"] == version, fields
        assert fields["Section"] == "hamradio", fields
        for need in ("libqt6widgets6", "libcurl4", "libsqlite3-0", "fonts-ipafont-gothic", "qt6-qpa-plugins"):
            assert need in fields["Depends"], "Depends lacks %s: %s" % (need, fields["Depends"])
        listing = check(["dpkg-deb", "-c", deb])
        for path in ("./usr/bin/quillon", "./usr/bin/quillon-cli", "./usr/lib/x86_64-linux-gnu/quillon/quillon_inet_curl.so",
                     "./usr/lib/x86_64-linux-gnu/quillon/quillon_history_sqlite.so",
                     "./usr/share/man/man1/quillon.1.gz", "./usr/share/man/man1/quillon-cli.1.gz",
                     "./usr/share/man/ja/man1/quillon.1.gz", "./usr/share/man/ja/man1/quillon-cli.1.gz",
                     "./usr/share/locale/ja/LC_MESSAGES/quillon-cli.mo",
                     "./usr/share/bash-completion/completions/quillon-cli",
                     "./usr/share/applications/quillon.desktop", "./usr/share/icons/hicolor/32x32/apps/quillon.png",
                     "./usr/share/metainfo/org.quillon.Quillon.metainfo.xml", "./usr/share/doc/quillon/copyright"):
            assert " %s\n" % path in listing, "the package lacks " + path
        check(["apt-get", "install", "--simulate", "-q", deb])
        # No maintainer script: the modules are private, ldconfig has nothing to do.
        control = os.path.join(work, "control")
        check(["dpkg-deb", "-e", deb, control])
        assert sorted(os.listdir(control)) == ["control", "md5sums"], os.listdir(control)
        if shutil.which("lintian"):
            said = subprocess.run(["lintian", "--fail-on", "none", deb], capture_output=True, text=True, timeout=240)
            faults = [l for l in said.stdout.splitlines() if l.startswith(("E:", "W:"))]
            assert not faults, "lintian:\n" + said.stdout

        # Unpacked anywhere, the programs find their modules: an
        # upload to a closed port fails at connecting (12029), not at loading (126).
        root = os.path.join(work, "root")
        check(["dpkg", "-x", deb, root])
        cli = os.path.join(root, "usr", "bin", "quillon-cli")
        assert check([cli, "--version"]) == "quillon-cli %s\n" % version
        out = os.path.join(work, "out.xml")
        assert check([cli, "convert", "--settings", settings, "--csv", log, "--out", out]) == "3 records written to %s\n" % out
        # On a Japanese system it speaks Japanese, from the package's catalog, and
        # man shows the Japanese page (its folders as the package lays them out).
        ja = dict(os.environ, LC_ALL="ja_JP.UTF-8", LANGUAGE="")
        said = subprocess.run([cli, "convert", "--settings", settings, "--csv", log, "--out", out],
                              capture_output=True, text=True, timeout=60, env=ja)
        assert said.stdout == "3件のレコードを %s に書き込みました\n" % out, said.stdout + said.stderr
        for page, name in (("quillon-cli", "Tarnis の交信ログを変換して"), ("quillon", "Tarnis の交信ログを Varnel")):
            shown = subprocess.run(["man", "-L", "ja", page], capture_output=True, text=True, timeout=60,
                                   env=dict(ja, MANPATH=os.path.join(root, "usr", "share", "man"), MANWIDTH="80",
                                            MANPAGER="cat"))
            assert shown.returncode == 0 and name in shown.stdout and not shown.stderr, shown.stdout + shown.stderr
        env = dict(os.environ, XDG_CONFIG_HOME=work)
        with open(os.path.join(work, "s.qsl"), "w", newline="") as f:
            f.write("%s\r\n%s\r\nQ1AAA\r\nsecret\r\n\r\n 0 \r\n\r\n\r\n\r\n\r\n\r\n 0 \r\n\r\n" % (log, out))
        upload = subprocess.run([cli, "upload", "--settings", "s.qsl", "--server", "127.0.0.1:1", "--json"],
                                capture_output=True, text=True, timeout=60, env=env, cwd=work)
        assert upload.returncode == 3 and '"error":12029' in upload.stdout, upload.stdout + upload.stderr
        # The history's module is found the same way: the failed run is recorded.
        assert "history not" not in upload.stderr, upload.stderr
        assert os.path.getsize(os.path.join(work, "quillon", "uploads.sqlite")) > 0

        # Nothing of the tests in the package.
        shipped.no_test_hook(os.path.join(folder, name) for folder, _, names in os.walk(root) for name in names
                             if not os.path.islink(os.path.join(folder, name)))
        shipped.stores_despite_fail_put(lambda server, more: subprocess.run(
            [cli, "upload", "--settings", "s.qsl", "--server", server, "--force"], capture_output=True, text=True,
            timeout=60, env=dict(env, **more), cwd=work))

        # Built as Debian builds its own: hardening-check's "no" exits 1. Control flow
        # marks are left out: Debian 12's own start files (crti.o) lack them, so no
        # program linked there has them. What a module has no call for counts as
        # unknown (stack clash) or is left out (fortify, the stack protector).
        if shutil.which("hardening-check"):
            modules = os.path.join(root, "usr/lib/x86_64-linux-gnu/quillon")
            for path, skip in (("usr/bin/quillon", []), ("usr/bin/quillon-cli", []),
                               ("usr/lib/x86_64-linux-gnu/quillon/quillon_inet_curl.so", ["--nofortify"]),
                               ("usr/lib/x86_64-linux-gnu/quillon/quillon_history_sqlite.so",
                                ["--nofortify", "--nostackprotector"])):
                check(["hardening-check", "--nocfprotection"] + skip + [os.path.join(root, path)])
            assert sorted(os.listdir(modules)) == ["quillon_history_sqlite.so", "quillon_inet_curl.so"]

        check(["desktop-file-validate", os.path.join(root, "usr/share/applications/quillon.desktop")])
        if shutil.which("appstreamcli"):
            check(["appstreamcli", "validate", "--no-net",
                   os.path.join(root, "usr/share/metainfo/org.quillon.Quillon.metainfo.xml")])
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
