"""What reaches the settings file, and what the clock does with a bad one: moves, toggles from both
menus, the font and colour commands, broken files and an unwritable folder."""
import os
import subprocess
import time

import pelto
from pelto import WM_SYSCOMMAND, WS_EX_TOPMOST

ZEROS = "".join(f"NUMCHAR{i}=0\n" for i in range(10))


def start_at(clocks, x=100, y=100, extra=""):
    pelto.reset_profile(pelto.ini(f"[PELTOCLOCK]\nWNDPOINTX_0={x}\nWNDPOINTY_0={y}\n{ZEROS}{extra}"))
    return clocks()


def test_a_drag_writes_the_active_sets_position_and_nothing_else(driver, clocks):
    clock = start_at(clocks)
    assert pelto.read_ini()["PELTOCLOCK"].get("WNDPOINTX_0") == "100", "start-up wrote nothing"
    x, y = pelto.ink_point(driver, clock)
    pelto.drag(x, y, 200, 100)
    keys = pelto.read_ini()["PELTOCLOCK"]
    assert (keys["WNDPOINTX_0"], keys["WNDPOINTY_0"]) == ("300", "200")
    assert "WNDPOINTX_1" not in keys
    assert keys["LFHEIGHT_0"] == "50" and keys["LFFACENAME_0"] == "ＭＳ Ｐゴシック"
    assert pelto.read_ini()["NTP"]["FULLAUTO"] == "1"


def test_in_set_one_a_drag_writes_only_set_ones_position(driver, clocks):
    pelto.reset_profile(pelto.ini(f"[PELTOCLOCK]\nFONT1FLAG=1\nWNDPOINTX_1=100\nWNDPOINTY_1=100\n"
                                  f"WNDPOINTX_0=11\nWNDPOINTY_0=22\n{ZEROS}"))
    clock = clocks()
    x, y = pelto.ink_point(driver, clock)
    pelto.drag(x, y, 150, 50)
    keys = pelto.read_ini()["PELTOCLOCK"]
    assert (keys["WNDPOINTX_1"], keys["WNDPOINTY_1"]) == ("250", "150")
    assert (keys["WNDPOINTX_0"], keys["WNDPOINTY_0"]) == ("11", "22")


def test_toggles_from_both_menus_change_the_clock_and_the_file(driver, clocks):
    clock = start_at(clocks)
    width = lambda: (lambda r: r[2] - r[0])(driver.info(clock.hwnd)["rect"])  # noqa: E731
    narrow = width()

    clock.command(32773)  # seconds, from the pop-up menu
    time.sleep(0.5)
    assert width() > narrow and pelto.read_ini()["PELTOCLOCK"]["SECFLAG"] == "1"
    driver.ok(f"post {clock.hwnd} {WM_SYSCOMMAND} 32773 0")  # and back, from the system menu
    time.sleep(0.5)
    assert width() == narrow and pelto.read_ini()["PELTOCLOCK"]["SECFLAG"] == "0"

    driver.ok(f"post {clock.hwnd} {WM_SYSCOMMAND} 32777 0")
    time.sleep(0.5)
    assert pelto.read_ini()["PELTOCLOCK"]["D24FLAG"] == "0"
    clock.command(32777)
    time.sleep(0.5)
    assert pelto.read_ini()["PELTOCLOCK"]["D24FLAG"] == "1"

    assert driver.info(clock.hwnd)["exstyle"] & WS_EX_TOPMOST
    clock.command(32772)
    time.sleep(0.5)
    assert not driver.info(clock.hwnd)["exstyle"] & WS_EX_TOPMOST
    assert pelto.read_ini()["PELTOCLOCK"]["TOPFLAG"] == "0"
    # Off means at the top of the normal windows, not behind them: only topmost ones above it.
    above = [w for w in driver.ok(f"above {clock.hwnd}").split("|") if w]
    assert all(int(w.split(":")[1], 16) & WS_EX_TOPMOST for w in above), above
    driver.ok(f"post {clock.hwnd} {WM_SYSCOMMAND} 32772 0")
    time.sleep(0.5)
    assert driver.info(clock.hwnd)["exstyle"] & WS_EX_TOPMOST
    assert pelto.read_ini()["PELTOCLOCK"]["TOPFLAG"] == "1"


def wait_dialog(driver, *titles, timeout=10.0):
    """The first visible window with one of these titles (the system's choosers differ in name)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for title in titles:
            answer = driver(f"find {title}")
            if answer.startswith("OK"):
                return answer[3:]
        time.sleep(0.2)
    raise AssertionError(f"none of {titles} appeared")


def test_font_chooser_cancelled_changes_nothing_and_drags_still_save(driver, clocks):
    clock = start_at(clocks)
    before = open(pelto.settings_file(), "rb").read()
    rect = driver.info(clock.hwnd)["rect"]
    clock.command(32774)
    chooser = wait_dialog(driver, "フォント", "フォントの指定")
    pelto.screenshot(os.path.join(pelto.artifacts_dir(), "font-chooser.png"))
    driver.ok(f"click {chooser} 2")
    driver.ok(f"gone {chooser} 5000")
    time.sleep(0.5)
    assert open(pelto.settings_file(), "rb").read() == before
    assert driver.info(clock.hwnd)["rect"] == rect
    x, y = pelto.ink_point(driver, clock)
    pelto.drag(x, y, 40, 30)
    assert pelto.read_ini()["PELTOCLOCK"]["WNDPOINTX_0"] == str(rect[0] + 40)


def test_colour_dialog_shows_swatches_and_cancel_still_writes_the_file(driver, clocks):
    pelto.reset_profile()
    clock = clocks()
    clock.command(32775)
    dialog = wait_dialog(driver, "表示色の設定")
    time.sleep(0.5)
    pelto.screenshot(os.path.join(pelto.artifacts_dir(), "colour-dialog.png"))
    assert driver.ok(f"text {dialog} 1043") == "\u3000" * 10
    assert driver.ok(f"text {dialog} 1044") == "\u3000" * 10
    driver.ok(f"click {dialog} 2")
    driver.ok(f"gone {dialog} 5000")
    time.sleep(0.5)
    keys = pelto.read_ini()["PELTOCLOCK"]
    assert (keys["ONLINECOLOR"], keys["OFFLINECOLOR"]) == ("65280", "65535")
    assert clock.alive()


BAD_FILES = {
    "lf only": b"[PELTOCLOCK]\nSECFLAG=1\n",
    "no final line break": b"[PELTOCLOCK]\r\nSECFLAG=1",
    "nul bytes": b"[PELTOCLOCK]\r\nSEC\x00FLAG=1\r\n\x00\x00\r\n",
    "megabyte line": b"[PELTOCLOCK]\r\nNUMCHAR1=" + b"x" * (1 << 20) + b"\r\n",
    "binary garbage": bytes(range(256)) * 64,
    "header without bracket": b"[PELTOCLOCK\r\nSECFLAG=1\r\n[NTP]\r\nFULLAUTO=0\r\n",
}


def test_bad_settings_files_never_crash_and_are_never_lost(driver, clocks):
    for name, content in BAD_FILES.items():
        pelto.reset_profile(content)
        clock = clocks()
        time.sleep(1.0)
        assert clock.alive(), name
        assert clock.close() == 0, name
        assert open(pelto.settings_file(), "rb").read() == content, name


def test_an_unwritable_settings_folder_leaves_the_clock_running_on_its_values(driver, clocks):
    pelto.reset_profile(pelto.ini(f"[PELTOCLOCK]\nWNDPOINTX_0=100\nWNDPOINTY_0=100\n{ZEROS}"))
    before = open(pelto.settings_file(), "rb").read()
    folder = pelto.settings_dir()
    # Root ignores permission bits; the immutable attribute stops even root from writing.
    if subprocess.run(["chattr", "+i", folder], capture_output=True).returncode != 0:
        import pytest
        pytest.skip("this file system has no immutable attribute")
    try:
        clock = clocks()
        x, y = pelto.ink_point(driver, clock)
        pelto.drag(x, y, 60, 40)
        clock.command(32773)
        time.sleep(0.5)
        assert clock.alive()
        assert driver.info(clock.hwnd)["rect"][:2] == (160, 140)
        assert open(pelto.settings_file(), "rb").read() == before
        assert os.listdir(folder) == ["PELTO.INI"], "no temporary file left behind"
    finally:
        subprocess.run(["chattr", "-i", folder], check=True)
