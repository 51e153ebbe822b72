"""The installer and the archive as a user meets them, under Wine: a silent
install for this user and one for everyone, quillon-cli.exe run from where it
was put, a silent uninstall that leaves the user's settings alone; an install
by hand on a Japanese and on an English system, whose last page starts Quillon.

  installer_test.py PREFIX SETUP_EXE ZIP VERSION
"""
import os
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from wine_desktop import Desktop  # noqa: E402


README = "readme-ja.txt"
MENU = ["Quillon.lnk", "Quillon お読みください.lnk"]


def wait_until(test, what, timeout=30):
    deadline = time.monotonic() + timeout
    while not test():
        assert time.monotonic() < deadline, what
        time.sleep(0.2)


def check_mode(desktop, setup, mode, folder, menu):
    desktop.wine(setup, "/S", "/" + mode)
    files = ["quillon-cli.exe", "quillon.exe", README, "uninstall.exe"]
    assert sorted(os.listdir(folder)) == files, "%s install left %r" % (mode, os.listdir(folder))
    for entry in MENU:
        assert os.path.exists(os.path.join(menu, entry)), "no Start-menu entry %s for %s" % (entry, mode)
    out = desktop.wine(os.path.join(folder, "quillon-cli.exe"), "--help").stdout.decode("utf-8")
    assert "quillon-cli" in out and "upload" in out, "installed quillon-cli --help said %r" % out

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
    desktop.wine("taskkill", "/f", "/im", "quillon.exe")
    desktop.wine(os.path.join(folder, "uninstall.exe"), "/S", "/CurrentUser")
    wait_until(lambda: not os.path.exists(folder), "uninstall after %s left %r" % (lang, folder))


def main():
    prefix, setup, archive, version = sys.argv[1:5]
    with zipfile.ZipFile(archive) as z:
        top = "quillon-%s/" % version
        names = sorted(z.namelist())
        assert names == [top, top + "quillon-cli.exe", top + "quillon.exe", top + README], names
    with Desktop(prefix) as desktop:
        drive = os.path.join(desktop.prefix, "drive_c")
        roaming = os.path.dirname(desktop.settings_folder())
        user = os.path.dirname(os.path.dirname(roaming))
        settings = os.path.join(desktop.settings_folder(), "qsodata.qsl")
        os.makedirs(os.path.dirname(settings), exist_ok=True)
        with open(settings, "wb") as f:
            f.write(b"kept\r\n")
        check_mode(desktop, setup, "CurrentUser", os.path.join(user, "AppData", "Local", "Programs", "Quillon"),
                   os.path.join(roaming, "Microsoft", "Windows", "Start Menu", "Programs"))
        check_mode(desktop, setup, "AllUsers", os.path.join(drive, "Program Files", "Quillon"),
                   os.path.join(drive, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs"))
        with open(settings, "rb") as f:
            assert f.read() == b"kept\r\n", "the uninstaller touched the settings"
        mine = os.path.join(user, "AppData", "Local", "Programs", "Quillon")
        check_by_hand(desktop, setup, "ja_JP.UTF-8", "Quillon %s セットアップ" % version, mine)
        check_by_hand(desktop, setup, "en_US.UTF-8", "Quillon %s Setup" % version, mine)
    print("installed, run and uninstalled for one user and for all, by hand in Japanese and in English")


if __name__ == "__main__":
    main()
