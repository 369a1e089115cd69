#!/usr/bin/env python3
"""Writes the hand-made seeds of the fuzz targets into tests/fixtures/fuzz/<target>/.

The SNTP and HTTP targets read their input through libFuzzer's FuzzedDataProvider (numbers from
the end of the input, byte runs from the front); Provider below builds inputs in that layout, so
each seed is a meaningful exchange. The settings targets take plain files: their seeds are the
golden-file cases of the unit tests plus a few odd files. Run it after changing a target's input
layout; inputs kept because they once made a target fail (regress-*) are left alone.
"""
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "tests", "fixtures", "fuzz")
NTP_UNIX = 2208988800


class Provider:
    """The inverse of FuzzedDataProvider for the calls the targets make."""

    def __init__(self):
        self.front = bytearray()
        self.back = []  # in the order the target consumes them

    def integral(self, lo, hi, value):
        span, offset, result = hi - lo, 0, value - lo
        assert 0 <= result <= span
        n = 0
        while offset < 64 and (span >> offset) > 0:
            n += 1
            offset += 8
        for i in reversed(range(n)):  # the first byte consumed is the most significant
            self.back.append((result >> (8 * i)) & 0xFF)

    def raw(self, data):
        self.front += data

    def string(self, text):  # ConsumeRandomLengthString: a backslash and another byte end it
        self.front += text.replace(b"\\", b"\\\\") + b"\\E"

    def bytes(self):
        return bytes(self.front) + bytes(reversed(self.back))


def ntp(unix_ms):
    return struct.pack(">II", (unix_ms // 1000 + NTP_UNIX) & 0xFFFFFFFF, ((unix_ms % 1000) << 32) // 1000)


def reply(recv_ms, xmit_ms, first=0x24, stratum=2, refid=0x7F000001, root=(0x800, 0x400), raw_times=None):
    head = struct.pack(">BBbbIII", first, stratum, 6, -20, root[0], root[1], refid)
    times = raw_times if raw_times else ntp(recv_ms) + ntp(xmit_ms)
    return head + ntp(recv_ms - 10000) + b"\0" * 8 + times  # originate is patched by the target


def sntp_seed(datagrams, wall_s=1704067200, wall_ms=0, flags=0, nonce=0x1234):
    """datagrams: (delay ms, kind byte, bytes); kind bit 0 = echo our transmit, 0xFF = error."""
    p = Provider()
    p.integral(0, 4294967295, wall_s)
    p.integral(0, 999, wall_ms)
    p.integral(0, 255, flags)
    p.integral(0, 65535, nonce)
    p.integral(0, 6, len(datagrams))
    for delay, kind, data in datagrams:
        p.integral(0, 4000, delay)
        p.integral(0, 255, kind)
        p.integral(0, 1100, len(data))
        p.raw(data)
    return p.bytes()


def sntp_seeds():
    t = 1704067200 * 1000
    good = reply(t + 10, t + 11)
    return {
        "good-reply": sntp_seed([(20, 1, good)]),
        "good-reply-with-extension": sntp_seed([(20, 1, good + b"\0" * 24)]),
        "stale-then-good": sntp_seed([(5, 0, good), (30, 1, good)]),
        "short-then-nothing": sntp_seed([(5, 1, good[:40])]),
        "kiss-rate": sntp_seed([(20, 1, reply(t + 10, t + 11, first=0xE4, stratum=0, refid=0x52415445))]),
        "stratum-16": sntp_seed([(20, 1, reply(t + 10, t + 11, stratum=16))]),
        "port-unreachable": sntp_seed([(1, 0xFF, b"")]),
        "too-late": sntp_seed([(2500, 1, reply(t + 1250, t + 1251))]),
        "no-answer": sntp_seed([]),
        "negative-round-trip": sntp_seed([(0, 1, reply(t, t + 3))]),
        "fraction-rounds-to-1000": sntp_seed([(20, 1, reply(0, 0, raw_times=ntp(t + 10) + struct.pack(">II", (t // 1000 + NTP_UNIX), 0xFFF00000)))]),
        "era-end-2106": sntp_seed([(20, 1, reply(0, 0, raw_times=struct.pack(">IIII", NTP_UNIX - 1, 0xF0000000, NTP_UNIX, 0x10000000)))]),
        "era-2036": sntp_seed([(20, 1, reply(0, 0, raw_times=struct.pack(">IIII", 0xFFFFFFFF, 0xFF000000, 0, 0x01000000)))], wall_s=2085978496),
        "local-2106": sntp_seed([(20, 1, good)], wall_s=4294967000),
        "no-socket": sntp_seed([(20, 1, good)], flags=1),
        "no-connect": sntp_seed([(20, 1, good)], flags=2),
    }


def http_seed(body, url=b"http://127.0.0.1/cgi-bin/ntp", flags=0, fail_at=None, ms_per_read=5,
              short=(0, 0, 0), base_s=1704067200):
    p = Provider()
    p.integral(0, 255, flags | (2 if fail_at is not None else 0))
    if fail_at is not None:
        p.integral(0, 10, fail_at)
    p.integral(0, 400, ms_per_read)
    for s in short:
        p.integral(0, 300, s)
    p.integral(0, 4294967295, base_s)
    p.string(url)
    p.raw(body)
    return p.bytes()


def http_seeds():
    page = b"<html><head><title>time</title></head>\r\n<BODY>\r\n3913056000.123\r\n</BODY></html>\r\n"
    return {
        "page": http_seed(page),
        "lower-case-tags": http_seed(page.replace(b"BODY", b"body")),
        "no-scheme": http_seed(page, url=b"127.0.0.1/cgi-bin/ntp"),
        "host-only": http_seed(page, url=b"http://127.0.0.1"),
        "https": http_seed(page, url=b"https://127.0.0.1/ntp"),
        "empty-host": http_seed(page, url=b"http:///ntp"),
        "only-milliseconds": http_seed(b"<BODY>123</BODY>"),
        "signed-milliseconds": http_seed(b"<BODY>3913056000.-12</BODY>"),
        "before-1970": http_seed(b"<BODY>2208988799.999</BODY>"),
        "end-tag-beyond-2250": http_seed(b"<BODY>3913056000.123" + b" " * 2300 + b"</BODY>"),
        "long-page": http_seed(b"x" * 2000 + page),
        "zero-byte-in-piece": http_seed(b"<BODY>3913\x00056000.123</BODY>"),
        "short-reads": http_seed(page, short=(7, 1, 250)),
        "connect-fails": http_seed(page, flags=1),
        "read-fails": http_seed(page * 4, fail_at=1),
        "slow": http_seed(page, ms_per_read=400),
        "year-2106": http_seed(b"<BODY>6503956095.999</BODY>"),
        "huge-seconds": http_seed(b"<BODY>99999999999999999999999.999</BODY>"),
        "double-byte": http_seed("<BODY>３９１３０５６０００.123</BODY>".encode("cp932")),
    }


def url_seeds():
    urls = [b"http://time.example.com/cgi-bin/ntp", b"time.example.com/cgi-bin/ntp", b"http://host",
            b"https://host/path", b"host:8080/path", b"xhttp://host/p", b"http://", b"/", b""]
    return {"url-%d" % i: u for i, u in enumerate(urls)}


def settings_seeds():
    seeds = {}
    golden = os.path.join(ROOT, "tests", "fixtures", "settings")
    for name in sorted(n for n in os.listdir(golden) if not n.startswith(".")):
        with open(os.path.join(golden, name), "rb") as f:
            seeds[name] = f.read()
    seeds["bom-crlf"] = b"\xef\xbb\xbf[PELTOCLOCK]\r\nSECFLAG=1\r\n[NTP]\r\nNTP01=  \"a b\"  \r\n"
    seeds["cr-only-no-final-break"] = b"[NTP]\rCYCLE=40\r[PELTOCLOCK]\rFONT1FLAG=7\rWNDPOINTX_1=-20"
    seeds["duplicate-sections"] = b"[NTP]\nNTP01=a\n[NTP]\nNTP01=b\n[ntp]\nNTP02=c\n"
    seeds["odd-lines"] = b"junk before\n[PELTOCLOCK\nNUMCHAR1\n=x\n ; comment\n[PELTOCLOCK]]\nCOLCHAR='\n\x00\n\x1a\n"
    seeds["double-byte"] = "[PELTOCLOCK]\nNUMCHAR1=一\nLFFACENAME_0=ＭＳ Ｐゴシック ＭＳ Ｐゴシック ＭＳ\n".encode("cp932")
    seeds["trail-byte-bracket"] = b"[\x83\x5d]\nA=\x83\x5c\n[PELTOCLOCK]\nNUMCHAR0=\x81\x5d\n"
    return seeds


def history_seeds():
    seeds = settings_seeds()
    seeds["history-7"] = b"[NTP]\nCOUNTS=7\n" + b"".join(b"NTP%d=server%d\n" % (i, i) for i in range(7))
    seeds["history-huge-count"] = b"[NTP]\nCOUNTS=2147483647\nNTP0=a\n"
    seeds["history-negative-count"] = b"[NTP]\nCOUNTS=-3\nNTP3=\n"
    seeds["history-quoted"] = b"[NTP]\nCOUNTS=4\nNTP0=' x '\nNTP1=\"\"\nNTP2= \nNTP3=\"a\n"
    return seeds


def write(target, seeds):
    folder = os.path.join(OUT, target)
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        if not name.startswith("regress-"):
            os.remove(os.path.join(folder, name))
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    write("sntp_reply", sntp_seeds())
    write("http_time", http_seeds())
    write("url", url_seeds())
    write("profile_file", settings_seeds())
    write("settings_file", settings_seeds())
    write("server_history", history_seeds())
    return 0


if __name__ == "__main__":
    sys.exit(main())
