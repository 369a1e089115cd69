"""2. CPU of the running clock: PeltoClock.exe under Wine in the benchmark's Xvfb with default
settings (servers on loopback), first with seconds off, then with seconds on, each for
BENCH_CPU_SECONDS (120 by default), against `xclock -digital -update 1` running in the same
Xvfb through both, and against a minimal Win32 clock under Wine (Wine's own floor). CPU is read
from /proc (common.CpuMeter), so a busy machine slows the programs down without adding to their
figures."""
import os
import time

from common import (CLOCK_EXE, PREFIX, Driver, Started, CpuMeter, clock_settings, comm, figure, log, mingw_bin, say,
                    wine_cmd, wine_env, windows_pid_of, wineserver_pid, write_settings)

SECONDS = float(os.environ.get("BENCH_CPU_SECONDS", "120"))
# The minimal Win32 clock (bench/tiny_clock.cpp) alone, for what Wine costs any ticking window.
BASELINE_SECONDS = float(os.environ.get("BENCH_BASELINE_SECONDS", "30"))


def wine_processes():
    """The prefix's Windows processes (the clock, explorer.exe, services.exe, ...): processes
    named *.exe whose environment names the benchmark's prefix."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        name = comm(int(pid))
        if ".exe" not in name and not name.endswith((".ex", ".e")):
            continue
        try:
            environ = open(f"/proc/{pid}/environ", "rb").read()
        except OSError:
            continue
        if b"WINEPREFIX=" + PREFIX.encode() + b"\0" in environ:
            found.append(int(pid))
    return found


def baseline(ctx):
    """CPU per minute of bench_tinyclock.exe, of the wineserver and of the prefix's other Windows
    processes while it runs alone."""
    tiny = Started(wine_cmd(mingw_bin("bench_tinyclock.exe")), env=wine_env(ctx.display), name="tinyclock")
    try:
        pid = windows_pid_of(tiny, "bench_tinyclock.exe")
        time.sleep(3)
        meters = [CpuMeter([pid]), CpuMeter([wineserver_pid()]),
                  CpuMeter([p for p in wine_processes() if p != pid])]
        t0 = time.monotonic()
        time.sleep(BASELINE_SECONDS)
        minutes = (time.monotonic() - t0) / 60
        return [m.seconds() / minutes for m in meters]
    finally:
        tiny.stop()


def phase(ctx, xclock, seconds_flag):
    write_settings(clock_settings(ctx.peers, seconds=seconds_flag))
    clock = Started(wine_cmd(CLOCK_EXE), env=wine_env(ctx.display), name="clock")
    try:
        driver = Driver(ctx.display)
        try:
            driver.wait_clock()
        finally:
            driver.close()
        pid = windows_pid_of(clock, "PeltoClock.exe")
        server = wineserver_pid()
        time.sleep(5)  # past start-up and the first synchronisation
        others = {p: comm(p) for p in wine_processes() if p != pid}
        meters = [CpuMeter([pid]), CpuMeter([server]), CpuMeter([xclock.pid]), CpuMeter([ctx.display.pid])]
        other_meters = {p: CpuMeter([p]) for p in others}
        t0 = time.monotonic()
        time.sleep(SECONDS)
        figures = [m.seconds() for m in meters]
        other_figures = {others[p]: m.seconds() for p, m in other_meters.items()}
        minutes = (time.monotonic() - t0) / 60
        if not clock.alive():
            raise RuntimeError("the clock ended during the measurement")
        busiest = sorted(other_figures.items(), key=lambda kv: -kv[1])[:3]
        return [f / minutes for f in figures] + [sum(other_figures.values()) / minutes,
                                                  ", ".join(f"{n} {v / minutes:.3f}" for n, v in busiest)]
    finally:
        clock.stop()


def run(ctx):
    xclock = Started(["xclock", "-digital", "-update", "1", "-geometry", "+600+400"], env=ctx.display.env(),
                     name="xclock")
    try:
        time.sleep(1)
        results = {}
        for flag, label in ((0, "seconds off"), (1, "seconds on")):
            log(f"CPU of the running clock, {label}, {SECONDS:.0f} s")
            clock, server, peer, xvfb, others, busiest = phase(ctx, xclock, flag)
            figure(2, f"{label}, CPU per minute", "PeltoClock.exe", clock, "xclock -digital -update 1", peer,
                   "s/min")
            figure(2, f"{label}, CPU per minute", "PeltoClock.exe + wineserver", clock + server,
                   "xclock -digital -update 1", peer, "s/min")
            say(2, f"{label}: meanwhile Xvfb (drawing both) {xvfb:.3f} s/min, the prefix's other Windows "
                   f"processes {others:.3f} s/min (busiest: {busiest})")
            results[label] = (clock, server)
        log(f"CPU of a minimal Win32 clock under Wine, {BASELINE_SECONDS:.0f} s")
        tiny, tiny_server, tiny_others = baseline(ctx)
        say(2, f"minimal Win32 clock alone: the prefix's other Windows processes {tiny_others:.3f} s/min")
        for label, (clock, server) in results.items():
            figure(2, f"{label}, CPU per minute against Wine's own floor", "PeltoClock.exe + wineserver",
                   clock + server, "bench_tinyclock.exe + wineserver", tiny + tiny_server, "s/min",
                   note="a plain Win32 window redrawn by a 1 s timer")
    finally:
        xclock.stop()
