#!/usr/bin/python3
"""make bench: every benchmark, each figure printed beside its peer's figure from the same run.

usage: run.py [NUMBER...]     (no numbers: all six)
Figures go to standard output (and build/bench/figures.txt); progress goes to standard error.
Everything this starts (Xvfb, chronyd, the relay, Wine and its programs) it stops again by pid;
the Wine prefix (build/bench/wineprefix) is the benchmarks' own. Run it through scripts/nocaps.
"""
import datetime
import os
import platform
import signal
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import importlib  # noqa: E402

import common  # noqa: E402

BENCHMARKS = {1: "b1_accuracy", 2: "b2_cpu", 3: "b3_exchange_cpu", 4: "b4_save", 5: "b5_memory", 6: "b6_startup"}


class Context:
    display = None
    peers = None


def machine():
    cpu = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    load = open("/proc/loadavg").read().split()[:3]
    return f"nproc {os.cpu_count()}, CPU {cpu}, load average {' '.join(load)}, {platform.platform()}"


def main():
    chosen = [int(a) for a in sys.argv[1:]] or sorted(BENCHMARKS)
    os.makedirs(common.OUT, exist_ok=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    started = time.monotonic()
    print(f"# {datetime.datetime.now().astimezone().isoformat(timespec='seconds')}  {machine()}", flush=True)
    ctx = Context()
    failed = []
    try:
        common.ensure_prefix()
        ctx.display = common.Display()
        ctx.peers = common.Peers()
        common.warm_wine(ctx.display)
        for number in chosen:
            t0 = time.monotonic()
            try:
                importlib.import_module(BENCHMARKS[number]).run(ctx)
            except Exception:
                failed.append(number)
                common.say(number, "benchmark failed: " + traceback.format_exc().strip().splitlines()[-1])
                traceback.print_exc(file=sys.stderr)
            common.log(f"benchmark {number} took {time.monotonic() - t0:.0f} s")
    finally:
        common.stop_wine(ctx.display)
        if ctx.peers:
            ctx.peers.stop()
        common.stop_all()
    load = " ".join(open("/proc/loadavg").read().split()[:3])
    print(f"# done in {time.monotonic() - started:.0f} s; load average at the end {load}", flush=True)
    with open(os.path.join(common.OUT, "figures.txt"), "w") as f:
        f.write("\n".join(common.FIGURES) + "\n")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
