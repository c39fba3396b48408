#!/usr/bin/env python3
"""Logs every TCP connection attempt (a SYN without ACK) on the loopback device to given ports.

One line per SYN, retransmissions included: "SECONDS DESTINATION PORT CLIENT_PORT", seconds
since the epoch when it was seen. A SYN that a full accept queue drops leaves no other trace, so
this is how the fall-back benchmark sees when each HTTPS attempt began. Needs CAP_NET_RAW; run it
inside the benchmark's network namespace, where the loopback device carries only its traffic.
"""
import argparse
import ipaddress
import pathlib
import socket
import struct
import sys
import time

ETH_P_ALL = 0x0003
ETHERNET_HEADER_BYTES = 14  # the loopback device has a zeroed Ethernet header too
ETHERTYPE_IPV4 = 0x0800
ETHERTYPE_IPV6 = 0x86DD
IPV6_HEADER_BYTES = 40
PROTOCOL_TCP = 6
TCP_SYN = 0x02
TCP_ACK = 0x10


def connection_attempt(frame):
    """(destination, port, client port) of a SYN without ACK, or None for any other frame."""
    ethertype = struct.unpack_from("!H", frame, 12)[0]
    ip = ETHERNET_HEADER_BYTES
    if ethertype == ETHERTYPE_IPV4 and len(frame) >= ip + 20:
        if frame[ip + 9] != PROTOCOL_TCP:
            return None
        destination = ipaddress.IPv4Address(frame[ip + 16:ip + 20])
        tcp = ip + (frame[ip] & 0x0F) * 4
    elif ethertype == ETHERTYPE_IPV6 and len(frame) >= ip + IPV6_HEADER_BYTES:
        if frame[ip + 6] != PROTOCOL_TCP:  # extension headers do not occur on this path
            return None
        destination = ipaddress.IPv6Address(frame[ip + 24:ip + 40])
        tcp = ip + IPV6_HEADER_BYTES
    else:
        return None
    if len(frame) < tcp + 14:
        return None
    client_port, port = struct.unpack_from("!HH", frame, tcp)
    flags = frame[tcp + 13]
    if flags & TCP_SYN and not flags & TCP_ACK:
        return destination, port, client_port
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--log", required=True)
    parser.add_argument("--ready", required=True, help="file created once watching")
    parser.add_argument("ports", type=int, nargs="+")
    args = parser.parse_args()
    watcher = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(ETH_P_ALL))
    watcher.bind(("lo", 0))
    pathlib.Path(args.ready).touch()
    with open(args.log, "a", encoding="ascii", buffering=1) as log:
        while True:
            frame, address = watcher.recvfrom(65535)
            seen_at = time.time()
            # The loopback device shows each frame twice, going out and coming in.
            if address[2] != socket.PACKET_OUTGOING:
                continue
            attempt = connection_attempt(frame)
            if attempt and attempt[1] in args.ports:
                log.write(f"{seen_at:.6f} {attempt[0]} {attempt[1]} {attempt[2]}\n")


if __name__ == "__main__":
    sys.exit(main())
