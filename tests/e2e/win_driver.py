"""Runs win_driver.exe under Wine (scripts/wine-run) and parses what it reports.

The driver prints one tab-separated record a line; texts come escaped (\\ \t \n \r)."""
import os
import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WINE_RUN = ROOT / "scripts" / "wine-run"


def windows_path(path):
    """The Windows name Wine gives a file of this machine (drive Z: is the root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


class DriverRun:
    def __init__(self, completed):
        self.returncode = completed.returncode
        self.stderr = completed.stderr.decode("utf-8", "replace")
        self.records = []
        for line in completed.stdout.decode("utf-8").splitlines():
            kind, *fields = line.split("\t")
            self.records.append((kind, [unescape(f) for f in fields]))

    def all(self, kind):
        return [fields for k, fields in self.records if k == kind]

    def one(self, kind):
        found = self.all(kind)
        assert len(found) == 1, f"expected one '{kind}' record, got {found}\n{self.stderr}"
        return found[0]


def drive(*steps, timeout=180):
    """Runs the driver with these steps; returns its parsed records (check .returncode)."""
    driver = os.environ["PELTO_WIN_DRIVER"]
    completed = subprocess.run([str(WINE_RUN), driver, *map(str, steps)], capture_output=True,
                               timeout=timeout)
    return DriverRun(completed)
