"""The installer and the archives as a user meets them, under Wine, on a 32-bit
and on a 64-bit system: a silent install for this user and one for everyone,
each putting programs of the system's kind, quillon-cli.exe and quillon.exe
started from where they were put (holding nothing of the tests: an upload
asked by QUILLON_TEST to fail its store stores), a silent uninstall that leaves the user's
settings alone; an install by hand on a Japanese and on an English system,
whose last page starts Quillon.

  installer_test.py PREFIXES VERSION SETUP_EXE ZIP32 ZIP64
  (the prefixes are PREFIXES-win32 and PREFIXES-win64)
"""
import os
import struct
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from wine_desktop import Desktop  # noqa: E402
import shipped  # noqa: E402


README = "readme-ja.txt"
LOG = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "sample.csv"))
MENU = ["Quillon.lnk", "Quillon お読みください.lnk"]


def wait_until(test, what, timeout=30):
    deadline = time.monotonic() + timeout
    while not test():
        assert time.monotonic() < deadline, what
        time.sleep(0.2)


MACHINES = {"win32": 0x14C, "win64": 0x8664}  # a PE file's machine: Intel 386, x86-64
MANIFEST_ARCH = {0x14C: b'processorArchitecture="x86"', 0x8664: b'processorArchitecture="amd64"'}


def pe_machine(program):
    """The machine a Windows program's PE header names."""
    at = struct.unpack_from("<I", program, 0x3C)[0]
    assert program[at:at + 4] == b"PE\0\0", "not a PE file"
    return struct.unpack_from("<H", program, at + 4)[0]


def machine(program):
    """The machine of one of ours, once its manifest is seen to name the same
    and Windows 7, 8, 8.1 and 10/11 as supported."""
    kind = pe_machine(program)
    manifest = program[program.find(b"<assembly"):program.find(b"</assembly>")]
    assert MANIFEST_ARCH[kind] in manifest.split(b">")[1], "the manifest names another architecture"
    assert manifest.count(b"<supportedOS ") == 4, "the manifest does not name Windows 7 to 11"
    return kind


def check_mode(desktop, setup, mode, folder, menu, version):
    desktop.wine(setup, "/S", "/" + mode)
    files = ["quillon-cli.exe", "quillon.exe", README, "uninstall.exe"]
    assert sorted(os.listdir(folder)) == files, "%s install left %r" % (mode, os.listdir(folder))
    for entry in MENU:
        assert os.path.exists(os.path.join(menu, entry)), "no Start-menu entry %s for %s" % (entry, mode)
    for program in ("quillon.exe", "quillon-cli.exe"):
        with open(os.path.join(folder, program), "rb") as f:
            got = machine(f.read())
        assert got == MACHINES[desktop.arch], "%s put a %#x %s on %s" % (mode, got, program, desktop.arch)
    out = desktop.wine(os.path.join(folder, "quillon-cli.exe"), "--version").stdout.decode("utf-8")
    assert out == "quillon-cli %s\n" % version, "installed quillon-cli --version said %r" % out
    shipped.no_test_hook(os.path.join(folder, name) for name in files)
    with open(os.path.join(desktop.prefix, "drive_c", "s.qsl"), "wb") as f:
        f.write(shipped.settings("Z:" + LOG, "C:\\out.xml"))
    shipped.stores_despite_fail_put(lambda server, more: subprocess.run(
        ["wine", os.path.join(folder, "quillon-cli.exe"), "upload", "--settings", "C:\\s.qsl", "--server", server,
         "--force"], env=dict(desktop.env, **more), stdin=subprocess.DEVNULL, capture_output=True, timeout=120))
    desktop.start(os.path.join(folder, "quillon.exe"))
    desktop.window("(Quillon for Tarnis|quillon)")  # the main window, or a first start's box
    desktop.end_programs()

    desktop.wine(os.path.join(folder, "uninstall.exe"), "/S", "/" + mode)
    # The uninstaller copies itself away and returns before it is done.
    wait_until(lambda: not os.path.exists(folder), "%s uninstall left %r" % (mode, folder))
    for entry in MENU:
        assert not os.path.exists(os.path.join(menu, entry)), "Start-menu entry %s stays after %s" % (entry, mode)


def check_by_hand(desktop, setup, lang, title, folder):
    """The pages in the system's language; the default button through every
    page, the last one's ticked box starting Quillon."""
    desktop.env["LANG"] = lang
    installer = desktop.start(setup)
    window = desktop.window(title.split()[0] + " .*")  # xdotool's search matches ASCII titles only
    assert " ".join(desktop.xdotool("getwindowname", window)) == title, "the installer's title is not " + title
    deadline = time.monotonic() + 60
    while installer.poll() is None:
        assert time.monotonic() < deadline, "the installer did not end on Enter"
        desktop.keys(window, "Return")
        time.sleep(1)
    desktop.window("(Quillon for Tarnis|quillon)")  # the main window, or a first start's box
    desktop.end_programs()
    desktop.wine(os.path.join(folder, "uninstall.exe"), "/S", "/CurrentUser")
    wait_until(lambda: not os.path.exists(folder), "uninstall after %s left %r" % (lang, folder))


def check_archive(archive, arch, version):
    with zipfile.ZipFile(archive) as z:
        top = "quillon-%s/" % version
        names = sorted(z.namelist())
        assert names == [top, top + "quillon-cli.exe", top + "quillon.exe", top + README], names
        for program in ("quillon.exe", "quillon-cli.exe"):
            assert machine(z.read(top + program)) == MACHINES[arch], "%s holds a wrong %s" % (archive, program)


def check_system(prefix, arch, setup, version):
    with Desktop(prefix, arch) as desktop:
        drive = os.path.join(desktop.prefix, "drive_c")
        roaming = os.path.dirname(desktop.settings_folder())
        user = os.path.dirname(os.path.dirname(roaming))
        settings = os.path.join(desktop.settings_folder(), "qsodata.qsl")
        os.makedirs(os.path.dirname(settings), exist_ok=True)
        with open(settings, "wb") as f:
            f.write(b"kept\r\n")
        mine = os.path.join(user, "AppData", "Local", "Programs", "Quillon")
        check_mode(desktop, setup, "CurrentUser", mine,
                   os.path.join(roaming, "Microsoft", "Windows", "Start Menu", "Programs"), version)
        # Program Files on either kind: the programs are the system's own kind.
        check_mode(desktop, setup, "AllUsers", os.path.join(drive, "Program Files", "Quillon"),
                   os.path.join(drive, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs"), version)
        assert not os.path.exists(os.path.join(drive, "Program Files (x86)", "Quillon")), "put under Program Files (x86)"
        with open(settings, "rb") as f:
            assert f.read() == b"kept\r\n", "the uninstaller touched the settings"
        check_by_hand(desktop, setup, "ja_JP.UTF-8", "Quillon %s セットアップ" % version, mine)
        check_by_hand(desktop, setup, "en_US.UTF-8", "Quillon %s Setup" % version, mine)
    print("on %s: installed, run and uninstalled for one user and for all, by hand in Japanese and in English" % arch)


def main():
    prefixes, version, setup, zip32, zip64 = sys.argv[1:6]
    with open(setup, "rb") as f:
        assert pe_machine(f.read()) == MACHINES["win32"], "the installer is not a 32-bit program"
    check_archive(zip32, "win32", version)
    check_archive(zip64, "win64", version)
    for arch in ("win32", "win64"):
        check_system("%s-%s" % (prefixes, arch), arch, setup, version)


if __name__ == "__main__":
    main()
