"""The settings and status dialogs as a user meets them: each opened from its menu command, its
fields read back, its buttons pressed, what reaches the settings file, the connection test against
the loopback chronyd peers, and screenshots with their Japanese text.

Every settings file here either turns automatic operation off or names a loopback server, so no
test makes the clock talk to anything beyond this machine.
"""
import os
import re
import subprocess
import time

import pytest

import pelto
from pelto import ABOUT, CMD_ABOUT, close_dialog, open_dialog

SETUP = "ペルト時計　ネットワークの設定　"
STATUS = "時刻同期　ステイタス"
TEST = "ペルト時計　接続テスト"
CMD_SETUP, CMD_STATUS = 32781, 32783
WM_NEXTDLGCTL, CB_GETCURSEL, CB_SETCURSEL = 0x28, 0x147, 0x14E

TIME_MS = r" \d{4}/[ \d]\d/[ \d]\d \d\d:\d\d:\d\d\.\d{3}"
# The round trip goes below zero when, on loopback, the server's holding time straddles one more
# millisecond tick than the whole exchange did.
RESULT = r"通信時間:(-?\d+) msec  (\d+)msec (進んでいます。|遅れています。)"
QUIET = "[NTP]\nFULLAUTO=0\n"  # the clock makes no synchronisation of its own
DEFAULTS = ["ntp.nict.jp", "jp.pool.ntp.org", "time.google.com", "time.cloudflare.com"]


def peers():
    found = {}
    with open(os.path.join(os.environ["PELTO_PEERS_DIR"], "peers.txt")) as f:
        for line in f:
            name, address, *rest = line.split()
            found[name] = (address, int(rest[0]) if rest else 0)
    return found


def text(driver, dlg, cid):
    return driver.ok(f"text {dlg} {cid}")


def items(driver, dlg, cid):
    return driver.ok(f"combo {dlg} {cid}").split("|")[:-1]


def control(driver, dlg, cid):
    return driver.info(driver.ok(f"item {dlg} {cid}"))


def cursel(driver, dlg, cid):
    return int(driver.ok(f"send {driver.ok(f'item {dlg} {cid}')} {CB_GETCURSEL} 0 0"))


# A button of each dialog whose place in dialog units is known: it fixes the dialog's scale.
REFERENCE = {SETUP: (1, (131, 78, 50, 14)), STATUS: (1, (416, 228, 50, 14)), TEST: (2, (255, 145, 50, 14)),
             ABOUT: (1, (215, 167, 50, 14))}


def screen_rect(driver, dlg, title, x, y, w, h):
    """A rectangle given in the dialog's units, on the screen. (The dialog's own mapping cannot be
    asked for from another process.)"""
    cid, (rx, ry, rw, rh) = REFERENCE[title]
    left, top, right, bottom = control(driver, dlg, cid)["rect"]
    sx, sy = (right - left) / rw, (bottom - top) / rh
    ox, oy = left - rx * sx, top - ry * sy
    return (round(ox + x * sx), round(oy + y * sy), round(ox + (x + w) * sx), round(oy + (y + h) * sy))


def focus(driver, dlg, cid):
    """Moves the keyboard focus to a control the way the dialog manager does; the control that
    had it gets its focus-lost notification before this returns."""
    driver.ok(f"send {dlg} {WM_NEXTDLGCTL} 0x{driver.ok(f'item {dlg} {cid}')} 1")


def type_and_leave(driver, dlg, cid, value, then):
    """Types into a box that does not have the focus yet and leaves it for control `then` (focus
    moved onto a box that has it already would leave the box for a moment)."""
    focus(driver, dlg, cid)
    driver.ok(f"settext {dlg} {cid} {value}")
    focus(driver, dlg, then)


def wait_for(probe, timeout=20.0, step=0.3):
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(step)


def read_settings():
    """The settings file as {SECTION: {KEY: value}}, checking that it is well-formed on the way:
    CR LF lines, each a section header or key=value, no key twice in a section."""
    with open(pelto.settings_file(), "rb") as f:
        data = f.read()
    assert data.endswith(b"\r\n") and b"\r\n\r\n" not in data.rstrip(b"\r\n"), data[-200:]
    sections, current = {}, None
    for line in data.decode("cp932").split("\r\n")[:-1]:
        assert "\r" not in line and "\n" not in line
        if line.startswith("["):
            assert line.endswith("]") and line[1:-1].upper() not in sections, line
            current = sections.setdefault(line[1:-1].upper(), {})
            continue
        key, sep, value = line.partition("=")
        assert sep and current is not None and key.upper() not in current, line
        current[key.upper()] = value
    return sections


def history(ntp):
    return [ntp[f"NTP{i}"] for i in range(int(ntp["COUNTS"]))]


def journal(driver, clock):
    dlg = open_dialog(driver, clock, CMD_STATUS, STATUS)
    lines = text(driver, dlg, 1062).split("\r\n")
    close_dialog(driver, dlg, 1)
    return lines


# --- Network settings -------------------------------------------------------------------------


def test_network_dialog_opens_with_the_history_the_file_cycle_and_its_controls(driver, clocks):
    pelto.reset_profile(pelto.ini(QUIET))
    before = open(pelto.settings_file(), "rb").read()
    clock = clocks()
    dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)

    labels = {1026: "自動運転", 1057: "時刻修正", 1036: "動作周期", 1058: "NTP サーバー", 1059: "1", 1060: "2",
              1054: "テスト", 1055: "テスト", 1: "OK", 2: "ｷｬﾝｾﾙ"}
    for cid, label in labels.items():
        assert text(driver, dlg, cid) == label, cid
    assert driver.ok(f"check {dlg} 1026") == "0" and driver.ok(f"check {dlg} 1057") == "1"
    # No CYCLE key: the dialog shows 3 hours, though the clock itself runs with 2.
    cycles = items(driver, dlg, 1034)
    assert len(cycles) == 25 and cycles[0] == "　３０分" and cycles[9] == "　９時間" and cycles[24] == "２４時間"
    assert text(driver, dlg, 1034) == "　３時間" and cursel(driver, dlg, 1034) == 3
    # No history keys: the four defaults and the first again; the chosen first server (its
    # default) moved up from the end, so box 1007 starts with it twice.
    assert items(driver, dlg, 1007) == [DEFAULTS[0]] + DEFAULTS
    assert items(driver, dlg, 1008) == DEFAULTS + [DEFAULTS[0]]
    assert text(driver, dlg, 1007) == DEFAULTS[0] and text(driver, dlg, 1008) == ""

    # Automatic operation is off, yet the three controls it governs start enabled; its clicks
    # then switch them.
    governed = (1034, 1036, 1057)
    assert all(control(driver, dlg, c)["enabled"] == "1" for c in governed)
    driver.ok(f"click {dlg} 1026")
    wait_for(lambda: driver.ok(f"check {dlg} 1026") == "1", 5)
    assert all(control(driver, dlg, c)["enabled"] == "1" for c in governed)
    driver.ok(f"click {dlg} 1026")
    assert wait_for(lambda: control(driver, dlg, 1034)["enabled"] == "0", 5)
    assert all(control(driver, dlg, c)["enabled"] == "0" for c in governed)
    assert control(driver, dlg, 1007)["enabled"] == "1"

    # Cancel after changes writes nothing.
    type_and_leave(driver, dlg, 1007, "ntp.cancelled.example", 1008)
    close_dialog(driver, dlg, 2)
    time.sleep(1.0)
    assert open(pelto.settings_file(), "rb").read() == before
    assert clock.alive()


def test_ok_writes_servers_cycle_modes_and_history_and_typed_servers_top_both_lists(driver, clocks):
    pelto.reset_profile(pelto.ini(QUIET + "EXEC=1\nCYCLE=5\nNTP01=b.example\nNTP02=\nCOUNTS=4\n"
                                  "NTP0=a.example\nNTP1=b.example\nNTP2=Ntp.Example.ORG\nNTP3=c.example\n"))
    clock = clocks()
    dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)
    assert text(driver, dlg, 1034) == "　５時間"
    assert items(driver, dlg, 1007) == ["b.example", "a.example", "Ntp.Example.ORG", "c.example"]
    assert items(driver, dlg, 1008) == ["a.example", "b.example", "Ntp.Example.ORG", "c.example"]

    # The empty second box takes the first entry of its list once a server box is left.
    focus(driver, dlg, 1007)
    focus(driver, dlg, 1026)
    assert text(driver, dlg, 1008) == "b.example"

    # A server in other letter case, with blanks around it: trimmed, the old entry removed, on
    # top of both lists as typed.
    type_and_leave(driver, dlg, 1007, "  ntp.example.org ", 1026)
    both = ["ntp.example.org", "b.example", "a.example", "c.example"]
    assert items(driver, dlg, 1007) == both and items(driver, dlg, 1008) == both
    assert text(driver, dlg, 1007) == "ntp.example.org"

    type_and_leave(driver, dlg, 1008, "127.0.0.1", 1026)
    assert items(driver, dlg, 1008)[0] == "127.0.0.1" and items(driver, dlg, 1007)[0] == "127.0.0.1"
    assert text(driver, dlg, 1008) == "127.0.0.1"
    driver.ok(f"send {driver.ok(f'item {dlg} 1034')} {CB_SETCURSEL} 0 0")
    driver.ok(f"click {dlg} 1057")
    listed = items(driver, dlg, 1007)
    close_dialog(driver, dlg, 1)

    ntp = wait_for(lambda: read_settings().get("NTP", {}).get("NTP02") == "127.0.0.1" and read_settings()["NTP"])
    assert ntp, "OK saved the settings"
    assert (ntp["NTP01"], ntp["NTP02"], ntp["CYCLE"], ntp["FULLAUTO"], ntp["EXEC"]) == (
        "ntp.example.org", "127.0.0.1", "0", "0", "0")
    assert history(ntp) == listed == ["127.0.0.1", "ntp.example.org", "b.example", "a.example", "c.example"]
    assert "PELTOCLOCK" in read_settings(), "all settings were saved"

    # The next opening starts from what was saved.
    dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)
    assert items(driver, dlg, 1007)[:2] == ["ntp.example.org", "127.0.0.1"]
    assert text(driver, dlg, 1034) == "　３０分" and driver.ok(f"check {dlg} 1057") == "0"
    close_dialog(driver, dlg, 2)


def test_a_server_typed_with_the_keyboard_goes_into_the_lists_when_tab_leaves_the_box(driver, clocks):
    pelto.reset_profile(pelto.ini(QUIET))
    clock = clocks()
    dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)
    left, top, right, bottom = screen_rect(driver, dlg, SETUP, 69, 37, 110, 12)
    x, y = (left + right) // 2, (top + bottom) // 2
    subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "click", "1"], check=True)
    time.sleep(0.3)
    driver.ok(f"settext {dlg} 1007 ")
    subprocess.run(["xdotool", "type", "--delay", "30", "ntp.typed.example"], check=True)
    subprocess.run(["xdotool", "key", "Tab"], check=True)
    assert wait_for(lambda: items(driver, dlg, 1008)[0] == "ntp.typed.example", 10), items(driver, dlg, 1008)
    assert items(driver, dlg, 1007)[0] == "ntp.typed.example"
    close_dialog(driver, dlg, 2)


# --- Connection test --------------------------------------------------------------------------


def run_test(driver, test):
    driver.ok(f"click {test} 1055")
    assert wait_for(lambda: text(driver, test, 1028) != "", 15), "the test ends with a result line"
    return {cid: text(driver, test, cid) for cid in (1002, 1003, 1004, 1005, 1001, 1028)}


def test_connection_test_against_chronyd_shows_the_exchange_and_changes_nothing(driver, clocks):
    peer = peers()
    server, _ = peer["chronyd"]
    ahead, offset_ms = peer["chronyd_offset"]
    silent = server.rsplit(".", 1)[0] + ".3"  # nothing listens there
    pelto.reset_profile(pelto.ini(QUIET + f"NTP01={server}\nNTP02={ahead}\n"))
    before = open(pelto.settings_file(), "rb").read()
    clock = clocks()
    setup = open_dialog(driver, clock, CMD_SETUP, SETUP)

    driver.ok(f"click {setup} 1054")
    test = driver.ok(f"wait {TEST} 10000")
    # Owned by the settings dialog, which waits disabled behind it.
    assert driver.info(test)["owner"] == setup and driver.info(setup)["enabled"] == "0"
    assert text(driver, test, 1056) == "ＮＴＰ　サーバー" and text(driver, test, 1006) == server
    assert all(text(driver, test, c) == "" for c in (1002, 1003, 1004, 1005, 1001, 1028)), "no exchange on opening"
    labels = {1053: "ＰＣへの到着時刻", 1055: "接続テスト", 2: "終了"}
    assert all(text(driver, test, c) == t for c, t in labels.items())

    shown = run_test(driver, test)
    for cid in (1002, 1003, 1004, 1005, 1001):
        assert re.fullmatch(TIME_MS, shown[cid]), (cid, shown[cid])
    m = re.fullmatch(RESULT, shown[1028])
    assert m, shown[1028]
    assert -1 <= int(m.group(1)) < 1000 and int(m.group(2)) < 500, "same clock on both sides"
    again = run_test(driver, test)
    assert again[1002] > shown[1002], "each press is a new exchange"
    close_dialog(driver, test, 2)
    assert driver.info(setup)["enabled"] == "1"

    # The second server runs 2345 ms ahead of this machine: the PC is that much behind.
    driver.ok(f"click {setup} 1055")
    test = driver.ok(f"wait {TEST} 10000")
    assert text(driver, test, 1006) == ahead
    result = run_test(driver, test)[1028]
    m = re.fullmatch(RESULT, result)
    assert m and m.group(3) == "遅れています。", result
    assert abs(int(m.group(2)) - offset_ms) < 300, m.group(0)
    close_dialog(driver, test, 2)

    # A server that does not answer: T1 and the error text, the other four fields empty.
    type_and_leave(driver, setup, 1008, silent, 1026)
    driver.ok(f"click {setup} 1055")
    test = driver.ok(f"wait {TEST} 10000")
    for _ in range(2):
        failed = run_test(driver, test)
        assert re.fullmatch(TIME_MS, failed[1002]) and not re.fullmatch(RESULT, failed[1028]), failed
        assert all(failed[c] == "" for c in (1003, 1004, 1005, 1001)), failed
    close_dialog(driver, test, 2)
    close_dialog(driver, setup, 2)

    time.sleep(1.0)
    assert open(pelto.settings_file(), "rb").read() == before, "a test saves nothing"
    assert len(journal(driver, clock)) == 1, "a test logs nothing"


# --- Status ------------------------------------------------------------------------------------


def test_status_dialog_shows_offline_no_reference_zero_elapsed_and_the_journal(driver, clocks):
    pelto.reset_profile(pelto.ini(QUIET))
    started = time.time()
    clock = clocks()
    dlg = open_dialog(driver, clock, CMD_STATUS, STATUS)
    assert text(driver, dlg, 1045) == "オフライン"
    assert text(driver, dlg, 1038) == "" and text(driver, dlg, 1039) == ""
    assert text(driver, dlg, 1040) == "0   0:00:00.000  ( 0 )"
    assert text(driver, dlg, 32780) == "更新" and text(driver, dlg, 1) == "OK"

    log = text(driver, dlg, 1062)
    m = re.fullmatch(r" (\d{4})/([ \d]\d)/([ \d]\d) (\d\d):(\d\d):(\d\d) 0-0 起動", log)
    assert m, log
    stamp = time.mktime(tuple(int(v) for v in m.groups()) + (0, 0, -1))
    assert abs(stamp - started) < 60, (log, time.ctime(started))

    driver.ok(f"click {dlg} 32780")
    time.sleep(0.5)
    driver.ok(f"click {dlg} 32780")
    time.sleep(0.5)
    assert text(driver, dlg, 1062) == log, "the box is rebuilt, not appended to"
    assert text(driver, dlg, 1040) == "0   0:00:00.000  ( 0 )"

    # The dialog's font has a fixed pitch: ten narrow and ten wide letters are equally long.
    driver.ok(f"settext {dlg} 1062 iiiiiiiiii")
    narrow = ink_width(driver, dlg)
    driver.ok(f"settext {dlg} 1062 WWWWWWWWWW")
    wide = ink_width(driver, dlg)
    assert narrow > 20 and abs(wide - narrow) <= narrow // 10 + 2, (narrow, wide)
    close_dialog(driver, dlg, 1)
    assert clock.alive()


def ink_width(driver, dlg):
    """Width of the ink in the journal box's first text line, from a screenshot."""
    time.sleep(0.5)
    left, top, right, bottom = control(driver, dlg, 1062)["rect"]
    path = os.path.join(pelto.artifacts_dir(), "status-pitch.png")
    box = pelto.screenshot(path).crop((left + 3, top + 3, right - 30, top + 30))
    os.remove(path)
    xs = [x for x in range(box.width) for y in range(box.height) if sum(box.getpixel((x, y))) < 3 * 110]
    return max(xs) - min(xs) + 1 if xs else 0


def test_toggling_automatic_operation_restarts_the_scheduler_and_a_new_cycle_alone_does_not(driver, clocks):
    # Every attempt goes to a loopback address where nothing answers: each one fails at once and
    # leaves a note in the journal. After a failure the initial series waits 600 seconds, so a
    # new note within a minute means the scheduler was restarted (first attempt 10 s after).
    silent = peers()["chronyd"][0].rsplit(".", 1)[0] + ".3"
    pelto.reset_profile(pelto.ini(f"[NTP]\nFULLAUTO=1\nEXEC=1\nRASFLAG=0\nHTTP=0\nCYCLE=2\nNTP01={silent}\nNTP02=\n"))
    clock = clocks()
    lines = wait_for(lambda: len(journal(driver, clock)) >= 2 and journal(driver, clock), 60, 2)
    assert lines and silent in lines[1], lines
    count = len(lines)

    dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)
    driver.ok(f"send {driver.ok(f'item {dlg} 1034')} {CB_SETCURSEL} 6 0")
    close_dialog(driver, dlg, 1)
    time.sleep(20)
    assert len(journal(driver, clock)) == count, "a new cycle alone keeps the scheduler's state"

    for _ in range(2):  # off, then on again
        dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)
        driver.ok(f"click {dlg} 1026")
        close_dialog(driver, dlg, 1)
    lines = wait_for(lambda: len(journal(driver, clock)) > count and journal(driver, clock), 40, 2)
    assert lines, "the restarted scheduler made its first attempt"
    assert " 1-0 " in lines[count] and silent in lines[count], lines[count]


# --- About -------------------------------------------------------------------------------------


def test_about_dialog_shows_the_terms_and_its_blue_links_open_through_the_shell(driver, clocks):
    pelto.reset_profile(pelto.ini(QUIET))
    log = os.path.join(pelto.artifacts_dir(), "shell-calls.txt")
    if os.path.exists(log):
        os.remove(log)
    clock = clocks(exe=os.environ["PELTO_SHELL_PROBE_EXE"], env={"PELTO_SHELL_LOG": "Z:" + log})
    dlg = open_dialog(driver, clock, CMD_ABOUT, ABOUT)

    terms = text(driver, dlg, 1022)
    assert terms.count("\r\n\r\n") == 2 and "【使用条件】" in terms and "【再配布条件】" in terms
    assert 380 <= len(terms) <= 520, len(terms)
    web, mail = text(driver, dlg, 1023), text(driver, dlg, 1049)
    assert web.startswith("http://") and "@" in mail

    time.sleep(0.5)
    img = pelto.screenshot(os.path.join(pelto.artifacts_dir(), "about-full.png"))
    for cid in (1023, 1049):
        box = control(driver, dlg, cid)["rect"]
        blue = [p for p in img.crop(box).getdata() if p[2] - max(p[0], p[1]) > 60]
        black = [p for p in img.crop(box).getdata() if max(p) < 80]
        assert len(blue) > 10 and not black, f"link {cid} is drawn in blue, not black"
    os.remove(os.path.join(pelto.artifacts_dir(), "about-full.png"))

    for cid in (1023, 1049):
        left, top, right, bottom = control(driver, dlg, cid)["rect"]
        subprocess.run(["xdotool", "mousemove", str(left + 10), str((top + bottom) // 2)], check=True)
        time.sleep(0.3)
        subprocess.run(["xdotool", "click", "1"], check=True)
        time.sleep(0.5)
    calls = wait_for(lambda: os.path.exists(log) and open(log, encoding="utf-8").read().splitlines(), 10)
    assert calls == [web, "mailto:" + mail]
    close_dialog(driver, dlg, 1)
    assert clock.alive()


# --- Screenshots -------------------------------------------------------------------------------


def ink(img):
    return sum(1 for p in img.getdata() if sum(p) < 3 * 110)


def crop_du(driver, dlg, title, img, x, y, w, h):
    return img.crop(screen_rect(driver, dlg, title, x, y, w, h))


def different_glyphs(a, b):
    """Two pieces of text of the same length: with real glyphs they differ, with a missing font
    every character would be the same empty box."""
    assert ink(a) > 20 and ink(b) > 20, "text is drawn"
    diff = sum(1 for p, q in zip(a.getdata(), b.getdata()) if abs(sum(p) - sum(q)) > 150)
    return diff > 30


def save_small(img, name):
    img.convert("P", palette=1, colors=16).save(os.path.join(pelto.artifacts_dir(), name), optimize=True)


def test_screenshots_of_the_four_dialogs_show_their_japanese_text(driver, clocks):
    peer = peers()["chronyd"][0]
    pelto.reset_profile(pelto.ini(f"[NTP]\nFULLAUTO=0\nEXEC=0\nNTP01={peer}\n"))
    clock = clocks()
    full = os.path.join(pelto.artifacts_dir(), "screen.png")

    setup = open_dialog(driver, clock, CMD_SETUP, SETUP)
    driver.ok(f"click {setup} 1026")
    driver.ok(f"click {setup} 1057")
    wait_for(lambda: driver.ok(f"check {setup} 1057") == "1", 5)
    time.sleep(0.5)
    img = pelto.screenshot(full)
    save_small(img.crop(driver.info(setup)["rect"]), "dialog-network-settings.png")
    # "自動運転" and "時刻修正", both checked: only their glyphs differ.
    assert different_glyphs(crop_du(driver, setup, SETUP, img, 16, 13, 48, 10), crop_du(driver, setup, SETUP, img, 86, 13, 48, 10))

    driver.ok(f"click {setup} 1054")
    test = driver.ok(f"wait {TEST} 10000")
    run_test(driver, test)
    time.sleep(0.5)
    img = pelto.screenshot(full)
    save_small(img.crop(driver.info(test)["rect"]), "dialog-connection-test.png")
    # "サーバーへの到着時刻" and "正しい時刻（理論値）": ten characters each, right-aligned.
    assert different_glyphs(crop_du(driver, test, TEST, img, 37, 48, 80, 8), crop_du(driver, test, TEST, img, 37, 105, 80, 8))
    close_dialog(driver, test, 2)
    close_dialog(driver, setup, 2)

    status = open_dialog(driver, clock, CMD_STATUS, STATUS)
    time.sleep(0.5)
    img = pelto.screenshot(full)
    save_small(img.crop(driver.info(status)["rect"]), "dialog-status.png")
    # "基準時刻" and "経過時間".
    assert different_glyphs(crop_du(driver, status, STATUS, img, 243, 16, 33, 8), crop_du(driver, status, STATUS, img, 24, 32, 33, 8))
    close_dialog(driver, status, 1)

    about = open_dialog(driver, clock, CMD_ABOUT, ABOUT)
    time.sleep(0.5)
    img = pelto.screenshot(full)
    save_small(img.crop(driver.info(about)["rect"]), "dialog-about.png")
    # "ペルト時計" against "このソフト", the starts of two lines.
    assert different_glyphs(crop_du(driver, about, ABOUT, img, 45, 11, 40, 8), crop_du(driver, about, ABOUT, img, 45, 51, 40, 8))
    close_dialog(driver, about, 1)
    os.remove(full)


# --- Bad input ---------------------------------------------------------------------------------


def test_long_blank_and_ideographic_server_texts_are_kept_safely(driver, clocks):
    pelto.reset_profile(pelto.ini(QUIET + "COUNTS=4\nNTP0=p.example\nNTP1=q.example\nNTP2=r.example\n"
                                  "NTP3=s.example\nNTP01=p.example\nNTP02=q.example\n"))
    clock = clocks()
    dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)
    long_name = "a" * 296 + ".org"
    type_and_leave(driver, dlg, 1007, long_name, 1026)
    assert items(driver, dlg, 1007)[0] == long_name and text(driver, dlg, 1007) == long_name
    # Blanks only change no list; the box then shows its first entry, as an empty text does.
    before = items(driver, dlg, 1008)
    type_and_leave(driver, dlg, 1008, "   ", 1026)
    assert items(driver, dlg, 1008) == before and text(driver, dlg, 1008) == before[0]
    # The ideographic space is part of a name: kept at both ends.
    type_and_leave(driver, dlg, 1008, "　ｎｔｐ　", 1026)
    assert items(driver, dlg, 1007)[0] == "　ｎｔｐ　" and text(driver, dlg, 1008) == "　ｎｔｐ　"
    close_dialog(driver, dlg, 1)

    ntp = wait_for(lambda: read_settings().get("NTP", {}).get("NTP02") == "　ｎｔｐ　" and read_settings()["NTP"])
    assert ntp and ntp["NTP01"] == long_name
    assert history(ntp)[:2] == ["　ｎｔｐ　", long_name]
    assert clock.alive()


@pytest.mark.parametrize("counts, entries", [("100000", 1000), ("-1", 4)])
def test_hand_edited_counts_load_a_bounded_list(driver, clocks, counts, entries):
    pelto.reset_profile(pelto.ini(QUIET + f"COUNTS={counts}\nNTP01=ntp0.example\n" +
                                  "".join(f"NTP{i}=ntp{i}.example\n" for i in range(1200))))
    clock = clocks()
    started = time.monotonic()
    dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)
    assert time.monotonic() - started < 20
    assert len(items(driver, dlg, 1007)) == entries
    type_and_leave(driver, dlg, 1007, "new.example", 1026)
    listed = items(driver, dlg, 1007)
    # Only the entry just past 20 goes, however long the list is.
    assert len(listed) == (entries if entries > 20 else entries + 1) and listed[0] == "new.example"
    close_dialog(driver, dlg, 1)
    ntp = wait_for(lambda: read_settings().get("NTP", {}).get("NTP01") == "new.example" and read_settings()["NTP"])
    assert ntp and history(ntp) == listed
    assert clock.alive()


def test_cycle_out_of_range_selects_nothing_and_ok_hands_back_minus_one(driver, clocks):
    pelto.reset_profile(pelto.ini(QUIET + "CYCLE=40\nEXEC=7\n"))
    clock = clocks()
    dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)
    assert cursel(driver, dlg, 1034) == -1 and text(driver, dlg, 1034) == ""
    # A hand-edited 7 is "on" for the clock, and shows so.
    assert driver.ok(f"check {dlg} 1057") == "1"
    close_dialog(driver, dlg, 1)
    ntp = wait_for(lambda: read_settings()["NTP"].get("CYCLE") == "-1" and read_settings()["NTP"])
    assert ntp and ntp["EXEC"] == "1"
    dlg = open_dialog(driver, clock, CMD_SETUP, SETUP)
    assert cursel(driver, dlg, 1034) == -1
    close_dialog(driver, dlg, 2)
    status = open_dialog(driver, clock, CMD_STATUS, STATUS)
    close_dialog(driver, status, 1)
    assert clock.alive()
