#!/usr/bin/python3
"""Loopback SNTP server for the tests: one UDP socket on port 123 per scenario, each on its own
loopback address, answering with what real servers do not send (silence, late or short replies,
spoofed and genuine replies, kiss codes, unsynchronised or malformed answers, a 2036 timestamp).

usage: fake-ntp-server.py PREFIX OUTFILE
Binds PREFIX.10, PREFIX.11, ... (for example 127.123.45.10) and writes one line per scenario,
"name address", to OUTFILE once every socket is bound.
"""
import os
import select
import socket
import struct
import sys
import threading
import time

NTP_UNIX_DELTA = 2208988800
PORT = 123


def ntp_now(offset=0.0):
    t = time.time() + offset
    secs = int(t)
    frac = int((t - secs) * 2**32) & 0xFFFFFFFF
    return (secs + NTP_UNIX_DELTA) & 0xFFFFFFFF, frac


def packet(request, *, li=0, vn=4, mode=4, stratum=2, refid=b"LOCL", originate=None,
           receive=None, transmit=None, root_delay=0x100, root_dispersion=0x100):
    """A server reply to `request` (the client's 48 bytes); timestamps default to now."""
    org = originate if originate is not None else struct.unpack("!II", request[40:48])
    rx = receive if receive is not None else ntp_now()
    tx = transmit if transmit is not None else ntp_now()
    return (struct.pack("!BBbb", (li << 6) | (vn << 3) | mode, stratum, 6, -20)
            + struct.pack("!II", root_delay, root_dispersion) + refid
            + struct.pack("!II", *ntp_now(-10)) + struct.pack("!II", *org)
            + struct.pack("!II", *rx) + struct.pack("!II", *tx))


def later(sock, peer, delay, data):
    def send():
        time.sleep(delay)
        try:
            sock.sendto(data, peer)
        except OSError:
            pass
    threading.Thread(target=send, daemon=True).start()


def spoof_then_genuine(sock, peer, req):
    wrong = struct.unpack("!II", req[40:48])
    spoof = packet(req, originate=(wrong[0], wrong[1] ^ 0x0000FFFF), receive=ntp_now(3600),
                   transmit=ntp_now(3600))
    sock.sendto(spoof, peer)
    time.sleep(0.05)
    sock.sendto(packet(req), peer)


SCENARIOS = [
    ("silent", lambda s, p, r: None),
    ("late", lambda s, p, r: later(s, p, 2.3, packet(r))),
    ("short", lambda s, p, r: s.sendto(packet(r)[:40], p)),
    ("spoof_then_genuine", spoof_then_genuine),
    ("kod_rate", lambda s, p, r: s.sendto(packet(r, li=3, stratum=0, refid=b"RATE"), p)),
    ("kod_deny", lambda s, p, r: s.sendto(packet(r, li=3, stratum=0, refid=b"DENY"), p)),
    ("leap3", lambda s, p, r: s.sendto(packet(r, li=3), p)),
    ("stratum16", lambda s, p, r: s.sendto(packet(r, stratum=16), p)),
    ("wrong_mode", lambda s, p, r: s.sendto(packet(r, mode=5), p)),
    ("zero_transmit", lambda s, p, r: s.sendto(packet(r, receive=(0, 0), transmit=(0, 0)), p)),
    ("era2036", lambda s, p, r: s.sendto(packet(r, receive=(0, 0x00010000), transmit=(0, 0x00020000)), p)),
]


def main():
    prefix, outfile = sys.argv[1], sys.argv[2]
    sockets = {}
    lines = []
    for i, (name, handler) in enumerate(SCENARIOS):
        address = f"{prefix}.{10 + i}"
        sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.bind((address, PORT))
        sockets[sock] = handler
        lines.append(f"{name} {address}\n")
    tmp = outfile + ".tmp"
    with open(tmp, "w") as f:
        f.writelines(lines)
    os.replace(tmp, outfile)
    while True:
        readable, _, _ = select.select(list(sockets), [], [])
        for sock in readable:
            try:
                data, peer = sock.recvfrom(2048)
            except OSError:
                continue
            if len(data) >= 48:
                threading.Thread(target=sockets[sock], args=(sock, peer, data), daemon=True).start()


if __name__ == "__main__":
    main()
