"""Faults of the time sources while the clock runs: a server that dies, a name that does not
resolve, HTTP time pages that hang, fail, flood or break off, and a journal driven past its bound.
After each the clock must answer at once, and the journal must say what happened.

The servers are this test's own, on a loopback /24 of its own (PELTO_SYNC_PREFIX): a chronyd -x
behind the relay of the synchronisation tests, and an HTTP server on port 80. The clock under
test is PeltoClockSim, whose settings of the clock only move a simulated offset."""
import http.server
import os
import socketserver
import threading
import time

import pytest

import pelto
from test_dialogs import CMD_SETUP, SETUP, close_dialog, open_dialog, type_and_leave
from test_sync import RELAY, PREFIX, ink, peer, settings, start_sim, sync_ini, wait_for  # noqa: F401

SYNC_NOW, STATUS = 32778, 32783
STATUS_TITLE = "時刻同期　ステイタス"
WM_NULL = 0
HTTP_HOST = PREFIX + ".5"
UNRESOLVABLE = "nosuch.pelto.invalid"


def answers_at_once(driver, clock):
    """The clock's own thread answers a message within a second."""
    assert clock.alive(), "the clock has ended"
    started = time.monotonic()
    answer = driver(f"send {clock.hwnd} {WM_NULL} 0 0", timeout=5)
    elapsed = time.monotonic() - started
    assert answer.startswith("OK"), answer
    assert elapsed < 1.0, f"the clock took {elapsed:.2f} s to answer"


def journal(driver, clock, wait_ms=10000):
    """The journal's lines as the status dialog shows them."""
    clock.command(STATUS)
    dlg = driver.ok(f"wait {STATUS_TITLE} {wait_ms}", timeout=wait_ms / 1000 + 10)
    lines = driver.ok(f"text {dlg} 1062", timeout=30).split("\r\n")
    driver.ok(f"click {dlg} 1")
    driver.ok(f"gone {dlg} 10000")
    return lines


def quiet_ini(server, http=0, url=""):
    """No automatic synchronisation: attempts happen only when the test asks for one."""
    return pelto.ini(f"[PELTOCLOCK]\nWNDPOINTX_0=100\nWNDPOINTY_0=100\n"
                     + "".join(f"NUMCHAR{i}=0\n" for i in range(10))
                     + f"[NTP]\nFULLAUTO=0\nEXEC=1\nRASFLAG=0\nHTTP={http}\nHTTP01={url}\n"
                       f"NTP01={server}\nNTP02=\nCYCLE=2\n")


def test_a_killed_server_leaves_the_clock_answering_and_the_failure_in_the_journal(driver, clocks, peer, tmp_path):
    # The colours of the same sequence (green, yellow on failure, green again) are checked by the
    # synchronisation tests; this one adds the waiting, the answer and the journal.
    chronyd, relay = peer
    log = str(tmp_path / "settings.log")
    pelto.reset_profile(sync_ini())
    clock = start_sim(clocks, log)
    clock.command(SYNC_NOW)
    assert wait_for(lambda: settings(log), 10), "the first attempt did not set the clock"

    chronyd.stop()
    before = relay.requests
    clock.command(SYNC_NOW)
    assert wait_for(lambda: relay.requests > before, 5, 0.02), "no attempt"
    asked = time.monotonic()
    # The exchange waits three seconds for a reply that cannot come; then the clock is free.
    answer = driver(f"send {clock.hwnd} {WM_NULL} 0 0", timeout=10)
    waited = time.monotonic() - asked
    assert answer.startswith("OK") and waited < 3.0 + 1.0, (answer, waited)
    answers_at_once(driver, clock)
    assert journal(driver, clock)[-1].endswith(f" {RELAY} 受信エラー")
    assert len(settings(log)) == 1
    assert clock.alive()


def test_a_name_that_does_not_resolve_is_noted_and_turns_the_face_yellow(driver, clocks, peer, tmp_path):
    # Green first, from the relay; then both servers become a name that does not resolve.
    log = str(tmp_path / "settings.log")
    pelto.reset_profile(quiet_ini(RELAY))
    clock = start_sim(clocks, log)
    clock.command(SYNC_NOW)
    assert wait_for(lambda: settings(log), 10), "the first attempt did not set the clock"
    time.sleep(1.0)
    assert ink(driver, clock, "faults-resolvable.png")[0] > 200

    dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)
    type_and_leave(driver, dlg, 1007, UNRESOLVABLE, 1026)
    type_and_leave(driver, dlg, 1008, UNRESOLVABLE, 1026)
    close_dialog(driver, dlg, 1)
    started = time.monotonic()
    clock.command(SYNC_NOW)
    lines = journal(driver, clock)  # asked for after the attempt: it opens when that has ended
    assert time.monotonic() - started < 5, "the lookup held the clock"
    assert [line[line.index(" 0-0 ") + 5:] for line in lines[-2:]] == [
        f"{UNRESOLVABLE} サーバーに接続できませんでした。"] * 2, lines
    answers_at_once(driver, clock)
    time.sleep(1.0)
    green, yellow = ink(driver, clock, "faults-unresolvable.png")
    assert yellow > 200 and green == 0, (green, yellow)
    assert len(settings(log)) == 1


# --- HTTP time pages that fail ------------------------------------------------------------------


class HttpFaults(http.server.BaseHTTPRequestHandler):
    """/silent takes the request and never answers, /error answers 500, /flood sends 10 MB that
    hold no time, /cut promises 5000 bytes and closes after a few."""

    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.server.requests += 1
        try:
            if self.path == "/silent":
                self.server.stopping.wait(30)
            elif self.path == "/error":
                body = b"Internal Server Error\n"
                self.send_response(500)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)
            elif self.path == "/flood":
                self.send_response(200)
                self.send_header("Content-Length", str(10 * 1024 * 1024))
                self.end_headers()
                chunk = b"x" * 65536
                for _ in range(160):
                    self.wfile.write(chunk)
            elif self.path == "/cut":
                self.send_response(200)
                self.send_header("Content-Length", "5000")
                self.end_headers()
                self.wfile.write(b"<html><body>\n" + b"3" * 100)
                self.wfile.flush()
                self.connection.shutdown(2)
            else:
                self.send_error(404)
        except OSError:
            pass  # the clock hung up: it reads only the head of a long page


class HttpFaultServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self):
        super().__init__((HTTP_HOST, 80), HttpFaults)
        self.requests = 0
        self.stopping = threading.Event()


@pytest.fixture
def http_faults():
    server = HttpFaultServer()
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    yield server
    server.stopping.set()
    server.shutdown()
    server.server_close()
    thread.join(timeout=5)


def message_boxes(driver, clock):
    """The message boxes the clock has open (its own window is a dialog too, but owned by none)."""
    return [entry.split(":")[0] for entry in driver.ok(f"popups {clock.hwnd}").split("|")
            if entry.split(":")[1:2] == ["#32770"]]


# (path, failure text in the journal after the URL, whether a message box says why)
HTTP_CASES = [
    ("/silent", "http接続ができない", True),
    ("/error", "", False),
    ("/flood", "", False),
    ("/cut", None, None),  # a read that fails (box) or a page cut short without a time (note)
]


def test_http_pages_that_hang_fail_flood_or_break_off_fail_quickly(driver, clocks, http_faults, tmp_path):
    log = str(tmp_path / "settings.log")
    for path, error, boxed in HTTP_CASES:
        # The page is read from the file when the clock starts: a clock for each.
        url = f"http://{HTTP_HOST}{path}"
        pelto.reset_profile(quiet_ini("", http=1, url=url))
        clock = start_sim(clocks, log)
        count = len(journal(driver, clock))
        before = http_faults.requests
        started = time.monotonic()
        clock.command(SYNC_NOW)
        assert wait_for(lambda: http_faults.requests > before, 10, 0.02), f"{path}: no request"
        # Free again when the attempt has ended or while its message box runs.
        while not driver(f"send {clock.hwnd} {WM_NULL} 0 0", timeout=10).startswith("OK"):
            assert time.monotonic() - started < 10, f"{path}: the clock hangs"
        took = time.monotonic() - started
        assert took < 8, f"{path}: the attempt took {took:.1f} s"

        boxes = []
        wait_for(lambda: boxes.extend(message_boxes(driver, clock)) or boxes, 1.0 if boxed is not False else 0.3)
        if boxed is not None:
            assert bool(boxes) == boxed, (path, boxes)
        for box in boxes:
            said = [c.split(":", 2)[2] for c in driver.ok(f"controls {box}").split("|") if c.startswith("65535:")]
            assert said and said[0].strip(), f"{path}: the box does not say why"
            print(path, "box:", said[0])
            driver.ok(f"click {box} 1")  # its only button, OK
            driver.ok(f"gone {box} 5000")
        answers_at_once(driver, clock)

        lines = journal(driver, clock)
        assert len(lines) == count + 1, (path, lines[count:])
        if error is None:
            error = "ファイル読み込みができない" if boxes else ""
        assert lines[-1].rstrip().endswith(f" {url} {error}".rstrip()), (path, lines[-1])
        print(path, f"{took:.1f} s", lines[-1])
        assert settings(log) == [], f"{path}: the clock was set"
        answers_at_once(driver, clock)
        assert clock.close() == 0


# --- The journal's bound ------------------------------------------------------------------------


def test_the_journal_keeps_the_newest_thousand_records(driver, clocks, tmp_path):
    # A name that does not resolve fails at once (a silent address would hold each attempt for
    # the three seconds of the reply wait).
    pelto.reset_profile(quiet_ini(UNRESOLVABLE))
    clock = start_sim(clocks, str(tmp_path / "settings.log"))
    assert journal(driver, clock)[0].endswith(" 0-0 起動")
    # All requests in one go; the answers are read afterwards. The clock works through them in
    # order, so the status dialog asked for after them shows every one.
    answers = driver.batch([f"command {clock.hwnd} {SYNC_NOW}"] * 1005)
    assert answers == ["OK"] * 1005
    lines = journal(driver, clock, 120000)
    assert len(lines) == 1000, len(lines)
    assert all(line.endswith(f" {UNRESOLVABLE} サーバーに接続できませんでした。") for line in lines), lines[0]
    answers_at_once(driver, clock)
