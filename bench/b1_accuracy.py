"""1. Accuracy of the offset estimate against servers with a known offset (chronyd -x under
faketime, offsets beyond one second: see Peers), ours (natively and the Windows build under Wine) against chrony's own client
(chronyd -Q) asking the same server, in the same run; then the same over a path whose request
direction is 20 ms slower than the answer's."""
import os
import re
import subprocess

from common import (NOCAPS, figure, fmt, log, median, mingw_bin, native_bin, percentile, say, wine_cmd,
                    wine_env)

EXCHANGES = 30


def ours(cmd, env):
    """Signed errors in ms of COUNT exchanges of bench_sntp (estimate less the known offset)."""
    result = subprocess.run(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=300)
    errors, failures = [], []
    for line in result.stdout.decode("cp932", "replace").splitlines():
        fields = line.split(maxsplit=1)
        if fields and fields[0] == "ok":
            errors.append(float(fields[1].split()[0]))
        elif fields and fields[0] == "fail":
            failures.append(fields[1] if len(fields) > 1 else "")
    if failures:
        log(f"{len(failures)} exchanges failed: {failures[0]}")
    return errors


def chrony(address, known_ms, peers, runs):
    """Signed errors in ms of chronyd -Q runs against the same server: each run is chrony's own
    client taking its initial burst of samples and printing the offset it settles on."""
    errors = []
    pidfile = os.path.join(peers.dir, "client.pid")
    for _ in range(runs):
        cmd = [NOCAPS, "chronyd", "-Q", "-u", "root", "-f", "/dev/null",
               f"server {address} iburst minpoll -4 maxpoll -4", f"pidfile {pidfile}", "port 0", "cmdport 0"]
        try:
            out = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=20).stdout.decode()
        except subprocess.TimeoutExpired:
            continue
        m = re.search(r"System clock wrong by (-?[0-9.]+) seconds", out)
        if m:
            errors.append(float(m.group(1)) * 1000 - known_ms)
    return errors


def absolute(values):
    return [abs(v) for v in values]


def run(ctx):
    peers = ctx.peers
    scenarios = [
        (f"server {peers.AHEAD_MS:+d} ms", peers.ahead, peers.AHEAD_MS),
        (f"server {peers.BEHIND_MS:+d} ms", peers.behind, peers.BEHIND_MS),
        (f"server {peers.AHEAD_MS:+d} ms, requests {peers.ASYMMETRY_MS} ms slower than answers",
         peers.asymmetric, peers.AHEAD_MS),
    ]
    for label, address, known in scenarios:
        log(f"accuracy: {label}")
        native = ours([NOCAPS, native_bin("bench_sntp"), address, str(EXCHANGES), str(known)], None)
        wine = ours(wine_cmd(mingw_bin("bench_sntp.exe"), address, EXCHANGES, known), wine_env(ctx.display))
        peer = chrony(address, known, peers, EXCHANGES)
        say(1, f"{label}: estimates ours-native {len(native)}/{EXCHANGES}, ours-wine {len(wine)}/{EXCHANGES}, "
               f"chronyd -Q {len(peer)}/{EXCHANGES}")
        note = f"half the asymmetry is {peers.ASYMMETRY_MS / 2:+.1f} ms" if address == peers.asymmetric else ""
        for name, values in (("ours-native", native), ("ours-wine", wine)):
            figure(1, f"{label}, median |error|", name, median(absolute(values)), "chronyd -Q",
                   median(absolute(peer)), "ms")
            figure(1, f"{label}, 95th percentile |error|", name, percentile(absolute(values), 95), "chronyd -Q",
                   percentile(absolute(peer), 95), "ms")
            figure(1, f"{label}, median signed error", name, median(values), "chronyd -Q", median(peer), "ms",
                   note=note, signed=True)

    # chronyd under faketime with an offset under one second stamps its receive time from the
    # kernel (not faked) and its transmit time from the faked clock: its replies contradict
    # themselves. Shown once, briefly: what each client makes of such a server.
    label = f"server {peers.INCONSISTENT_MS:+d} ms whose replies put transmit before receive"
    log(f"accuracy: {label}")
    tries = 2
    native = ours([NOCAPS, native_bin("bench_sntp"), peers.inconsistent, str(tries), str(peers.INCONSISTENT_MS)],
                  None)
    wine = ours(wine_cmd(mingw_bin("bench_sntp.exe"), peers.inconsistent, tries, peers.INCONSISTENT_MS),
                wine_env(ctx.display))
    peer = chrony(peers.inconsistent, peers.INCONSISTENT_MS, peers, 3)
    say(1, f"{label}: ours-native took {len(native)}/{tries} estimates, ours-wine {len(wine)}/{tries} "
           f"(the rest refused: 受信エラー); chronyd -Q took {len(peer)}/3, median |error| "
           f"{fmt(median(absolute(peer)))} ms")
