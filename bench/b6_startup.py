"""6. Start-up: from starting the process to the first shaped frame of the clock on the screen of
the benchmark's Xvfb (its ink colour shows at its place and a window with a non-rectangular
shape is mapped), against xclock to its first frame (its digits show) and against the minimal
Win32 clock under Wine, in the same run. Runs alternate between the programs; medians are
printed. Wine runs with its server and services already up (as Windows is when a user starts a
program); one cold start of the clock, Wine starting from nothing, is printed too."""
import os
import subprocess

from common import (CLOCK_EXE, NOCAPS, clock_settings, figure, log, median, mingw_bin, native_bin, say, stop_wine,
                    warm_wine, wine_env, write_settings)

RUNS = 5
YELLOW_OR_GREEN = "FFFF00,00FF00"  # the clock's offline and online colours (defaults)
REGION = ["100", "100", "320", "110"]  # every program below puts its window at (100, 100)


def first_frame(env, command, shaped=False):
    cmd = [native_bin("bench_first_frame"), "--timeout", "60"] + (["--shaped"] if shaped else []) + REGION + \
        [YELLOW_OR_GREEN, "--"] + command
    out = subprocess.run(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120).stdout
    words = out.decode().split()
    if len(words) >= 2 and words[0] == "frame":
        return float(words[1])
    raise RuntimeError(f"no first frame: {out.decode().strip() or 'bench_first_frame failed'}")


def run(ctx):
    if not os.path.exists(native_bin("bench_first_frame")):
        say(6, "n/a (bench_first_frame was not built: the X11 development files are missing)")
        return
    write_settings(clock_settings(ctx.peers))
    wine = wine_env(ctx.display)
    programs = [
        ("PeltoClock.exe", wine, [NOCAPS, "wine", CLOCK_EXE], True),
        ("xclock", ctx.display.env(), ["xclock", "-digital", "-update", "1", "-geometry", "+100+100", "-fg", "yellow",
                                       "-bg", "black"], False),
        ("bench_tinyclock.exe", wine, [NOCAPS, "wine", mingw_bin("bench_tinyclock.exe")], False),
    ]
    times = {name: [] for name, _, _, _ in programs}
    for i in range(RUNS):
        log(f"start-up, round {i + 1} of {RUNS}")
        for name, env, command, shaped in programs:
            times[name].append(first_frame(env, command, shaped))
    ours = median(times["PeltoClock.exe"])
    figure(6, f"process start to first frame (median of {RUNS})", "PeltoClock.exe (shaped)", ours, "xclock",
           median(times["xclock"]), "ms", digits=0)
    figure(6, f"process start to first frame (median of {RUNS})", "PeltoClock.exe (shaped)", ours,
           "bench_tinyclock.exe (Wine's floor)", median(times["bench_tinyclock.exe"]), "ms", digits=0)

    log("start-up: a cold start, Wine's server and services starting too")
    stop_wine(ctx.display)
    try:
        cold = first_frame(wine, [NOCAPS, "wine", CLOCK_EXE], True)
    finally:
        stop_wine(ctx.display)
        warm_wine(ctx.display)
    figure(6, "cold start to first frame (Wine starting from nothing)", "PeltoClock.exe (shaped)", cold,
           "xclock (median above)", median(times["xclock"]), "ms", digits=0)
