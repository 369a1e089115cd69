"""5. Memory of the clock under Wine: its peak working set (the peak resident set, VmHWM) and its
private bytes (resident memory no other process shares: Private_Clean + Private_Dirty of
/proc/<pid>/smaps_rollup), after start, against xclock and the minimal Win32 clock
(bench/tiny_clock.cpp) measured the same way in the same run; then the same after 1000 journal
records in the simulated-clock build (PeltoClockSim.exe), when the build tree has one.

Wine reports a process's peak working set from the same VmHWM; its private bytes figure of
another process is not filled in, so /proc is read directly."""
import glob
import os
import re
import time

from common import (CLOCK_EXE, MINGW, ROOT, Driver, Started, clock_settings, figure, log, private_kb, say,
                    status_kb, wait_for, wine_cmd, wine_env, windows_pid_of, mingw_bin, write_settings)

SETTLE_SECONDS = 5
JOURNAL_RECORDS = 1000
SIM_TIMEOUT = float(os.environ.get("BENCH_SIM_SECONDS", "90"))


def memory_mb(pid):
    return status_kb(pid, "VmHWM") / 1024, private_kb(pid) / 1024


def resource_id(name):
    text = open(os.path.join(ROOT, "src", "resources", "resource.h")).read()
    m = re.search(rf"#define\s+{name}\s+(\d+)", text)
    return int(m.group(1)) if m else None


def find_sim():
    """PeltoClockSim.exe wherever the build tree put it (BENCH_SIM_EXE names another)."""
    if os.environ.get("BENCH_SIM_EXE"):
        return os.environ["BENCH_SIM_EXE"]
    found = sorted(glob.glob(os.path.join(MINGW, "**", "PeltoClockSim.exe"), recursive=True))
    return found[0] if found else None


# A name no resolver is ever asked about: a 64-character label cannot go into a DNS query, so the
# lookup fails on the spot and each attempt leaves one journal note at once.
UNRESOLVABLE = "a" * 64 + ".invalid"
SYNC_NOW = 32778


def start_clock(ctx, exe, image, settings=None):
    write_settings(settings or clock_settings(ctx.peers))
    started = Started(wine_cmd(exe), env=wine_env(ctx.display), name=os.path.splitext(image)[0])
    driver = Driver(ctx.display)
    try:
        hwnd = driver.wait_clock()
    except Exception:
        driver.close()
        started.stop()
        raise
    return started, driver, hwnd, windows_pid_of(started, image)


def journal_lines(driver, hwnd):
    """Records in the journal as the status dialog shows them (one per line), or None when this
    build has no such dialog to ask."""
    command, log_box = resource_id("ID_SYNC_STATUS"), resource_id("IDC_SYNC_LOG")
    if command is None or log_box is None:
        return None
    driver(f"command {hwnd} {command}")
    # The clock is a dialog window itself: look for another one.
    found = wait_for(lambda: [p for p in driver("visible #32770")[3:].split("|")
                              if p and p.split(":")[0] != hwnd], 10, step=0.3)
    if not found:
        return None
    dialog = found[0].split(":")[0]
    answer = driver(f"text {dialog} {log_box}")
    driver(f"post {dialog} 0x10 0 0")
    if not answer.startswith("OK"):
        return None
    return len([line for line in answer[3:].split("\n") if line.strip()])


def run(ctx):
    log("memory: the clock after start")
    clock, driver, hwnd, pid = start_clock(ctx, CLOCK_EXE, "PeltoClock.exe")
    try:
        time.sleep(SETTLE_SECONDS)
        ours = memory_mb(pid)
    finally:
        driver.close()
        clock.stop()

    xclock = Started(["xclock", "-digital", "-update", "1", "-geometry", "+600+400"], env=ctx.display.env(),
                     name="xclock")
    tiny = Started(wine_cmd(mingw_bin("bench_tinyclock.exe")), env=wine_env(ctx.display), name="tinyclock")
    try:
        tiny_pid = windows_pid_of(tiny, "bench_tinyclock.exe")
        time.sleep(SETTLE_SECONDS)
        peer, floor = memory_mb(xclock.pid), memory_mb(tiny_pid)
    finally:
        tiny.stop()
        xclock.stop()
    for i, what in enumerate(("peak working set", "private bytes")):
        figure(5, f"after start, {what}", "PeltoClock.exe", ours[i], "xclock", peer[i], "MB", digits=1)
        figure(5, f"after start, {what}", "PeltoClock.exe", ours[i], "bench_tinyclock.exe (Wine's floor)", floor[i],
               "MB", digits=1)

    sim = find_sim()
    if not sim:
        say(5, f"after {JOURNAL_RECORDS} journal records: n/a (simulated-clock build not present)")
        return
    log(f"memory: {os.path.relpath(sim, ROOT)} until its journal is full")
    settings = (f"[PELTOCLOCK]\nWNDPOINTX_0=100\nWNDPOINTY_0=100\n"
                f"[NTP]\nFULLAUTO=0\nNTP01={UNRESOLVABLE}\nNTP02=\n")
    clock, driver, hwnd, pid = start_clock(ctx, sim, os.path.basename(sim), settings)
    try:
        # Fill the journal: every sync-now fails at once and leaves one note.
        for _ in range(JOURNAL_RECORDS + 5):
            driver(f"command {hwnd} {SYNC_NOW}")
        # Wait until the working set stops growing. The journal is counted only afterwards, since
        # showing it (the status dialog) takes memory of its own.
        started, last, still = time.monotonic(), None, 0
        deadline = started + SIM_TIMEOUT
        while time.monotonic() < deadline and still < 10:
            rss = status_kb(pid, "VmRSS")
            still = still + 1 if rss == last else 0
            last = rss
            time.sleep(1)
        full = memory_mb(pid)
        records = journal_lines(driver, hwnd)
    finally:
        driver.close()
        clock.stop()
    if records is None:
        when = f"after {time.monotonic() - started:.0f} s of filling its journal (records not counted: no " \
               f"status dialog to read them from)"
    elif records >= JOURNAL_RECORDS:
        when = f"after {JOURNAL_RECORDS} journal records"
    else:
        when = f"after {records} journal records (short of {JOURNAL_RECORDS} within {SIM_TIMEOUT:.0f} s)"
    for i, what in enumerate(("peak working set", "private bytes")):
        figure(5, f"{when}, {what}", os.path.basename(sim), full[i], "PeltoClock.exe after start", ours[i], "MB",
               digits=1)
