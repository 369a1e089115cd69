"""3. CPU of one SNTP exchange: ours (which sleeps in the system until the reply or its
deadline) against the busy-polling wait a plain polling client uses (bench/busy_wait_ref.cpp),
natively and under Wine, for an exchange that succeeds, one whose server is silent (the wait runs
to its end) and one with nothing listening at the address (the system reports the port closed).

Each program runs one exchange per line it reads; the CPU time of its threads (and, under Wine,
of the prefix's wineserver) is read from /proc just before the line is sent and just after the
answer arrives, so start-up costs stay out of the figure."""
import select
import subprocess
import time

from common import (NOCAPS, Started, cpu_ns, figure, log, median, mingw_bin, native_bin, say, wine_cmd, wine_env,
                    windows_pid_of, wineserver_pid)


class Stepper:
    """A probe in step mode: one exchange per line."""

    def __init__(self, cmd, env, image=None):
        self.started = Started(cmd, env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, name="stepper")
        self.proc = self.started.proc
        self.pid = windows_pid_of(self.started, image) if image else self.started.pid
        self.server = wineserver_pid() if image else None

    def cpu(self):
        total = cpu_ns(self.pid)
        if self.server:
            total += cpu_ns(self.server)
        return total

    def exchange(self, address, timeout=30):
        before, t0 = self.cpu(), time.monotonic()
        self.proc.stdin.write(address.encode() + b"\n")
        self.proc.stdin.flush()
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        if not ready:
            raise TimeoutError("the probe did not answer")
        answer = self.proc.stdout.readline().decode().strip()
        wall = time.monotonic() - t0
        return answer, (self.cpu() - before) / 1e6, wall * 1000

    def close(self):
        self.proc.stdin.close()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            pass
        self.started.stop()


def measure(stepper, address, count):
    cpus, walls, oks = [], [], 0
    for _ in range(count):
        answer, cpu_ms, wall_ms = stepper.exchange(address)
        oks += answer.startswith("done ok")
        cpus.append(cpu_ms)
        walls.append(wall_ms)
    return median(cpus), median(walls), oks


def run(ctx):
    peers = ctx.peers
    cases = [("exchange that succeeds", peers.real, 20),
             ("exchange with a silent server (waits out its deadline)", peers.silent, 3),
             ("exchange with nothing listening (port reported closed)", peers.closed, 3)]
    platforms = [
        ("native", lambda: Stepper([NOCAPS, native_bin("bench_sntp"), "step"], None),
         lambda: Stepper([NOCAPS, native_bin("bench_busywait"), "step"], None)),
        ("wine", lambda: Stepper(wine_cmd(mingw_bin("bench_sntp.exe"), "step"), wine_env(ctx.display),
                                 "bench_sntp.exe"),
         lambda: Stepper(wine_cmd(mingw_bin("bench_busywait.exe"), "step"), wine_env(ctx.display),
                         "bench_busywait.exe")),
    ]
    for platform, make_ours, make_ref in platforms:
        ours, ref = make_ours(), make_ref()
        try:
            # One exchange each first, so neither pays for its first socket in the figures.
            ours.exchange(peers.real)
            ref.exchange(peers.real)
            for label, address, count in cases:
                log(f"exchange CPU, {platform}: {label}")
                o_cpu, o_wall, o_ok = measure(ours, address, count)
                r_cpu, r_wall, r_ok = measure(ref, address, count)
                server = " (+ wineserver)" if platform == "wine" else ""
                peer = f"busy-polling reference {platform}{server}"
                who = f"ours-{platform}{server}"
                figure(3, f"{label}, CPU per exchange (median of {count})", who, o_cpu, peer, r_cpu, "ms",
                       note=f"wall time {o_wall:.1f} ms vs {r_wall:.1f} ms; succeeded {o_ok}/{count} vs "
                            f"{r_ok}/{count}")
        finally:
            ours.close()
            ref.close()
    say(3, "the reference is bench/busy_wait_ref.cpp, for comparison only: it polls the pending byte "
           "count without sleeping until 48 bytes are there or time() has advanced by 3 s")
