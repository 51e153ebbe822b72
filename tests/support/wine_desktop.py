"""A Wine desktop on Xvfb for the Win32 windows: a prefix of its own with the
Japanese fonts mapped and Wine's own title bars, an X display, and the moves a
user makes (xdotool). The user test and scripts/screenshots share it.
"""
import fcntl
import os
import shutil
import subprocess
import sys
import time

# The forms' fonts, drawn with the IPA fonts Debian ships.
FONT_SUBSTITUTES = {
    "ＭＳ ゴシック": "IPAGothic", "ＭＳ Ｐゴシック": "IPAPGothic", "MS Gothic": "IPAGothic",
    "MS PGothic": "IPAPGothic", "MS UI Gothic": "IPAPGothic",
}


WINE_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "wine-run")


class Desktop:
    def __init__(self, prefix, arch=None):
        """arch: "win32" or "win64" (the default: WINEARCH, else win64)."""
        self.prefix = os.path.abspath(prefix)
        self.arch = arch or os.environ.get("WINEARCH") or "win64"
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH=self.arch, WINEDEBUG="-all",
                        LANG="ja_JP.UTF-8", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.xvfb = None

    def __enter__(self):
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        self.lock = open(self.prefix + ".lock", "w")  # one desktop a prefix at a time
        fcntl.flock(self.lock, fcntl.LOCK_EX)
        read, write = os.pipe()
        # Xvfb picks a free display and names it on the descriptor.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-dpi", "96", "-nolisten", "tcp"],
            pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            self.env["DISPLAY"] = ":" + f.readline().strip()
        self._prepare_prefix()
        return self

    def __exit__(self, *exc):
        self.end_programs()
        self.xvfb.terminate()
        self.xvfb.wait()
        self.lock.close()

    def _prepare_prefix(self):
        ready = os.path.join(self.prefix, ".quillon-ready")
        # What the prefix is made for, as scripts/wine-run says it: made anew when that changed.
        made_for = subprocess.run(["sh", WINE_RUN, "--made-for"], env=self.env, capture_output=True,
                                  text=True, check=True).stdout
        if not os.path.exists(ready) or open(ready).read() != made_for:
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.wine("wineboot", "-i")
            for name, font in FONT_SUBSTITUTES.items():
                self.reg("HKCU\\Software\\Wine\\Fonts\\Replacements", name, font)
            # No window manager on Xvfb: Wine draws the frames and does not
            # wait for a manager to withdraw a hidden window (2 s each).
            self.reg("HKCU\\Software\\Wine\\X11 Driver", "Decorated", "N")
            self.reg("HKCU\\Software\\Wine\\X11 Driver", "Managed", "N")
            fonts = os.path.join(self.prefix, "drive_c", "windows", "Fonts")
            shutil.copy("/usr/share/wine/fonts/marlett.ttf", fonts)
            with open(ready, "w") as f:
                f.write(made_for)
        subprocess.run(["wineserver", "-p60"], env=self.env)  # already running: fine

    def end_programs(self):
        """Ends every program of the prefix, in either kind (taskkill in a 64-bit
        prefix with the 32-bit Wine installed cannot end a 64-bit program)."""
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)

    def reg(self, key, name, value):
        self.wine("reg", "add", key, "/v", name, "/d", value, "/f")

    def wine(self, *args, **kw):
        return subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True, **kw)

    def start(self, exe, *args):
        return subprocess.Popen(["wine", exe, *args], env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def settings_folder(self):
        """%APPDATA%\\Quillon of the prefix's user, as a Linux path."""
        users = os.path.join(self.prefix, "drive_c", "users")
        user = [u for u in os.listdir(users) if u != "Public"][0]
        return os.path.join(users, user, "AppData", "Roaming", "Quillon")

    # --- what a user does -------------------------------------------------------

    def xdotool(self, *args, timeout=30):
        return subprocess.run(["xdotool", *args], env=self.env, stdout=subprocess.PIPE, text=True,
                              timeout=timeout).stdout.split()

    def window(self, title, timeout=30):
        """The X window of the visible top-level window titled exactly `title`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % title)
            if found:
                return found[-1]
            time.sleep(0.2)
        raise AssertionError("no window titled %r within %d s" % (title, timeout))

    def keys(self, window, *keys):
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", "--delay", "50", *keys)

    def screenshot(self, window, path):
        self.xdotool("mousemove", "0", "0")  # no tool tip over the picture
        subprocess.run(["import", "-window", window, path], env=self.env, check=True)

    def pixels(self, window):
        """The window's picture as (width, height, rows of (r, g, b))."""
        self.xdotool("mousemove", "0", "0")
        ppm = subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"], env=self.env, check=True,
                             stdout=subprocess.PIPE).stdout
        head = ppm.split(b"\n", 3)
        w, h = map(int, head[1].split())
        data = head[3]
        return w, h, [[tuple(data[(y * w + x) * 3:(y * w + x) * 3 + 3]) for x in range(w)] for y in range(h)]


if __name__ == "__main__":
    # wine_desktop.py run PREFIX PROGRAM [ARGS...]: a Windows program on a
    # desktop of its own; its exit status is this one's.
    if len(sys.argv) < 4 or sys.argv[1] != "run":
        sys.exit("usage: wine_desktop.py run PREFIX PROGRAM [ARGS...]")
    with Desktop(sys.argv[2]) as desktop:
        status = subprocess.run(["wine", *sys.argv[3:]], env=desktop.env, stdin=subprocess.DEVNULL).returncode
    sys.exit(status)
