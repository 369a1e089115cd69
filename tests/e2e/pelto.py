"""Harness of the end-to-end tests: the real PeltoClock.exe under Wine in the test tree's Xvfb,
driven from outside through pelto-driver.exe (a Win32 program of the test tree) and xdotool.

Everything started here is stopped here. Every Windows process goes through scripts/wine-run,
which drops CAP_SYS_TIME.
"""
import glob
import os
import select
import signal
import subprocess
import time

ROOT = os.environ.get("PELTO_ROOT", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BUILD = os.environ.get("PELTO_BUILD", os.path.join(ROOT, "build", "mingw"))
CLOCK_EXE = os.environ.get("PELTO_CLOCK_EXE", os.path.join(BUILD, "src", "app", "PeltoClock.exe"))
DRIVER_EXE = os.environ.get("PELTO_DRIVER_EXE", os.path.join(BUILD, "tests", "e2e", "pelto-driver.exe"))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")
# Every clock is started with name lookups that cannot leave the machine: a clock on a fresh
# profile synchronises with its public default server ten seconds after it starts.
LOOPBACK_DNS = os.path.join(ROOT, "scripts", "loopback-dns")
PREFIX = os.environ.get("WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))

CLOCK_TITLE = "ペルト　時計"
ABOUT = "ペルト時計_ﾊﾞｰｼﾞｮﾝ情報"  # the About dialog's title; the driver reads '_' as a blank
CMD_ABOUT = 57664
WM_CLOSE, WM_COMMAND, WM_KEYDOWN, WM_SYSCOMMAND = 0x10, 0x111, 0x100, 0x112
WS_POPUP, WS_CAPTION, WS_SYSMENU = 0x80000000, 0x00C00000, 0x00080000
WS_EX_TOOLWINDOW, WS_EX_TOPMOST = 0x80, 0x8


def roaming_dir():
    """The prefix user's roaming application-data folder (where PELTO\\PELTO.INI lives)."""
    found = [d for d in glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData", "Roaming"))
             if "/Public/" not in d]
    assert found, "wine prefix has no user profile"
    return found[0]


def settings_dir():
    return os.path.join(roaming_dir(), "PELTO")


def settings_file():
    return os.path.join(settings_dir(), "PELTO.INI")


def reset_profile(ini_bytes=None):
    """Removes the clock's settings folder; writes PELTO.INI (bytes, code page 932) when given."""
    subprocess.run(["rm", "-rf", settings_dir()], check=True)
    if ini_bytes is not None:
        os.makedirs(settings_dir(), exist_ok=True)
        with open(settings_file(), "wb") as f:
            f.write(ini_bytes)


def ini(text):
    """Settings-file text as the clock stores it: CRLF lines in code page 932."""
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932")


def read_ini(path=None):
    """The settings file as {SECTION: {KEY: value}} (names upper-cased), or None when absent."""
    path = path or settings_file()
    if not os.path.exists(path):
        return None
    sections, current = {}, None
    for raw in open(path, "rb").read().decode("cp932", "replace").splitlines():
        line = raw.strip()
        if line.startswith("[") and "]" in line:
            current = sections.setdefault(line[1:line.index("]")].upper(), {})
        elif current is not None and "=" in line:
            key, value = line.split("=", 1)
            current.setdefault(key.strip().upper(), value.strip())
    return sections


def _env(extra=None):
    env = dict(os.environ)
    env.update(extra or {})
    return env


class Driver:
    """One pelto-driver.exe kept running; each command is a line, each answer a line."""

    def __init__(self):
        self.proc = subprocess.Popen([WINE_RUN, DRIVER_EXE], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, env=_env(), start_new_session=True)
        self._buf = b""

    def __call__(self, line, timeout=20.0):
        self.proc.stdin.write(line.encode("utf-8") + b"\n")
        self.proc.stdin.flush()
        try:
            return self.answer(timeout)
        except TimeoutError:
            raise TimeoutError(f"driver gave no answer to {line!r}") from None

    def batch(self, lines, timeout=60.0):
        """Sends many commands at once, then reads their answers: no round trip each."""
        self.proc.stdin.write("".join(line + "\n" for line in lines).encode("utf-8"))
        self.proc.stdin.flush()
        return [self.answer(timeout) for _ in lines]

    def answer(self, timeout=20.0):
        deadline = time.monotonic() + timeout
        while b"\n" not in self._buf:
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError("the driver gave no answer")
            ready, _, _ = select.select([self.proc.stdout], [], [], left)
            if ready:
                chunk = os.read(self.proc.stdout.fileno(), 65536)
                if not chunk:
                    raise RuntimeError("driver ended")
                self._buf += chunk
        raw, self._buf = self._buf.split(b"\n", 1)
        answer = raw.decode("utf-8", "replace").replace("\x1e", "\r").replace("\x1f", "\n")
        return answer

    def ok(self, line, timeout=20.0):
        answer = self(line, timeout)
        assert answer.startswith("OK"), f"{line!r} -> {answer!r}"
        return answer[3:]

    def info(self, hwnd):
        fields = dict(kv.split("=", 1) for kv in self.ok(f"info {hwnd}").split())
        for key in ("style", "exstyle", "ownerex"):
            fields[key] = int(fields[key], 16)
        fields["rect"] = tuple(int(v) for v in fields["rect"].split(","))
        return fields

    def close(self):
        try:
            self.proc.stdin.write(b"quit\n")
            self.proc.stdin.flush()
            self.proc.wait(timeout=10)
        except Exception:
            _kill(self.proc)


def _kill(proc):
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    proc.wait(timeout=10)


class Clock:
    """One running PeltoClock.exe and its clock window."""

    def __init__(self, driver, exe=CLOCK_EXE, env=None, wait=True, offline=False):
        """offline: the clock runs in a network namespace of its own with no interface up, so
        whatever its settings say, it cannot reach any host (for tests that start it on the
        default settings, whose servers are public ones)."""
        self.driver = driver
        command = [LOOPBACK_DNS, WINE_RUN, exe]
        if offline:
            command = ["unshare", "--net", "--"] + command
        self.proc = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, env=_env(env), start_new_session=True)
        self.hwnd = None
        if wait:
            self.hwnd = self.wait_window()

    def wait_window(self, timeout_ms=30000):
        # Two copies may run: take a window not yet claimed by another Clock.
        deadline = time.monotonic() + timeout_ms / 1000
        while time.monotonic() < deadline:
            answer = self.driver(f"wait {CLOCK_TITLE} 500")
            if answer.startswith("OK"):
                hwnd = answer[3:]
                if hwnd not in Clock.claimed:
                    Clock.claimed.add(hwnd)
                    return hwnd
            assert self.proc.poll() is None, f"clock exited with {self.proc.returncode}"
            time.sleep(0.2)
        raise AssertionError("clock window did not appear")

    claimed = set()

    def command(self, cid):
        self.driver.ok(f"command {self.hwnd} {cid}")

    def drain(self):
        """Returns once the clock has handled every message posted to it so far: the About
        command joins the back of its queue, so its dialog shows only when all before it are done."""
        close_dialog(self.driver, open_dialog(self.driver, self, CMD_ABOUT, ABOUT, 20000), 1)

    def alive(self):
        return self.proc.poll() is None

    def close(self, timeout=20):
        """Closes the clock as a user would (WM_CLOSE) and waits for the process to end."""
        if self.alive() and self.hwnd:
            self.driver(f"post {self.hwnd} {WM_CLOSE} 0 0")
        try:
            return self.proc.wait(timeout=timeout)
        finally:
            Clock.claimed.discard(self.hwnd)

    def kill(self):
        if self.alive():
            _kill(self.proc)
        Clock.claimed.discard(self.hwnd)


def open_dialog(driver, clock, command, title, timeout_ms=10000):
    clock.command(command)
    return driver.ok(f"wait {title} {timeout_ms}")


def close_dialog(driver, dlg, button):
    driver.ok(f"click {dlg} {button}")
    driver.ok(f"gone {dlg} 10000")


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=True, env=_env())
    from PIL import Image
    return Image.open(path).convert("RGB")


def xdo(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], check=True, env=_env())


def click(x, y, button=1, repeat=1):
    """Moves the pointer first and lets Wine see it there, then clicks, each press held for a
    moment as a hand does: a press that arrives with the motion is hit-tested where the pointer
    was, and Wine reads a right press's state only while it is held."""
    xdo("mousemove", x, y)
    time.sleep(0.3)
    for _ in range(repeat):
        xdo("mousedown", button)
        time.sleep(0.12)
        xdo("mouseup", button)
        time.sleep(0.08)


def drag(x, y, dx, dy, steps=10):
    """A left drag from (x, y) by (dx, dy) in small moves."""
    xdo("mousemove", x, y)
    time.sleep(0.3)
    xdo("mousedown", 1)
    for step in range(1, steps + 1):
        xdo("mousemove", x + dx * step // steps, y + dy * step // steps)
        time.sleep(0.05)
    xdo("mouseup", 1)
    time.sleep(0.5)


YELLOW = (255, 255, 0)
GREEN = (0, 255, 0)


def near(a, b, tol=40):
    return all(abs(x - y) <= tol for x, y in zip(a, b))


def ink_runs(img, rect, y, colour=YELLOW):
    """The horizontal runs of ink of one colour on one screen row inside a window's rectangle."""
    left, _, right, _ = rect
    runs, start = [], None
    for x in range(left, right):
        ink = near(img.getpixel((x, y)), colour)
        if ink and start is None:
            start = x
        if not ink and start is not None:
            runs.append((start, x))
            start = None
    if start is not None:
        runs.append((start, right))
    return runs


def ink_point(driver, clock, name="ink.png", colour=YELLOW):
    """A screen point on the clock's ink, on its middle row: where a hand would grab it."""
    rect = driver.info(clock.hwnd)["rect"]
    mid = rect[1] + (rect[3] - rect[1]) // 2
    runs = ink_runs(screenshot(os.path.join(artifacts_dir(), name)), rect, mid, colour)
    assert runs, "no ink on the clock's middle row"
    return runs[0][0] + 1, mid


def artifacts_dir():
    d = os.path.join(BUILD, "e2e-artifacts")
    os.makedirs(d, exist_ok=True)
    return d
