#!/usr/bin/env python3
"""Writes a deterministic J1939 trace of N frames (default 1,000,000) from 30 engine-like units as
a candump log and as a pcap with the SocketCAN link type (227) that tshark's J1939 dissector reads.

Each unit sends EEC1 every 20 ms, CCVS every 100 ms, ET1 and HOURS every second and DM1 every
second (even addresses in one frame, odd ones three codes by BAM); every 10 s the tool at 0xF9
asks each unit for its software identification, which comes by RTS/CTS.

Usage: make-j1939-trace.py OUT.log OUT.pcap [FRAMES]"""
import heapq
import struct
import sys

UNITS = 30
TOOL = 0xF9
START_US = 1765000000 * 1000000


def can_id(priority, pgn, source, destination=0xFF):
    pf = (pgn >> 8) & 0xFF
    if pf < 0xF0:
        pgn = (pgn & 0x3FF00) | destination
    return (priority << 26) | (pgn << 8) | source


def eec1(unit, k):
    rpm = int((800 + (k * 7 + unit * 13) % 1600) / 0.125)
    torque = 125 + (k + unit) % 100
    return bytes([0xF1, torque, torque, rpm & 0xFF, rpm >> 8, 0x00, 0xF0, torque])


def ccvs(unit, k):
    speed = (k * 3 + unit * 256) % 0xFA00
    return bytes([0xFF, speed & 0xFF, speed >> 8, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF])


def et1(unit, k):
    return bytes([40 + 40 + (k + unit) % 60, 40 + 50, 0x20, 0x2E, 0xFF, 0xFF, 0xFF, 0xFF])


def hours(unit, k):
    h = 20000 + unit * 1000 + k
    return struct.pack('<II', h, 0xFFFFFFFF)


def dm1_payload(unit, k):
    lamps = bytes([0x04 if k % 20 < 10 else 0x00, 0xFF])
    codes = []
    for i in range(3):
        spn = 100 + unit * 10 + i
        fmi = (i + 1) % 32
        codes.append(bytes([spn & 0xFF, (spn >> 8) & 0xFF, ((spn >> 16) << 5) | fmi, 1 + k % 5]))
    return lamps + b''.join(codes)


def main():
    log_path, pcap_path = sys.argv[1], sys.argv[2]
    total = int(sys.argv[3]) if len(sys.argv) > 3 else 1000000
    queue = []  # (time µs, order, unit, kind, k)
    order = 0
    for unit in range(UNITS):
        for kind, period, offset in (('eec1', 20000, 0), ('ccvs', 100000, 3000), ('et1', 1000000, 5000),
                                     ('hours', 1000000, 7000), ('dm1', 1000000, 9000),
                                     ('soft', 10000000, 11000)):
            heapq.heappush(queue, (offset + unit * 300, order, unit, kind, 0))
            order += 1
    periods = {'eec1': 20000, 'ccvs': 100000, 'et1': 1000000, 'hours': 1000000, 'dm1': 1000000,
               'soft': 10000000}
    frames = []  # (time, id, data)

    def emit(t, ident, data):
        frames.append((t, ident, data))

    while len(frames) < total and queue:
        t, _, unit, kind, k = heapq.heappop(queue)
        sa = unit
        if kind == 'eec1':
            emit(t, can_id(3, 0xF004, sa), eec1(unit, k))
        elif kind == 'ccvs':
            emit(t, can_id(6, 0xFEF1, sa), ccvs(unit, k))
        elif kind == 'et1':
            emit(t, can_id(6, 0xFEEE, sa), et1(unit, k))
        elif kind == 'hours':
            emit(t, can_id(6, 0xFEE5, sa), hours(unit, k))
        elif kind == 'dm1':
            if unit % 2 == 0:
                emit(t, can_id(6, 0xFECA, sa),
                     bytes([0x00, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF]) if k % 3 else
                     bytes([0x04, 0xFF, 100 + unit, 0, 3, 1 + k % 5, 0xFF, 0xFF]))
            else:
                payload = dm1_payload(unit, k)
                size = len(payload)
                packets = (size + 6) // 7
                emit(t, can_id(7, 0xECFF, sa),
                     bytes([0x20, size & 0xFF, size >> 8, packets, 0xFF, 0xCA, 0xFE, 0x00]))
                for n in range(packets):
                    chunk = payload[n * 7:(n + 1) * 7].ljust(7, b'\xff')
                    emit(t + 50000 * (n + 1), can_id(7, 0xEBFF, sa), bytes([n + 1]) + chunk)
        elif kind == 'soft':
            ident = ('SW*%02X*1.%d.%d*' % (unit, k % 10, unit)).encode() * 2
            size = len(ident)
            packets = (size + 6) // 7
            emit(t, can_id(6, 0xEA00, TOOL, sa), bytes([0xDA, 0xFE, 0x00]) + b'\xff' * 5)
            emit(t + 2000, can_id(7, 0xEC00, sa, TOOL),
                 bytes([0x10, size & 0xFF, size >> 8, packets, 0xFF, 0xDA, 0xFE, 0x00]))
            emit(t + 4000, can_id(7, 0xEC00, TOOL, sa),
                 bytes([0x11, packets, 1, 0xFF, 0xFF, 0xDA, 0xFE, 0x00]))
            for n in range(packets):
                chunk = ident[n * 7:(n + 1) * 7].ljust(7, b'\xff')
                emit(t + 6000 + 1000 * n, can_id(7, 0xEB00, sa, TOOL), bytes([n + 1]) + chunk)
            emit(t + 7000 + 1000 * packets, can_id(7, 0xEC00, TOOL, sa),
                 bytes([0x13, size & 0xFF, size >> 8, packets, 0xFF, 0xDA, 0xFE, 0x00]))
        heapq.heappush(queue, (t + periods[kind], order, unit, kind, k + 1))
        order += 1

    frames.sort(key=lambda f: f[0])
    del frames[total:]
    with open(log_path, 'w') as log:
        log.writelines('(%d.%06d) can0 %08X#%s\n' % ((START_US + t) // 1000000, (START_US + t) % 1000000,
                                                      ident, data.hex().upper())
                       for t, ident, data in frames)
    with open(pcap_path, 'wb') as pcap:
        pcap.write(struct.pack('<IHHiIII', 0xA1B2C3D4, 2, 4, 0, 0, 65535, 227))
        out = []
        for t, ident, data in frames:
            us = START_US + t
            out.append(struct.pack('<IIII', us // 1000000, us % 1000000, 16, 16))
            out.append(struct.pack('>IB3x', ident | 0x80000000, len(data)) + data.ljust(8, b'\x00'))
        pcap.write(b''.join(out))
    print('%d frames, %.1f s of bus time' % (len(frames), frames[-1][0] / 1e6))


if __name__ == '__main__':
    main()
