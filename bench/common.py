"""What every benchmark needs: paths, processes started and stopped by pid, CPU and memory read
from /proc, the benchmark's own Xvfb, Wine prefix and loopback peers, and the figure lines.

Everything here runs under scripts/nocaps (make bench starts run.py through it), so no process
started from here holds CAP_SYS_TIME. Only loopback addresses are used.
"""
import ctypes
import glob
import hashlib
import os
import signal
import socket
import statistics
import struct
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
NATIVE = os.path.join(ROOT, "build", "native")
MINGW = os.path.join(ROOT, "build", "mingw")
OUT = os.path.join(ROOT, "build", "bench")
NOCAPS = os.path.join(ROOT, "scripts", "nocaps")
PREFIX = os.path.join(OUT, "wineprefix")
CLOCK_EXE = os.path.join(MINGW, "src", "app", "PeltoClock.exe")
DRIVER_EXE = os.path.join(MINGW, "tests", "e2e", "pelto-driver.exe")
CLOCK_TITLE = "ペルト　時計"


def native_bin(name):
    return os.path.join(NATIVE, "bench", name)


def mingw_bin(name):
    return os.path.join(MINGW, "bench", name)


def log(text):
    """Progress notes go to standard error; the figures alone go to standard output."""
    print(f"  .. {text}", file=sys.stderr, flush=True)


# --- figures -----------------------------------------------------------------------------------

FIGURES = []


def fmt(value, digits=3):
    if value is None:
        return "n/a"
    if isinstance(value, str):
        return value
    if abs(value) >= 1000:
        return f"{value:.0f}"
    return f"{value:.{digits}f}"


def ratio_text(ours, peer):
    if ours is None or peer is None or isinstance(ours, str) or isinstance(peer, str):
        return "n/a"
    if peer == 0:
        return "inf" if ours > 0 else "1.00 (both 0)"
    ratio = ours / peer
    if 0 < abs(ratio) < 0.1:
        return f"{ratio:.1e} (1/{1 / ratio:.0f})"
    return f"{ratio:.2f}"


def figure(bench, what, ours_label, ours, peer_label, peer, unit, digits=3, note="", signed=False):
    """One line: our figure, the peer's figure in the same run, and ours/peer (for a signed figure,
    whose ratio would mean nothing, ours - peer)."""
    if signed:
        compared = "n/a" if ours is None or peer is None else f"{ours - peer:+.{digits}f} {unit}"
        compared = f"difference ours-peer {compared}"
    else:
        compared = f"ratio ours/peer {ratio_text(ours, peer)}"
    line = (f"[{bench}] {what}: {ours_label} {fmt(ours, digits)} {unit} | {peer_label} {fmt(peer, digits)} {unit}"
            f" | {compared}")
    if note:
        line += f"  ({note})"
    print(line, flush=True)
    FIGURES.append(line)


def say(bench, text):
    """A line that is not a comparison (a count, or why a figure is missing)."""
    line = f"[{bench}] {text}"
    print(line, flush=True)
    FIGURES.append(line)


def median(values):
    return statistics.median(values) if values else None


def percentile(values, p):
    """The p-th percentile by the nearest-rank rule (95 of 30 values: the 29th smallest)."""
    if not values:
        return None
    ordered = sorted(values)
    rank = max(1, -(-len(ordered) * p // 100))
    return ordered[int(rank) - 1]


# --- processes ---------------------------------------------------------------------------------

STARTED = []  # every process group this run started, stopped at the end whatever happens


class Started:
    """A process started in its own process group; stopped by its pid (and that group)."""

    def __init__(self, cmd, env=None, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=None,
                 name=None):
        self.name = name or os.path.basename(cmd[0])
        if stderr is None:
            stderr = open(os.path.join(OUT, f"{self.name}.log"), "ab")
        self.proc = subprocess.Popen(cmd, env=env, stdin=stdin, stdout=stdout, stderr=stderr,
                                     start_new_session=True)
        self.pid = self.proc.pid
        STARTED.append(self)

    def alive(self):
        return self.proc.poll() is None

    def stop(self, grace=5.0):
        if self.proc.poll() is None:
            try:
                os.killpg(self.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                self.proc.wait(timeout=grace)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(self.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                self.proc.wait(timeout=10)
        if self in STARTED:
            STARTED.remove(self)


def stop_all():
    for p in list(reversed(STARTED)):
        try:
            p.stop(grace=3)
        except Exception as e:  # keep stopping the others
            log(f"stopping {p.name}: {e}")


def wait_for(predicate, timeout, step=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return None


# --- /proc -------------------------------------------------------------------------------------

CLK_TCK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """User plus system CPU of a process, threads that ended included (10 ms ticks)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLK_TCK


def cpu_ns(pid):
    """CPU time of a process's live threads in nanoseconds (the scheduler's own account)."""
    total = 0
    for stat in glob.glob(f"/proc/{pid}/task/*/schedstat"):
        try:
            with open(stat) as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass
    return total


class CpuMeter:
    """CPU of a set of processes between two readings, in seconds: the scheduler's nanosecond
    account of their live threads, or the 10 ms ticks of /proc/<pid>/stat (which keep ended
    threads too), whichever saw more."""

    def __init__(self, pids):
        self.pids = list(pids)
        self.start = self._read()

    def _read(self):
        ticks = ns = 0.0
        for p in self.pids:
            try:
                ticks += cpu_seconds(p)
                ns += cpu_ns(p) / 1e9
            except (OSError, IndexError, ValueError):
                pass
        return ticks, ns

    def seconds(self):
        now = self._read()
        return max(now[0] - self.start[0], now[1] - self.start[1])


def status_kb(pid, key):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return None


def private_kb(pid):
    """Resident memory no other process shares (Private_Clean + Private_Dirty of smaps_rollup)."""
    total = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                total += int(line.split()[1])
    return total


def descendants(pid):
    """pid and every process below it, by walking the children lists."""
    found, queue = [], [pid]
    while queue:
        p = queue.pop()
        found.append(p)
        for children in glob.glob(f"/proc/{p}/task/*/children"):
            try:
                queue.extend(int(c) for c in open(children).read().split())
            except OSError:
                pass
    return found


def comm(pid):
    try:
        with open(f"/proc/{pid}/comm") as f:
            return f.read().strip()
    except OSError:
        return ""


# --- X display ---------------------------------------------------------------------------------

class Display:
    """The benchmark's own Xvfb, found by the display number it reports; stopped by pid."""

    def __init__(self, background="#404040"):
        r, w = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24",
                                        "-nolisten", "tcp"], pass_fds=(w,), stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(w)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(r, 16)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(r)
        self.name = ":" + number.decode().strip()
        self.pid = self.server.pid
        wrapper = Started.__new__(Started)
        wrapper.name, wrapper.proc, wrapper.pid = "Xvfb", self.server, self.server.pid
        STARTED.append(wrapper)
        self.wrapper = wrapper
        subprocess.run(["xsetroot", "-display", self.name, "-solid", background], check=False)

    def env(self, base=None):
        env = dict(base or os.environ)
        env["DISPLAY"] = self.name
        return env

    def stop(self):
        self.wrapper.stop()


# --- Wine ----------------------------------------------------------------------------------------

def wine_env(display=None, extra=None):
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": PREFIX, "WINEARCH": "win64", "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        "LANG": "ja_JP.UTF-8", "LC_ALL": "ja_JP.UTF-8", "TZ": "Asia/Tokyo",
    })
    if display:
        env["DISPLAY"] = display.name
    env.update(extra or {})
    return env


def wine_cmd(exe, *args):
    return [NOCAPS, "wine", exe, *[str(a) for a in args]]


def ensure_prefix():
    """The benchmark's own Wine prefix (build/bench/wineprefix), made once like the tests' one,
    so its wineserver serves the measured programs alone."""
    subprocess.run([os.path.join(ROOT, "scripts", "wine-prefix.sh")], env=wine_env(), check=True,
                   stdout=subprocess.DEVNULL)


def wineserver(*args, display=None):
    subprocess.run([NOCAPS, "wineserver", *args], env=wine_env(display), check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wineserver_pid():
    """The wineserver of this prefix: the one whose working folder is named after the prefix's
    device and inode."""
    st = os.stat(PREFIX)
    suffix = f"server-{st.st_dev:x}-{st.st_ino:x}"
    for cwd in glob.glob("/proc/[0-9]*/cwd"):
        try:
            target = os.readlink(cwd)
        except OSError:
            continue
        if target.endswith(suffix):
            pid = int(cwd.split("/")[2])
            if comm(pid).startswith("wineserver"):
                return pid
    return None


def warm_wine(display):
    """Starts a persistent wineserver for the prefix and its services (a first program run to its
    end), so each measured program finds Wine as a started Windows would be."""
    wineserver("-p", display=display)
    subprocess.run(wine_cmd("cmd.exe", "/c", "exit"), env=wine_env(display), check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)


def stop_wine(display=None):
    """Ends this prefix's wineserver and every Windows process of the prefix (only the
    benchmark's own prefix)."""
    wineserver("-k", display=display)
    wait_for(lambda: wineserver_pid() is None, 10)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def roaming_dir():
    found = [d for d in glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData", "Roaming"))
             if "/Public/" not in d]
    if not found:
        raise RuntimeError("the bench prefix has no user profile")
    return found[0]


def settings_dir():
    return os.path.join(roaming_dir(), "PELTO")


def settings_file():
    return os.path.join(settings_dir(), "PELTO.INI")


def write_settings(text):
    """A settings file for the clock under test: CRLF lines in code page 932."""
    os.makedirs(settings_dir(), exist_ok=True)
    data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932")
    with open(settings_file(), "wb") as f:
        f.write(data)


def clock_settings(peers, seconds=0, x=100, y=100, extra=""):
    """Default settings except where the defaults would leave this machine: the servers are the
    benchmark's loopback ones. The window sits at (x, y) so screen checks know where to look."""
    return (f"[PELTOCLOCK]\nWNDPOINTX_0={x}\nWNDPOINTY_0={y}\nSECFLAG={seconds}\n{extra}"
            f"[NTP]\nNTP01={peers.real}\nNTP02=\nHTTP01={peers.closed}/cgi-bin/ntp\nHTTP02=\n"
            + "".join(f"NTP{i}={peers.real}\n" for i in range(5)))


class Driver:
    """pelto-driver.exe (the end-to-end tests' hands inside Wine), one command per line."""

    def __init__(self, display):
        self.started = Started(wine_cmd(DRIVER_EXE), env=wine_env(display), stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, name="driver")
        self.proc = self.started.proc

    def __call__(self, line, timeout=30):
        import select
        self.proc.stdin.write(line.encode("utf-8") + b"\n")
        self.proc.stdin.flush()
        buf = b""
        deadline = time.monotonic() + timeout
        while not buf.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError(f"driver gave no answer to {line!r}")
            ready, _, _ = select.select([self.proc.stdout], [], [], left)
            if ready:
                chunk = os.read(self.proc.stdout.fileno(), 1)
                if not chunk:
                    raise RuntimeError("driver ended")
                buf += chunk
        return buf.decode("utf-8", "replace").rstrip("\n").replace("\x1e", "\r").replace("\x1f", "\n")

    def wait_clock(self, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            answer = self(f"wait {CLOCK_TITLE} 1000")
            if answer.startswith("OK"):
                return answer[3:]
        raise RuntimeError("the clock window did not appear")

    def close(self):
        try:
            self.proc.stdin.write(b"quit\n")
            self.proc.stdin.flush()
            self.proc.wait(timeout=10)
        except Exception:
            pass
        self.started.stop()


def windows_pid_of(started, image):
    """The Linux pid of the Windows program started as `started` (Wine keeps the pid across its
    own execs; the process's name becomes the image name)."""
    def find():
        for pid in descendants(started.pid):
            if comm(pid).lower().startswith(image.lower()[:15]):
                return pid
        return None
    return wait_for(find, 30)


# --- loopback peers ------------------------------------------------------------------------------

def peer_prefix():
    """A /24 of loopback addresses of this checkout's benchmarks, apart from the test trees'."""
    digest = hashlib.md5(os.path.join(OUT, "peers").encode()).hexdigest()
    return f"127.{100 + int(digest[0:2], 16) % 150}.{1 + int(digest[2:4], 16) % 250}"


class Peers:
    """chronyd -x serving this machine's clock, chronyd -x under faketime with known offsets, a
    relay that delays requests by 20 ms to one of those, a silent socket, and a closed address.

    The offsets are more than a second either way on purpose: chronyd takes a datagram's receive
    time from the kernel (which faketime does not fake) unless it is a second or more away from
    its own clock, so under a smaller faked offset its receive and transmit times disagree by the
    whole offset. INCONSISTENT_MS is such a server, kept to show what clients make of it."""

    AHEAD_MS, BEHIND_MS, ASYMMETRY_MS, INCONSISTENT_MS = 1234, -1789, 20, -789

    def __init__(self):
        p = peer_prefix()
        self.dir = os.path.join(OUT, "peers")
        os.makedirs(self.dir, exist_ok=True)
        self.real, self.ahead, self.behind = f"{p}.1", f"{p}.2", f"{p}.3"
        self.asymmetric, self.closed, self.silent = f"{p}.4", f"{p}.5", f"{p}.6"
        self.inconsistent = f"{p}.7"
        self.started = []
        self._chronyd("real", self.real, 0)
        self._chronyd("ahead", self.ahead, self.AHEAD_MS)
        self._chronyd("behind", self.behind, self.BEHIND_MS)
        self._chronyd("inconsistent", self.inconsistent, self.INCONSISTENT_MS)
        relay = Started([NOCAPS, "/usr/bin/python3", os.path.join(ROOT, "bench", "relay.py"), self.asymmetric,
                         self.ahead, str(self.ASYMMETRY_MS)], stdout=subprocess.PIPE, name="relay")
        self.started.append(relay)
        if relay.proc.stdout.readline().strip() != b"ready":
            raise RuntimeError("the relay did not start")
        # A socket that takes requests and never answers: a server that has gone quiet.
        self.silent_socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.silent_socket.bind((self.silent, 123))
        for name in ("real", "ahead", "behind", "inconsistent"):
            if not wait_for(lambda: os.path.getsize(self._pidfile(name)) > 0
                            if os.path.exists(self._pidfile(name)) else False, 10):
                raise RuntimeError(f"chronyd {name} did not start: see {self.dir}/{name}.log")
        time.sleep(0.5)

    def _pidfile(self, name):
        return os.path.join(self.dir, f"{name}.pid")

    def _chronyd(self, name, address, offset_ms):
        conf = os.path.join(self.dir, f"{name}.conf")
        with open(conf, "w") as f:
            f.write(f"local stratum 8\nallow 127.0.0.0/8\nbindaddress {address}\nport 123\ncmdport 0\n"
                    f"pidfile {self._pidfile(name)}\n")
        if os.path.exists(self._pidfile(name)):
            os.remove(self._pidfile(name))
        cmd = [NOCAPS]
        if offset_ms:
            sign = "+" if offset_ms > 0 else "-"
            cmd += ["faketime", "-f", f"{sign}{abs(offset_ms) / 1000:.3f}s"]
        # -x: chronyd never touches the clock; nocaps: it could not if it tried.
        cmd += ["chronyd", "-x", "-d", "-u", "root", "-f", conf]
        self.started.append(Started(cmd, stderr=open(os.path.join(self.dir, f"{name}.log"), "wb"),
                                    name=f"chronyd-{name}"))

    def stop(self):
        self.silent_socket.close()
        for s in reversed(self.started):
            s.stop()


# --- file events ---------------------------------------------------------------------------------

IN_MODIFY, IN_CLOSE_WRITE, IN_OPEN, IN_MOVED_TO, IN_CREATE = 0x2, 0x8, 0x20, 0x80, 0x100


class FileEvents:
    """Counts how often files in one folder got new contents, from inotify: a rewrite in place is
    an open, writes, and a close after writing; a replacement is a file renamed over it. An
    open for writing that writes nothing (a profile call checking it may write) is no rewrite.
    The kernel merges an event into an identical one still unread, so the writes of one rewrite
    may show as one event; the opens keep two rewrites apart."""

    def __init__(self, folder):
        self.libc = ctypes.CDLL("libc.so.6", use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        mask = IN_OPEN | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO
        if self.libc.inotify_add_watch(self.fd, folder.encode(), mask) < 0:
            raise OSError(ctypes.get_errno(), "inotify_add_watch")
        self.events = []

    def drain(self):
        while True:
            try:
                data = os.read(self.fd, 65536)
            except BlockingIOError:
                return self.events
            pos = 0
            while pos < len(data):
                _, mask, _, length = struct.unpack_from("iIII", data, pos)
                name = data[pos + 16:pos + 16 + length].rstrip(b"\0").decode("utf-8", "replace")
                self.events.append((mask, name))
                pos += 16 + length

    def rewrites(self, name):
        """Times the file `name` got new contents: written in place, or renamed over."""
        self.drain()
        count, written = 0, False
        for mask, n in self.events:
            if n.lower() != name.lower():
                continue
            if mask & IN_OPEN:
                written = False
            if mask & IN_MODIFY:
                written = True
            if mask & IN_CLOSE_WRITE:
                count += written
                written = False
            if mask & IN_MOVED_TO:
                count += 1
        return count

    def reset(self):
        self.drain()
        self.events = []

    def close(self):
        os.close(self.fd)
