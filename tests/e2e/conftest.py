import os
import sys

import pytest

sys.path.insert(0, os.path.dirname(__file__))
import pelto  # noqa: E402


@pytest.fixture
def driver():
    d = pelto.Driver()
    yield d
    d.close()


@pytest.fixture
def clocks(driver):
    """Starts clocks on demand; every clock still running at the end is closed, then killed."""
    started = []

    def start(**kw):
        c = pelto.Clock(driver, **kw)
        started.append(c)
        return c

    yield start
    for c in started:
        if c.alive():
            try:
                c.close(timeout=10)
            except Exception:
                c.kill()


@pytest.fixture(autouse=True)
def fresh_profile_afterwards():
    """Leaves no settings behind for `make run`, which shares the prefix."""
    yield
    pelto.reset_profile()
