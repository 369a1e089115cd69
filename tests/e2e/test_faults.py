"""Faults around the settings file while the clock runs: a file that cannot be replaced, a folder
where the file should be, a file cut off in mid-line, a storm of changes, two copies saving at
once. After each the clock must still run and answer at once, and the file must be well-formed,
hold the last values and keep everything saved before the fault."""
import os
import subprocess
import time

import pelto
from pelto import WM_SYSCOMMAND, WS_EX_TOPMOST

SECONDS, TOPMOST, HOUR24 = 32773, 32772, 32777
FLAG_OF = {SECONDS: "SECFLAG", TOPMOST: "TOPFLAG", HOUR24: "D24FLAG"}

# Every key a save writes, in the order a first save writes them.
SAVED_KEYS = {
    "PELTOCLOCK": [f"{name}_{s}" for s in (0, 1) for name in (
        "LFHEIGHT", "LFWIDTH", "LFESCAPEMENT", "LFORIENTATION", "LFWEIGHT", "LFITALIC", "LFUNDERLINE",
        "LFSTRIKEOUT", "LFCHARSET", "LFOUTPRECISION", "LFCLIPPRECISION", "LFQUALITY", "LFPITCHANDFAMILY",
        "LFFACENAME")] + ["WNDPOINTX_0", "WNDPOINTY_0", "ONLINECOLOR", "OFFLINECOLOR", "TOPFLAG", "SECFLAG",
                          "D24FLAG", "FONT1FLAG"] + [f"NUMCHAR{i}" for i in range(10)] + ["COLCHAR"],
    "NTP": ["HTTP", "FULLAUTO", "CYCLE", "RASFLAG", "EXEC", "NTP01", "HTTP01", "NTP02", "HTTP02"],
}

# Saved before every fault: synchronisation off and pointed at loopback (no test here reaches
# the network), a server history and a line of the user's own, which no save may lose.
NTP_PART = ("[NTP]\nFULLAUTO=0\nNTP01=127.0.0.1\nCOUNTS=5\n"
            + "".join(f"NTP{i}=127.0.0.{i + 1}\n" for i in range(5)) + "USERNOTE=keep me\n")
ZEROS = "".join(f"NUMCHAR{i}=0\n" for i in range(10))


def start_with(clocks, text):
    pelto.reset_profile(pelto.ini(text))
    return clocks()


def answers_at_once(driver, clock):
    """The clock's own thread answers a message within a second."""
    assert clock.alive(), "the clock has ended"
    started = time.monotonic()
    answer = driver(f"send {clock.hwnd} 0 0 0", timeout=5)  # WM_NULL, through its message loop
    elapsed = time.monotonic() - started
    assert answer.startswith("OK"), answer
    assert elapsed < 1.0, f"the clock took {elapsed:.2f} s to answer"


def strict_ini(path=None):
    """The settings file parsed strictly: every line a section header or key=value, CR LF line
    breaks, each section and each key once, every key a save writes present. Bytes that are no
    code page 932 character show as lone surrogates (\\udcXX)."""
    raw = open(path or pelto.settings_file(), "rb").read()
    text = raw.decode("cp932", "surrogateescape")
    assert "\n" not in text.replace("\r\n", ""), "a line break other than CR LF"
    sections, current = {}, None
    for line in text.split("\r\n")[:-1] if text.endswith("\r\n") else text.split("\r\n"):
        if line.startswith("["):
            assert line.endswith("]") and line[1:-1] not in sections, line
            current = sections.setdefault(line[1:-1], {})
        else:
            assert current is not None and "=" in line, f"stray line {line!r}"
            key, value = line.split("=", 1)
            assert key not in current, f"{key} twice"
            current[key] = value
    for section, keys in SAVED_KEYS.items():
        missing = [k for k in keys if k not in sections.get(section, {})]
        assert not missing, f"[{section}] lacks {missing}"
    return sections


def assert_kept_from_before(sections):
    ntp = sections["NTP"]
    assert ntp["FULLAUTO"] == "0" and ntp["NTP01"] == "127.0.0.1"
    assert ntp["COUNTS"] == "5" and all(ntp[f"NTP{i}"] == f"127.0.0.{i + 1}" for i in range(5))
    assert ntp["USERNOTE"] == "keep me"


def wait_for(check, timeout=30.0):
    """Polls until check() holds (the clock works through its queue at its own pace)."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            if check():
                return
        except (AssertionError, KeyError, UnicodeDecodeError, FileNotFoundError):
            if time.monotonic() > deadline:
                raise
        if time.monotonic() > deadline:
            raise AssertionError("the expected state never came")
        time.sleep(0.2)


def folder_listing():
    return sorted(os.listdir(pelto.settings_dir()))


def test_a_settings_file_that_cannot_be_replaced_then_can_again(driver, clocks):
    # The folder stays writable, so the new file is written and only the replace fails: the
    # temporary file must go again, and the values changed meanwhile reach the file later.
    clock = start_with(clocks, f"[PELTOCLOCK]\nWNDPOINTX_0=100\nWNDPOINTY_0=100\n{ZEROS}{NTP_PART}")
    before = open(pelto.settings_file(), "rb").read()
    subprocess.run(["chattr", "+i", pelto.settings_file()], check=True)
    try:
        driver.ok(f"move {clock.hwnd} 180 160")
        clock.command(SECONDS)
        time.sleep(1.0)
        answers_at_once(driver, clock)
        assert open(pelto.settings_file(), "rb").read() == before
        assert folder_listing() == ["PELTO.INI"], "a temporary file was left behind"
    finally:
        subprocess.run(["chattr", "-i", pelto.settings_file()], check=True)
    clock.command(HOUR24)
    wait_for(lambda: strict_ini()["PELTOCLOCK"]["D24FLAG"] == "0")
    keys = strict_ini()
    assert keys["PELTOCLOCK"]["SECFLAG"] == "1", "the change made while the file was locked is lost"
    assert (keys["PELTOCLOCK"]["WNDPOINTX_0"], keys["PELTOCLOCK"]["WNDPOINTY_0"]) == ("180", "160")
    assert_kept_from_before(keys)
    answers_at_once(driver, clock)
    assert clock.close() == 0


def test_a_folder_where_the_settings_file_should_be(driver, clocks):
    # Nothing can be read, so the clock runs on its defaults; nothing can be saved, and the
    # folder and what it holds stay exactly as they were.
    pelto.reset_profile()
    os.makedirs(pelto.settings_file())
    with open(os.path.join(pelto.settings_file(), "inside.txt"), "wb") as f:
        f.write(b"not the clock's")
    clock = clocks(offline=True)
    assert driver.info(clock.hwnd)["rect"][:2] == (0, 0)
    driver.ok(f"move {clock.hwnd} 150 120")
    for command in (SECONDS, HOUR24, TOPMOST):
        clock.command(command)
    time.sleep(1.5)
    answers_at_once(driver, clock)
    assert not driver.info(clock.hwnd)["exstyle"] & WS_EX_TOPMOST, "the commands were not carried out"
    assert os.path.isdir(pelto.settings_file())
    assert os.listdir(pelto.settings_file()) == ["inside.txt"]
    assert open(os.path.join(pelto.settings_file(), "inside.txt"), "rb").read() == b"not the clock's"
    assert folder_listing() == ["PELTO.INI"]
    assert clock.close() == 0


def test_a_settings_file_cut_off_in_mid_line(driver, clocks):
    # What was before the cut is used and kept as it was read; the keys after it take their
    # defaults; the first save makes the file whole again. One cut falls inside a double-byte
    # character, whose lone first byte is kept: it is what the file held, not ours to repair.
    data = pelto.ini(f"{NTP_PART}[PELTOCLOCK]\nWNDPOINTX_0=120\nWNDPOINTY_0=130\nLFHEIGHT_0=-40\n"
                     "NUMCHAR1=一\nNUMCHAR3=三\nSECFLAG=1\nNUMCHAR5=five\nCOLCHAR=時\n")
    cuts = [  # where the file ends, then NUMCHAR3, SECFLAG and NUMCHAR5 as the file has them after a save
        (data.index(b"five") + 2, "三", "1", "fi"),
        (data.index("三".encode("cp932")) + 1, "\udc8e", "0", "5"),
    ]
    for cut, numchar3, secflag, numchar5 in cuts:
        pelto.reset_profile(data[:cut])
        clock = clocks()
        assert driver.info(clock.hwnd)["rect"][:2] == (120, 130), cut
        answers_at_once(driver, clock)
        clock.command(HOUR24)
        wait_for(lambda: strict_ini()["PELTOCLOCK"]["D24FLAG"] == "0")
        keys = strict_ini()
        face = keys["PELTOCLOCK"]
        assert (face["LFHEIGHT_0"], face["NUMCHAR1"]) == ("-40", "一"), cut
        assert (face["NUMCHAR3"], face["SECFLAG"], face["NUMCHAR5"]) == (numchar3, secflag, numchar5), cut
        assert face["COLCHAR"] == ":", cut
        assert_kept_from_before(keys)
        answers_at_once(driver, clock)
        assert clock.close() == 0, cut


def burst(driver, clock, count, origin, commands=(SECONDS, HOUR24, TOPMOST), still_at_end=0):
    """count changes as fast as the driver sends them: toggles from the pop-up and the system
    menu, and every fourth a move, except in the last still_at_end changes. Returns how often
    each toggle ran and the last position."""
    toggled = dict.fromkeys(commands, 0)
    last = None
    for i in range(count):
        if i % 4 == 3 and i < count - still_at_end:
            last = (origin[0] + i, origin[1] + i // 2)
            driver.ok(f"move {clock.hwnd} {last[0]} {last[1]}")
        else:
            command = commands[sum(toggled.values()) % len(commands)]
            if i % 2:
                clock.command(command)
            else:
                driver.ok(f"post {clock.hwnd} {WM_SYSCOMMAND} {command} 0")
            toggled[command] += 1
    return toggled, last


def expected_flags(start, toggled):
    return {FLAG_OF[c]: str(start[FLAG_OF[c]] ^ (n % 2)) for c, n in toggled.items()}


def test_two_hundred_changes_in_quick_succession(driver, clocks):
    clock = start_with(clocks, f"[PELTOCLOCK]\nWNDPOINTX_0=100\nWNDPOINTY_0=100\n{ZEROS}{NTP_PART}")
    # 47 moves and 153 toggles, 51 of each kind, so every flag ends the other way round; the
    # last twelve changes are toggles, which must not move the window.
    toggled, last = burst(driver, clock, 200, (100, 100), still_at_end=12)
    clock.drain()
    assert all(n % 2 == 1 for n in toggled.values())
    want = expected_flags({"SECFLAG": 0, "D24FLAG": 1, "TOPFLAG": 1}, toggled)
    want.update(WNDPOINTX_0=str(last[0]), WNDPOINTY_0=str(last[1]))

    def settled():
        keys = strict_ini()["PELTOCLOCK"]
        return all(keys[k] == v for k, v in want.items())

    # Drained, so the file may lag behind the last change but never pass through it again.
    wait_for(settled)
    time.sleep(1.0)
    assert settled(), (want, dict(strict_ini()["PELTOCLOCK"]))
    answers_at_once(driver, clock)
    info = driver.info(clock.hwnd)
    assert info["rect"][:2] == last
    assert bool(info["exstyle"] & WS_EX_TOPMOST) == (want["TOPFLAG"] == "1")
    assert_kept_from_before(strict_ini())
    assert folder_listing() == ["PELTO.INI"]
    assert clock.close() == 0


def test_two_copies_saving_the_same_file_at_once(driver, clocks):
    pelto.reset_profile(pelto.ini(f"[PELTOCLOCK]\nWNDPOINTX_0=100\nWNDPOINTY_0=100\n{ZEROS}{NTP_PART}"))
    first, second = clocks(), clocks()
    # Interleaved bursts, each copy toggling a flag of its own an odd number of times, so the
    # file shows whose save it holds: the first ends with seconds on, the second with a
    # 12-hour face, each at its own place.
    plan = ((first, SECONDS, (100, 100)), (second, HOUR24, (400, 300)))
    counts = {first.hwnd: 0, second.hwnd: 0}
    last = {}
    for _ in range(3):
        for clock, command, origin in plan:
            toggled, last[clock.hwnd] = burst(driver, clock, 27, origin, (command,))
            counts[clock.hwnd] += toggled[command]
    assert all(n % 2 == 1 for n in counts.values())
    for clock in (first, second):
        clock.drain()
        answers_at_once(driver, clock)
    whole_states = [
        {"SECFLAG": "1", "D24FLAG": "1", "WNDPOINTX_0": str(last[first.hwnd][0]),
         "WNDPOINTY_0": str(last[first.hwnd][1])},
        {"SECFLAG": "0", "D24FLAG": "0", "WNDPOINTX_0": str(last[second.hwnd][0]),
         "WNDPOINTY_0": str(last[second.hwnd][1])},
    ]

    def whole_state_of_one_copy():
        keys = strict_ini()["PELTOCLOCK"]
        return any(all(keys[k] == v for k, v in want.items()) for want in whole_states)

    # Each save writes every setting from one copy's memory: the file ends as one copy's whole
    # state, never a mixture, and never torn.
    wait_for(whole_state_of_one_copy)
    time.sleep(1.0)
    assert whole_state_of_one_copy()
    assert_kept_from_before(strict_ini())
    assert folder_listing() == ["PELTO.INI"]
    for clock in (first, second):
        answers_at_once(driver, clock)
        assert clock.close() == 0
