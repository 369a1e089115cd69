"""4. Save cost under Wine: one SaveSettings (our whole-file atomic replace) against the same keys
written by one WritePrivateProfileStringA call each, on the same file, in the same run: time per
save, bytes written per save (counted by strace on the write calls that reach the file) and file
rewrites per save (counted by inotify); for a first save (every key new) and for a save during a
drag (only the window position changed). Then the real clock dragged by 50 pointer moves: how
often its settings file was rewritten."""
import os
import re
import shutil
import subprocess
import time

from common import (CLOCK_EXE, NOCAPS, OUT, Driver, FileEvents, Started, clock_settings, figure, log, median,
                    mingw_bin, say, settings_dir, wine_cmd, wine_env, windows_path, write_settings)

TIMED_SAVES = 20
DRAG_MOVES = 50


def save_runs(ctx, mode, path, count, fresh):
    out = subprocess.run(wine_cmd(mingw_bin("bench_save.exe"), mode, windows_path(path), count, int(fresh)),
                         env=wine_env(ctx.display), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         timeout=300).stdout.decode()
    times = [float(line.split()[1]) for line in out.splitlines() if line.startswith("save ")]
    keys = [int(line.split()[1]) for line in out.splitlines() if line.startswith("keys ")]
    if len(times) != count:
        raise RuntimeError(f"bench_save {mode} gave {len(times)} of {count} saves")
    return times, (keys[0] if keys else None)


def bytes_written(ctx, mode, path, fresh, folder):
    """Bytes handed to write calls on files in `folder` during one save (strace on the Wine
    process: Wine writes a file's data from the process itself)."""
    trace = os.path.join(OUT, f"strace-{mode}.txt")
    cmd = [NOCAPS, "strace", "-f", "-qq", "-y", "-e", "trace=write,pwrite64,writev,pwritev", "-o", trace,
           "wine", mingw_bin("bench_save.exe"), mode, windows_path(path), "1", str(int(fresh))]
    subprocess.run(cmd, env=wine_env(ctx.display), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=300)
    total = 0
    pattern = re.compile(r"(?:write|pwrite64|writev|pwritev)\(\d+<([^>]*)>.*\)\s*=\s*(\d+)")
    with open(trace, errors="replace") as f:
        for line in f:
            m = pattern.search(line)
            if m and m.group(1).startswith(folder):
                total += int(m.group(2))
    return total


def prepare(ctx, folder):
    """One file as the first save leaves it, and its twin for the profile calls."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    ours, profile = os.path.join(folder, "OURS.INI"), os.path.join(folder, "PROFILE.INI")
    save_runs(ctx, "ours", ours, 1, True)
    shutil.copyfile(ours, profile)
    return ours, profile


def file_figures(ctx):
    folder = os.path.join(OUT, "save")
    for fresh, label in ((True, "first save (every key new)"), (False, "save during a drag (position changed)")):
        log(f"save cost: {label}")
        ours, profile = prepare(ctx, folder)
        events = FileEvents(folder)
        try:
            ours_times, _ = save_runs(ctx, "ours", ours, TIMED_SAVES, fresh)
            ours_rewrites = events.rewrites("OURS.INI") / TIMED_SAVES
            profile_times, keys = save_runs(ctx, "profile", profile, TIMED_SAVES, fresh)
            profile_rewrites = events.rewrites("PROFILE.INI") / TIMED_SAVES
        finally:
            events.close()
        peer = f"{keys} x WritePrivateProfileStringA"
        figure(4, f"{label}, time per save (median of {TIMED_SAVES})", "SaveSettings", median(ours_times) / 1000,
               peer, median(profile_times) / 1000, "ms")
        ours, profile = prepare(ctx, folder)
        figure(4, f"{label}, bytes written per save", "SaveSettings",
               bytes_written(ctx, "ours", ours, fresh, folder), peer,
               bytes_written(ctx, "profile", profile, fresh, folder), "bytes", digits=0)
        figure(4, f"{label}, file rewrites per save", "SaveSettings", ours_rewrites, peer, profile_rewrites,
               "rewrites", digits=1)
        if not fresh:
            drag_profile_rewrites = profile_rewrites
    shutil.rmtree(folder, ignore_errors=True)
    return drag_profile_rewrites


def ink_point(driver, hwnd):
    """A point well inside the clock's ink (three pixels of it on each side), screen coordinates."""
    fields = dict(kv.split("=", 1) for kv in driver(f"info {hwnd}")[3:].split())
    left, top, right, bottom = (int(v) for v in fields["rect"].split(","))
    for y in range((bottom - top) // 2, bottom - top):
        run = 0
        for x in range(0, right - left):
            run = run + 1 if driver(f"inregion {hwnd} {x} {y}") == "OK 1" else 0
            if run == 7:
                return left + x - 3, top + y
    raise RuntimeError("no ink found on the clock")


def xdo(ctx, *args):
    subprocess.run(["xdotool", *[str(a) for a in args]], env=ctx.display.env(), check=True)


def drag_figure(ctx, profile_rewrites_per_save):
    log(f"save cost: a drag of {DRAG_MOVES} moves")
    write_settings(clock_settings(ctx.peers))
    clock = Started(wine_cmd(CLOCK_EXE), env=wine_env(ctx.display), name="clock")
    driver = Driver(ctx.display)
    try:
        hwnd = driver.wait_clock()
        time.sleep(2)
        x, y = ink_point(driver, hwnd)
        before = driver(f"info {hwnd}")
        events = FileEvents(settings_dir())
        try:
            xdo(ctx, "mousemove", x, y)
            time.sleep(0.3)
            xdo(ctx, "mousedown", 1)
            time.sleep(0.2)
            for step in range(1, DRAG_MOVES + 1):
                xdo(ctx, "mousemove", x + 3 * step, y + step)
                time.sleep(0.03)
            xdo(ctx, "mouseup", 1)
            time.sleep(1.5)
            rewrites = events.rewrites("PELTO.INI")
        finally:
            events.close()
        after = driver(f"info {hwnd}")
        moved = before.split("rect=")[1].split()[0] != after.split("rect=")[1].split()[0]
    finally:
        driver.close()
        clock.stop()
    if not moved:
        raise RuntimeError("the drag did not move the clock")
    figure(4, f"drag of {DRAG_MOVES} pointer moves, rewrites of PELTO.INI", "PeltoClock.exe", rewrites,
           f"the same saves at {profile_rewrites_per_save:.1f} profile-API rewrites each (computed)",
           rewrites * profile_rewrites_per_save, "rewrites", digits=0,
           note=f"{rewrites / DRAG_MOVES:.2f} rewrites per pointer move: one save per move the window "
                f"system reports")


def run(ctx):
    profile_rewrites = file_figures(ctx)
    drag_figure(ctx, profile_rewrites)
    say(4, "SaveSettings writes a temporary file, flushes it to disk and renames it over the old one")
