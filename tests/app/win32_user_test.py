"""A new user's first session with quillon.exe, under Wine on Xvfb: clicks
and keys through xdotool, what the windows show read back by win_spy.exe.

  win32_user_test.py PREFIX QUILLON_EXE LOOPBACK_EXE SPY_EXE
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from wine_desktop import Desktop  # noqa: E402

MAIN = "Quillon for Tarnis"
PICTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "windows")
BOX = "quillon"
OPEN = "開く"  # the system's file dialog on the desktop's Japanese system
NAVY = (0, 0, 128)


class Screen:
    """The windows as win_spy.exe sees them."""

    def __init__(self, desktop, spy):
        self.desktop, self.spy = desktop, spy

    def look(self, title):
        out = subprocess.run(["wine", self.spy, title], env=self.desktop.env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if out.returncode != 0:
            return None
        lines = out.stdout.decode("utf-8").splitlines()
        window = tuple(map(int, lines[0].split()[1:]))
        children = []
        for line in lines[1:]:
            cls, text, place = line.split("|", 2)
            words = place.split()
            children.append({"class": cls, "text": text, "flags": words[:-4],
                             "rect": tuple(map(int, words[-4:]))})
        return {"window": window, "children": children}

    def wait(self, title, until=lambda seen: True, timeout=30, what=""):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            seen = self.look(title)
            if seen is not None and until(seen):
                return seen
            time.sleep(0.2)
        raise AssertionError("no window %r %s within %d s; last seen: %r" % (title, what, timeout, self.look(title)))

    def press(self, control):
        """A click in the middle of the control."""
        x, y, w, h = control["rect"]
        self.desktop.xdotool("mousemove", str(x + w // 2), str(y + h // 2))
        self.desktop.xdotool("click", "1")

    def click(self, seen, text, cls="Button"):
        self.press(child(seen, text, cls))

    def type_into(self, seen, index, text):
        """Replaces the text of the index-th edit box, as a user types it."""
        self.press([c for c in seen["children"] if c["class"] == "Edit"][index])
        self.desktop.xdotool("key", "--delay", "30", "End", "shift+Home", "Delete")
        self.desktop.xdotool("type", "--delay", "30", text)

    def answer(self, message):
        """The message box shows `message`; the user presses OK."""
        seen = self.wait(BOX, what="saying " + message)
        texts = [c["text"] for c in seen["children"] if c["class"] == "Static" and c["text"]]
        assert texts == [message], "message box says %r, not %r" % (texts, message)
        self.click(seen, "OK")
        deadline = time.monotonic() + 10
        while self.look(BOX) is not None:
            assert time.monotonic() < deadline, "message box %r stays after OK" % message
            time.sleep(0.2)


def child(seen, text, cls):
    for c in seen["children"]:
        if c["class"] == cls and c["text"] == text:
            return c
    raise AssertionError("no %s %r in %r" % (cls, text, [c["text"] for c in seen["children"]]))


def edits(seen):
    return [c["text"] for c in seen["children"] if c["class"] == "Edit"]


def is_dialog(seen):
    return any(c["text"] == "ＯＫ" for c in seen["children"])


def ended(process, what, timeout=20):
    try:
        process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        raise AssertionError(what + " did not end")


def as_drawn(desktop, name, title):
    """The window, pixel for pixel, against its picture in tests/data/windows;
    QUILLON_REDRAW=1 draws the picture anew."""
    picture, drawn = os.path.join(PICTURES, name), os.path.join(os.path.dirname(desktop.prefix), "drawn-" + name)
    window = desktop.window(title)
    # A part just uncovered (a box gone) is drawn again a moment later, later
    # still on a busy machine: the picture may come right within a few seconds.
    deadline = time.monotonic() + 10
    while True:
        desktop.screenshot(window, drawn)
        if os.environ.get("QUILLON_REDRAW"):
            time.sleep(2)  # what stands then is the window as drawn
            desktop.screenshot(window, drawn)
            shutil.copy(drawn, picture)
            return
        differ = subprocess.run(["compare", "-metric", "AE", picture, drawn, "null:"], capture_output=True, text=True)
        if differ.stderr.strip() == "0" or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    assert differ.stderr.strip() == "0", "%s: %s pixels differ; as drawn: %s" % (name, differ.stderr, drawn)


def first_session(screen, desktop, quillon, data):
    folder = desktop.settings_folder()
    shutil.rmtree(folder, ignore_errors=True)
    first = desktop.start(quillon)
    screen.answer("まず最初に設定を行って下さい")
    main = screen.wait(MAIN)
    assert main["window"][2:] == (408, 82), "client area %r" % (main["window"][2:],)
    with open(os.path.join(folder, "qsodata.qsl"), "rb") as f:
        assert f.read() == (b"\r\n" * 5 + b" 0 \r\n") * 2 + b"\r\n", "the first settings file"
    assert os.path.getsize(os.path.join(folder, "qsoupdata.xml")) == 0

    second = desktop.start(quillon)
    screen.answer("Quillonは既に起動しています!!")
    ended(second, "the second quillon.exe")
    assert first.poll() is None, "the first quillon.exe ended too"
    screen.wait(MAIN, lambda seen: not is_dialog(seen))
    as_drawn(desktop, "win32-main-window.png", MAIN)

    screen.click(main, "設定")
    dialog = screen.wait(MAIN, is_dialog, what="as the settings dialog")
    as_drawn(desktop, "win32-settings-dialog.png", MAIN)
    assert edits(dialog)[:2] == ["tarnis.csv", "qsoupdata.xml"], edits(dialog)
    screen.click(dialog, "ＯＫ")
    screen.answer("コールサインを入力して下さい")

    # 参照 of the input row: the system's file dialog, the log chosen by name.
    log = "Z:" + os.path.join(data, "tarnis.csv").replace("/", "\\")
    screen.click(dialog, "参照")
    screen.wait(OPEN, what="(the file dialog)")
    desktop.xdotool("type", "--delay", "30", log)
    desktop.xdotool("key", "Return")
    dialog = screen.wait(MAIN, lambda seen: edits(seen)[0] == log, what="showing the chosen log")
    # 参照 of the output row opens on the name the one file dialog kept;
    # cancelled, it changes nothing.
    screen.press([c for c in dialog["children"] if c["text"] == "参照"][1])
    opened = screen.wait(OPEN, what="(the file dialog, again)")
    # It shows the kept name in the kept file's folder.
    assert "tarnis.csv" in edits(opened), "the file dialog forgot %r: %r" % (log, edits(opened))
    desktop.xdotool("key", "Escape")
    dialog = screen.wait(MAIN, lambda seen: is_dialog(seen) and screen.look(OPEN) is None)
    assert edits(dialog)[:2] == [log, "qsoupdata.xml"], edits(dialog)
    screen.type_into(dialog, 1, "Z:" + os.path.join(data, "qsoupdata.xml").replace("/", "\\"))
    screen.type_into(dialog, 2, "Q1AAA")
    screen.type_into(dialog, 3, "secret")
    screen.click(dialog, "ＯＫ")
    screen.answer("設定を更新しました。")
    main = screen.wait(MAIN, lambda seen: not is_dialog(seen), what="as the main window again")
    with open(os.path.join(folder, "qsodata.qsl"), "rb") as f:
        assert f.read().split(b"\r\n")[2:4] == [b"Q1AAA", b"secret"], "the saved settings"
    screen.click(main, "終了")
    ended(first, "quillon.exe after 終了")


def upload(screen, desktop, loopback, data):
    root = tempfile.mkdtemp(prefix="quillon-user-ftp-")
    os.makedirs(os.path.join(root, "log"))
    port_file, log = os.path.join(root, "port"), os.path.join(root, "server.log")
    server = subprocess.Popen(
        [sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "ftp_server.py"),
         "--root", root, "--log", log, "--port-file", port_file, "--user", "Q1AAA", "--password", "secret",
         "--mode", "late-226"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    try:
        while not os.path.exists(port_file):
            assert server.poll() is None, "the FTP server did not start"
            time.sleep(0.05)
        with open(port_file) as f:
            port = f.read().strip()
        program = desktop.start(loopback, "127.0.0.1", port)
        main = screen.wait(MAIN)
        picture = child(main, "", "QuillonPicture")["rect"]
        screen.click(main, "アップロード開始")
        # The server holds its 226 with every byte in: the bar must stand at 100.
        deadline = time.monotonic() + 30
        while "== holding the 226" not in open(log).read():
            assert time.monotonic() < deadline, "the transfer never finished"
            time.sleep(0.1)
        time.sleep(0.5)
        width, height, rows = desktop.pixels("root")
        x, y, w, h = picture
        bar = [rows[y + i][x:x + w] for i in range(h)]
        assert any(all(p == NAVY for p in row) for row in bar), \
            "Picture1 at %r shows no full navy row: %r" % (picture, sorted({p for row in bar for p in row}))
        done = screen.wait(MAIN, lambda seen: " --アップロード正常終了しました!--" in edits(seen), timeout=20,
                           what="reporting the upload")
        assert "hidden" in child(done, "", "QuillonPicture")["flags"]
        stored = os.listdir(os.path.join(root, "log"))
        assert len(stored) == 1 and stored[0].startswith("Q1AAA."), stored
        with open(os.path.join(root, "log", stored[0]), "rb") as a, open(os.path.join(data, "qsoupdata.xml"), "rb") as b:
            assert a.read() == b.read(), "the stored document differs from the written one"
        # Pressed again: the task dialog asks; Enter and Esc each answer 中止.
        ready = lambda seen: any(c["text"] == "アップロード開始" and "disabled" not in c["flags"] for c in seen["children"])
        for key in ("Return", "Escape"):
            done = screen.wait(MAIN, ready, what="with its buttons back")
            screen.click(done, "アップロード開始")
            box = screen.wait(BOX, lambda seen: any(c["text"] == "すべて送信" for c in seen["children"]),
                              what="asking about the contacts sent")
            texts = [c["text"] for c in box["children"] if c["text"]]
            assert any(t.startswith("この記録の2000件はすべて送信済みです。") for t in texts), texts
            assert "中止" in texts, texts
            desktop.keys(desktop.window(BOX), key)
            done = screen.wait(MAIN, lambda seen: "   アップロードを中止しました" in edits(seen), timeout=20,
                               what="stopped by " + key)
        assert os.listdir(os.path.join(root, "log")) == stored, "a stopped run stored something"
        screen.click(done, "終了")
        ended(program, "quillon after 終了")
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(root, ignore_errors=True)


def main():
    prefix, quillon, loopback, spy = sys.argv[1:5]
    data = tempfile.mkdtemp(prefix="quillon-user-")
    record = (',"JA1AAA","3",,,,,,599,579,7.025,"CW",10,"2024/01/01","09:30",,"J",,,,,,,,,"RIG-1",'
              '"DP",,,"",,,,"TNX",\r\n')
    with open(os.path.join(data, "tarnis.csv"), "w", newline="") as f:
        f.write(record * 2000)  # long enough that Wine shows the bar while it runs
    try:
        with Desktop(prefix) as desktop:
            screen = Screen(desktop, spy)
            first_session(screen, desktop, quillon, data)
            upload(screen, desktop, loopback, data)
    finally:
        shutil.rmtree(data, ignore_errors=True)
    print("a new user's session under Wine: as expected")


if __name__ == "__main__":
    main()
