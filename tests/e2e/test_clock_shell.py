"""The clock program as a user meets it: start-up, its window, closing, two copies."""
import os
import time

import pelto
from pelto import CLOCK_TITLE, WM_CLOSE, WM_KEYDOWN


def test_first_start_creates_only_the_folder_and_a_captionless_owned_popup(driver, clocks):
    pelto.reset_profile()
    clock = clocks()
    assert os.path.isdir(pelto.settings_dir())
    assert not os.path.exists(pelto.settings_file()), "start-up must not write the settings"

    assert driver.ok(f"text {clock.hwnd}") == CLOCK_TITLE
    info = driver.info(clock.hwnd)
    assert info["style"] & pelto.WS_POPUP
    assert info["style"] & pelto.WS_CAPTION == 0
    assert info["style"] & pelto.WS_SYSMENU
    assert info["exstyle"] & pelto.WS_EX_TOPMOST
    # Owned by the hidden host frame, a tool window: no taskbar button for either.
    assert info["owner"] != "0"
    assert info["ownerex"] & pelto.WS_EX_TOOLWINDOW
    frame = driver.info(info["owner"])
    assert frame["rect"][2] - frame["rect"][0] == 0 and frame["exstyle"] & pelto.WS_EX_TOOLWINDOW, frame
    # The face of "HH:MM": a shape narrower than the plate's box but not empty.
    left, top, right, bottom = (int(v) for v in driver.ok(f"region {clock.hwnd}").split(","))
    assert right - left > 50 and bottom - top > 20


def test_enter_and_escape_leave_it_open_and_close_writes_nothing(driver, clocks):
    pelto.reset_profile()
    clock = clocks()
    for key in (0x0D, 0x1B):  # VK_RETURN, VK_ESCAPE, through the dialog's own key handling
        driver.ok(f"post {clock.hwnd} {WM_KEYDOWN} {key} 0")
        clock.command(1 if key == 0x0D else 2)
    time.sleep(1.0)
    assert clock.alive()
    assert driver(f"info {clock.hwnd}").startswith("OK")

    assert clock.close() == 0
    assert driver.ok(f"gone {clock.hwnd} 5000") == ""
    assert not os.path.exists(pelto.settings_file())


def test_exit_command_ends_the_process(driver, clocks):
    pelto.reset_profile()
    clock = clocks()
    clock.command(32776)
    assert clock.proc.wait(timeout=20) == 0


def test_two_copies_run_side_by_side(driver, clocks):
    pelto.reset_profile()
    first = clocks()
    second = clocks()
    assert first.hwnd != second.hwnd
    assert first.alive() and second.alive()
    assert first.close() == 0
    assert second.alive()
    assert second.close() == 0
