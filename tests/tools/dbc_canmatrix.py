#!/usr/bin/env python3
"""Decodes a candump log with a DBC database through canmatrix, as a reference for our reader.

Usage: dbc_canmatrix.py DATABASE.dbc RECORDING.log
Prints "frames N" with the count of data frames read, then one line per decoded signal:
"INDEX<TAB>MESSAGE<TAB>SIGNAL<TAB>VALUE", INDEX counting the data frames of the recording from 0.
A J1939 message is found by its PGN, any other by its exact identifier.
Exits with 3 when canmatrix is not installed.
"""
import re
import sys

try:
    import canmatrix.formats
except ImportError:
    sys.exit(3)

LINE = re.compile(r"^\s*\(\d+(?:\.\d*)?\)\s+\S+\s+([0-9A-Fa-f]{3}|[0-9A-Fa-f]{8})#([0-9A-Fa-f]{0,16})\s*[RT]?\s*$")


def main():
    database = canmatrix.formats.loadp_flat(sys.argv[1])
    j1939 = database.contains_j1939
    frames = 0
    out = []
    with open(sys.argv[2], encoding="ascii", errors="replace") as log:
        for text in log:
            match = LINE.match(text)
            if not match or len(match.group(2)) % 2:
                continue
            index = frames
            frames += 1
            ident = int(match.group(1), 16)
            extended = len(match.group(1)) == 8
            data = bytes.fromhex(match.group(2))
            if extended and j1939:
                frame = database.frame_by_pgn(canmatrix.ArbitrationId(ident, extended=True).pgn)
            else:
                frame = database.frame_by_id(canmatrix.ArbitrationId(ident, extended=extended))
            if frame is None or len(data) < frame.size:
                continue
            for name, signal in frame.decode(data).items():
                out.append("%d\t%s\t%s\t%r" % (index, frame.name, name, float(signal.phys_value)))
    print("frames %d" % frames)
    print("\n".join(out))


if __name__ == "__main__":
    main()
