#!/usr/bin/python3
"""A loopback UDP relay with a delay on one direction only: an asymmetric path for the SNTP
benchmarks. Datagrams from a client to LISTEN are sent on to UPSTREAM after DELAY_MS; the
server's answers go back to the client at once. Each client gets its own upstream socket, so
the answers find their way back.

usage: relay.py LISTEN_ADDRESS UPSTREAM_ADDRESS DELAY_MS [PORT]
Prints "ready" once bound; runs until killed.
"""
import heapq
import select
import socket
import sys
import time


def main():
    listen_addr, upstream_addr, delay_ms = sys.argv[1], sys.argv[2], float(sys.argv[3])
    port = int(sys.argv[4]) if len(sys.argv) > 4 else 123
    front = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    front.bind((listen_addr, port))
    upstream = (upstream_addr, port)
    by_client = {}   # client address -> its upstream socket
    by_socket = {}   # upstream socket -> client address
    last_seen = {}   # upstream socket -> when its client last sent
    pending = []     # (due, sequence, socket, data)
    sequence = 0
    print("ready", flush=True)
    while True:
        timeout = None
        if pending:
            timeout = max(0.0, pending[0][0] - time.monotonic())
        readable, _, _ = select.select([front, *by_socket], [], [], timeout)
        for sock in readable:
            if sock is front:
                data, client = front.recvfrom(2048)
                out = by_client.get(client)
                if out is None:
                    out = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
                    out.bind((listen_addr, 0))
                    by_client[client] = out
                    by_socket[out] = client
                last_seen[out] = time.monotonic()
                sequence += 1
                heapq.heappush(pending, (time.monotonic() + delay_ms / 1000, sequence, out, data))
            else:
                try:
                    data = sock.recv(2048)
                except OSError:
                    continue
                front.sendto(data, by_socket[sock])
        now = time.monotonic()
        # Clients use a fresh port per request: let go of sockets idle for a while.
        for sock in [s for s, t in last_seen.items() if now - t > 5]:
            if any(p[2] is sock for p in pending):
                continue
            del by_client[by_socket.pop(sock)], last_seen[sock]
            sock.close()
        while pending and pending[0][0] <= now:
            _, _, out, data = heapq.heappop(pending)
            try:
                out.sendto(data, upstream)
            except OSError:
                pass


if __name__ == "__main__":
    main()
