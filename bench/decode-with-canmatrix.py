#!/usr/bin/env python3
"""Decodes every frame of a candump log with python-can's log reader and canmatrix's DBC decoder,
the way a python-can script would: one dictionary of physical values per message of a known
parameter group. Prints frames, decoded messages and decoded signals.

Usage: decode-with-canmatrix.py RECORDING.log LIBRARY.dbc"""
import sys

import can
import canmatrix.formats


def main():
    recording, dbc = sys.argv[1], sys.argv[2]
    matrix = canmatrix.formats.loadp_flat(dbc)
    # J1939: a message is known by its PGN, whatever the source (and destination of PDU1).
    by_pgn = {frame.arbitration_id.pgn: frame for frame in matrix.frames}
    frames = messages = values = 0
    for msg in can.LogReader(recording):
        frames += 1
        pgn = (msg.arbitration_id >> 8) & 0x3FFFF
        if ((pgn >> 8) & 0xFF) < 0xF0:
            pgn &= 0x3FF00
        frame = by_pgn.get(pgn)
        if frame is None:
            continue
        decoded = frame.decode(bytes(msg.data))
        messages += 1
        values += len(decoded)
    print('%d frames, %d messages, %d values' % (frames, messages, values))


if __name__ == '__main__':
    main()
