"""The face as the user sees it: a window that is the ink of the time, in the status colour, and
what the mouse and the menus do to it. Checked on screenshots of the test tree's Xvfb, whose
bare desktop is black."""
import os
import time

import pelto

from pelto import GREEN, YELLOW, click, ink_runs, near, xdo

DESKTOP = (0, 0, 0)


def window_rect(driver, clock):
    return driver.info(clock.hwnd)["rect"]


def shot(name):
    return pelto.screenshot(os.path.join(pelto.artifacts_dir(), name))


def zero_digits_ini(extra=""):
    """Every digit glyph is "0": the face always reads 00:00, so its glyphs sit at known places."""
    lines = ["[PELTOCLOCK]"] + [f"NUMCHAR{i}=0" for i in range(10)] + ["WNDPOINTX_0=100", "WNDPOINTY_0=100"]
    return pelto.ini("\n".join(lines) + "\n" + extra)


def test_default_face_is_yellow_ink_with_the_desktop_through_holes_and_gaps(driver, clocks):
    pelto.reset_profile(zero_digits_ini())
    clock = clocks()
    time.sleep(1.5)
    rect = window_rect(driver, clock)
    left, top, right, bottom = rect
    img = shot("face-default.png")

    pixels = [img.getpixel((x, y)) for x in range(left, right) for y in range(top, bottom)]
    yellow = sum(near(p, YELLOW) for p in pixels)
    desktop = sum(near(p, DESKTOP) for p in pixels)
    assert yellow > 0.08 * len(pixels), "the glyphs' ink is the offline colour"
    assert desktop > 0.4 * len(pixels), "between and inside the glyphs the desktop shows"
    assert yellow + desktop > 0.97 * len(pixels), "nothing but ink and desktop inside the window"

    # Through the middle of the glyphs: "0 0 : 0 0" gives two ink runs per "0" (its ring around
    # the see-through hole) and one per colon dot column; at least 8 runs, separated by desktop.
    mid = top + (bottom - top) // 2
    runs = ink_runs(img, rect, mid)
    assert len(runs) >= 8, runs
    first_ring_gap = (runs[0][1] + runs[1][0]) // 2
    assert near(img.getpixel((first_ring_gap, mid)), DESKTOP), "the hole of the 0 is see-through"

    # Right of the last glyph up to the plate's edge nothing of the plate shows.
    last_ink = max(r[1] for y in range(top, bottom - 4) for r in ink_runs(img, rect, y)[-1:])
    for x in range(last_ink + 2, right):
        for y in range(top, bottom):
            assert near(img.getpixel((x, y)), DESKTOP), (x, y)
    # The four-pixel strip under the plate is never part of the shape.
    assert driver.ok(f"inregion {clock.hwnd} {(right - left) // 2} {bottom - top - 2}") == "0"


def test_seconds_make_eight_glyphs_and_eight_and_a_half_cells(driver, clocks):
    pelto.reset_profile(zero_digits_ini())
    clock = clocks()
    l, t, r, b = window_rect(driver, clock)
    narrow = r - l
    mid = t + (b - t) // 2
    runs_before = len(ink_runs(shot("face-hhmm.png"), (l, t, r, b), mid))
    clock.command(32773)
    time.sleep(1.5)
    l2, t2, r2, b2 = window_rect(driver, clock)
    wide = r2 - l2
    assert (l2, t2) == (l, t)
    assert abs(wide / narrow - 8.5 / 5.5) < 0.03, (narrow, wide)
    runs_after = len(ink_runs(shot("face-hhmmss.png"), (l2, t2, r2, b2), mid))
    assert runs_after - runs_before == 4, "two more zeros, each a ring round its hole"


def test_japanese_and_multi_character_glyphs_render_as_ink(driver, clocks):
    lines = ["[PELTOCLOCK]"] + [f"NUMCHAR{i}=一" for i in range(10)] + ["COLCHAR=時刻", "WNDPOINTX_0=50",
                                                                        "WNDPOINTY_0=300"]
    pelto.reset_profile(pelto.ini("\n".join(lines) + "\n"))
    clock = clocks()
    time.sleep(1.5)
    rect = window_rect(driver, clock)
    img = shot("face-kanji.png")
    left, top, right, bottom = rect
    yellow = sum(near(img.getpixel((x, y)), YELLOW) for x in range(left, right) for y in range(top, bottom))
    assert yellow > 200
    # 一 is one horizontal bar: a column through the first glyph has a single ink run.
    col = left + (right - left) // 30
    column = [near(img.getpixel((col, y)), YELLOW) for y in range(top, bottom)]
    runs = sum(1 for a, b in zip([False] + column, column) if b and not a)
    assert runs == 1


def test_bad_font_settings_still_give_a_usable_face(driver, clocks):
    for name, extra in [
        ("empty digit", "NUMCHAR3=\n"),
        ("missing face", "LFFACENAME_0=NoSuchFaceAnywhere\n"),
        ("zero height", "LFHEIGHT_0=0\nLFWIDTH_0=0\n"),
        ("huge height", "LFHEIGHT_0=-5000\n"),
        ("heavy weight", "LFWEIGHT_0=5000\n"),
    ]:
        pelto.reset_profile(pelto.ini("[PELTOCLOCK]\n" + extra))
        clock = clocks()
        l, t, r, b = window_rect(driver, clock)
        assert 20 <= r - l <= 1280 and 10 <= b - t <= 1024, (name, (l, t, r, b))
        assert driver.ok(f"region {clock.hwnd}") != "none", name
        assert clock.close() == 0, name


def test_right_click_opens_the_menu_and_middle_click_the_calendar(driver, clocks):
    pelto.reset_profile(zero_digits_ini())
    clock = clocks()
    time.sleep(1)
    l, t, r, b = window_rect(driver, clock)
    img = shot("before-menu.png")
    mid = t + (b - t) // 2
    x = ink_runs(img, (l, t, r, b), mid)[0][0] + 1
    click(x, mid, 3)
    time.sleep(1.5)
    menus = driver.ok("visible #32768")
    shot("popup-menu.png")
    assert menus.count("|") >= 1, "a pop-up menu is shown"
    xdo("key", "Escape")
    time.sleep(0.5)
    click(x, mid, 2)
    calendar = driver.ok("wait ペルト時計 10000")
    shot("calendar.png")
    driver.ok(f"post {calendar} {pelto.WM_CLOSE} 0 0")
    driver.ok(f"gone {calendar} 5000")
    assert clock.alive()


def test_double_click_switches_font_sets(driver, clocks):
    pelto.reset_profile(zero_digits_ini())
    clock = clocks()
    time.sleep(1)
    l, t, r, b = window_rect(driver, clock)
    mid = t + (b - t) // 2
    x = ink_runs(shot("set0.png"), (l, t, r, b), mid)[0][0] + 1
    click(x, mid, 1, repeat=2)
    time.sleep(1.5)
    l1, t1, r1, b1 = window_rect(driver, clock)
    assert (b1 - t1) > 1.5 * (b - t), "set 1's font is twice the height"
    assert (l1, t1) == (l, t), "a set 1 never saved opens where the clock is"
    mid1 = t1 + (b1 - t1) // 2
    x1 = ink_runs(shot("set1.png"), (l1, t1, r1, b1), mid1)[0][0] + 2
    click(x1, mid1, 1, repeat=2)
    time.sleep(1.5)
    assert window_rect(driver, clock) == (l, t, r, b)


def test_drag_moves_the_clock(driver, clocks):
    pelto.reset_profile(zero_digits_ini())
    clock = clocks()
    time.sleep(1)
    l, t, r, b = window_rect(driver, clock)
    mid = t + (b - t) // 2
    x = ink_runs(shot("drag-before.png"), (l, t, r, b), mid)[0][0] + 1
    pelto.drag(x, mid, 200, 100)
    l2, t2, _, _ = window_rect(driver, clock)
    assert (l2 - l, t2 - t) == (200, 100)


def test_hovering_the_active_clock_shows_todays_date(driver, clocks):
    pelto.reset_profile(zero_digits_ini())
    clock = clocks()
    time.sleep(1)
    x, y = pelto.ink_point(driver, clock)
    click(x, y, 1)  # the tip shows while the clock is the active window
    for dx in (1, 2):
        xdo("mousemove", x + dx, y)
        time.sleep(0.3)
    deadline = time.monotonic() + 5
    tips = ""
    while time.monotonic() < deadline and not tips:
        tips = driver.ok("visible tooltips_class32")
        time.sleep(0.3)
    shot("date-tip.png")
    today = time.localtime()  # TZ is the test's, as the clock's
    assert tips.split(":", 1)[1].rstrip("|") == f"{today.tm_year:04d}年{today.tm_mon:02d}月{today.tm_mday:02d}日"
