#!/usr/bin/env python3
"""Generates the built-in demo recording (candump log format) of the machine's J1939 bus.

Units and messages: controller 0xA0 (IO state 0xFF30, block state 0xFF31, 100 ms; the ZBus bridge
0xFF34 with nine sensors, each every 100 ms), control panels 0x9D-0x9F (state 0xFF32, 20 ms), support
indication panel 0x9C (0xFF33, 100 ms), cabin controller 0x0A and support controller 0x80 (AUX IO
0xFED9, 100 ms), an SAE joystick 0x4A (BJM1 0xFDD6, 100 ms), engine 0x00 (EEC1 0xF004 20 ms, ET1
0xFEEE and HOURS 0xFEE5 1 s, DM1 0xFECA with two codes by BAM every second). Every payload has the
layout the program's own classes decode: block-state error bytes are 0xFF (no error) with now and
then one code, and the pressure sensor sends its fault pattern (all 0xFF) for a few seconds per loop.

The output is deterministic and loops seamlessly: every period and every wave divides the length.
Usage: make-demo-bus.py [OUTPUT] [SECONDS]
"""
import math
import sys

DURATION_S = 90


def ident(priority, pf, ps, sa):
    return (priority << 26) | (pf << 16) | (ps << 8) | sa


def sign_magnitude(v):
    v = max(-127, min(127, int(round(v))))
    return (0x80 | -v) if v < 0 else v


def wave(t, period, lo, hi, phase=0.0):
    return lo + (hi - lo) * (0.5 + 0.5 * math.sin(2 * math.pi * (t / period + phase)))


def controller_io(t):
    step = int(t / 3)
    in1 = 1 if step % 4 in (1, 2) else 0
    in2 = 2 if step % 5 == 3 else 1
    b0 = in1 | (1 << 2 if in1 else 0) | (in2 << 3) | (1 << 5 if in2 == 1 else 0)
    b3 = 0xC0 | (step % 2) | ((step // 2) % 2) << 3
    groups = [0] * 10
    groups[0] = 1  # RPM1 on
    groups[3] = 1 if step % 3 else 0  # PILOT
    moving = step % 6
    if moving < 5:
        groups[4 + moving] = 1
    word = 0
    for i, g in enumerate(groups):
        word |= (g & 7) << (3 * i)
    return [b0, 0, 0, b3] + list(word.to_bytes(4, 'little'))


def controller_blocks(t):
    step = int(t / 10)
    locks = [3, 3, 3, 3, 3, 3]
    locks[step % 6] = (step // 6) % 3
    word = 0
    for i, lock in enumerate(locks):
        word |= lock << (2 * i)
    word |= (step % 4) << 12
    # Error codes up to the first 0xFF are active: none, or now and then one.
    errors = [0x01, 0x0A, 0xFF, 0xFF, 0xFF, 0xFF] if step % 3 == 2 else [0xFF] * 6
    return list(word.to_bytes(2, 'little')) + errors


def panel(t, sa):
    phase = {0x9D: 0.0, 0x9E: 0.33, 0x9F: 0.66}[sa]
    lx = wave(t, 9.0, -100, 100, phase)
    ly = wave(t, 10.0, -60, 60, phase)
    rx = wave(t, 5.0, -40, 40, phase)
    ry = wave(t, 15.0, -100, 100, phase)
    buttons = (0x80 if int(t * 2 + sa) % 9 == 0 else 0) | (0x10 if int(t) % 17 == 3 else 0)
    flags = 1 if abs(lx) > 5 or abs(ly) > 5 else 0
    rflags = 1 if abs(rx) > 5 or abs(ry) > 5 else 0
    rbuttons = 0x80 if sa == 0x9F else 0
    return [sign_magnitude(lx), sign_magnitude(ly), buttons | flags,
            sign_magnitude(rx), sign_magnitude(ry), rbuttons | rflags, 0, 0]


def support_panel(t):
    step = int(t / 4)
    b0 = 1 | (1 << 2) | (1 << 3) | ((step % 2) << 5)
    b3 = 0x80 if step % 7 == 0 else 0
    word = 1 | ((step % 2) << 3)
    return [b0, 0, 0, b3] + list(word.to_bytes(4, 'little'))


def cabin_aux(t):
    step = int(t / 2)
    buttons = 0x40 if step % 5 == 0 else 0
    leds = 0x40 if step % 2 else 0x00
    auxio1 = int(wave(t, 18.0, 100, 900))
    return [buttons, 0, leds, 0x40] + list(auxio1.to_bytes(2, 'little')) + [0xE8, 0x03]


def support_aux(t):
    step = int(t / 5)
    outs = 0x55 if step % 2 else 0x50
    inputs = 0x1B
    auxio1 = int(wave(t, 30.0, 0, 4000))
    return [outs, 0, 0, inputs] + list(auxio1.to_bytes(2, 'little')) + [0, 0]


def word_bytes(w, n=2):
    return list((w & ((1 << (8 * n)) - 1)).to_bytes(n, 'little'))


# ZBus sensors behind the controller: (address, leading data bytes); the rest of the seven
# data bytes is 0xFF.
def zsa(t):  # ZSA-01 at 0x20: F and input 1
    return word_bytes(int(wave(t, 18.0, 200, 12000)) & 0x3FFF | 1 << 14)


def zsb(t):  # ZSB (zsb-07) at 0x07: pressure 0..250, fault pattern for 4 s of every loop
    if 60.0 <= t % DURATION_S < 64.0:
        return [0xFF] * 7
    return word_bytes(int(round(wave(t, 30.0, 0, 250) * 256 / 6.25)))


def zse(t):  # ZSE at 0x1D: angle (1/256), length, inputs 1 and 2
    ang = int(round(wave(t, 45.0, 0, 80) * 256))
    length = int(wave(t, 30.0, 100, 3000)) & 0xFFF
    return word_bytes(ang) + word_bytes(length | 1 << 14 | 2 << 12)


def zsk(t):  # ZSK at 0x0E: slewing angle 0..360, temperature -20
    ang = int(round((t % 90.0) * 4 * 1024 / 360)) & 0x3FF
    return word_bytes(ang | ((-20 + 62) & 0x3C) << 8 | 1 << 14)


def zsl(t):  # ZSL at 0x0F: wind 0..30
    return word_bytes(int(round(wave(t, 15.0, 0, 30) * 10)) & 0x3FFF | 1 << 14)


def zsh(t):  # ZSH (zsh-01) at 0x01: inclination 0..10 degrees
    return word_bytes(int(round(wave(t, 10.0, 0, 10) * 256)) & 0x7FFF)


def zsc(t):  # ZSC at 0x28: count, angle 0..90, inputs
    count = int(wave(t, 9.0, 0, 4000)) & 0xFFF
    ang = int(round(wave(t, 30.0, 0, 90) * 256)) & 0x7FFF
    return word_bytes(count | 1 << 14) + word_bytes(ang | 0x8000)


def zsg(t):  # ZSG (zsg.01) at 0x19: length and the mark input
    length = int(wave(t, 18.0, 0, 20000)) & 0x7FFF
    return word_bytes(length | (0x8000 if length > 15000 else 0))


def zsj(t):  # ZSJ at 0x31: angle in hundredths, input 1
    return word_bytes(int(round(wave(t, 45.0, 0, 60) * 100))) + [1 << 6]


ZBUS_SENSORS = [(0x20, zsa), (0x07, zsb), (0x1D, zse), (0x0E, zsk), (0x0F, zsl),
                (0x01, zsh), (0x28, zsc), (0x19, zsg), (0x31, zsj)]


def zbus_frame(address, make):
    def frame(t):
        data = make(t)
        return [address] + data + [0xFF] * (7 - len(data))
    return frame


def bjm1(t):
    """An SAE joystick: X moves left and right, Y forward; button 1 now and then."""
    def axis(v):
        position = min(1000, int(round(abs(v) * 1000)))
        neutral, negative, positive = (1, 0, 0) if position == 0 else (0, int(v < 0), int(v > 0))
        status = neutral | negative << 2 | positive << 4 | (position & 3) << 6
        return [status, position >> 2]
    x = math.sin(2 * math.pi * t / 9.0)
    y = max(0.0, math.sin(2 * math.pi * t / 15.0))
    button1 = 1 if int(t) % 10 == 0 else 0
    return axis(x) + axis(y) + [0x0F, button1 << 6, 0, 0]


def eec1(t):
    rpm = wave(t, 30.0, 800, 1900)
    raw = int(rpm / 0.125)
    torque = int(wave(t, 30.0, 10, 65)) + 125
    demand = min(250, torque + 3)
    return [0xF0, demand, torque] + list(raw.to_bytes(2, 'little')) + [0x00, 0xF0, demand]


def et1(t):
    coolant = int(wave(t, 90.0, 78, 92)) + 40
    fuel = 45 + 40
    oil = int((95.5 + 273) / 0.03125)
    return [coolant, fuel] + list(oil.to_bytes(2, 'little')) + [0xFF, 0xFF, 0xFF, 0xFF]


def hours(t):
    total_h = 1234.5 + t / 3600.0
    revs = int(4.0e6 + t * 1500 / 60) // 1000
    return list(int(total_h / 0.05).to_bytes(4, 'little')) + list(revs.to_bytes(4, 'little'))


def dm1_payload():
    def dtc(spn, fmi, oc):
        return [spn & 0xFF, (spn >> 8) & 0xFF, ((spn >> 16) & 0x07) << 5 | fmi, oc & 0x7F]
    # Amber warning lamp on; coolant temperature high, oil pressure low.
    return [0x04, 0xFF] + dtc(110, 16, 3) + dtc(100, 18, 1)


def schedule():
    frames = []

    def periodic(period_ms, offset_ms, can_id, make):
        for t_ms in range(offset_ms, DURATION_S * 1000, period_ms):
            frames.append((t_ms * 1000, can_id, make(t_ms / 1000.0)))

    periodic(20, 0, ident(3, 0xF0, 0x04, 0x00), eec1)
    periodic(100, 3, ident(6, 0xFF, 0x30, 0xA0), controller_io)
    periodic(100, 5, ident(6, 0xFF, 0x31, 0xA0), controller_blocks)
    for i, sa in enumerate((0x9D, 0x9E, 0x9F)):
        periodic(20, 7 + 4 * i, ident(4, 0xFF, 0x32, sa), lambda t, sa=sa: panel(t, sa))
    periodic(100, 11, ident(4, 0xFF, 0x33, 0x9C), support_panel)
    periodic(100, 13, ident(6, 0xFE, 0xD9, 0x0A), cabin_aux)
    periodic(100, 17, ident(6, 0xFE, 0xD9, 0x80), support_aux)
    for i, (address, make) in enumerate(ZBUS_SENSORS):
        periodic(100, 21 + 7 * i, ident(6, 0xFF, 0x34, 0xA0), zbus_frame(address, make))
    periodic(100, 19, ident(3, 0xFD, 0xD6, 0x4A), bjm1)
    periodic(1000, 250, ident(6, 0xFE, 0xEE, 0x00), et1)
    periodic(1000, 500, ident(6, 0xFE, 0xE5, 0x00), hours)

    payload = dm1_payload()
    packets = (len(payload) + 6) // 7
    for t_ms in range(700, DURATION_S * 1000, 1000):
        cm = [0x20, len(payload) & 0xFF, len(payload) >> 8, packets, 0xFF, 0xCA, 0xFE, 0x00]
        frames.append((t_ms * 1000, ident(7, 0xEC, 0xFF, 0x00), cm))
        for seq in range(1, packets + 1):
            chunk = payload[(seq - 1) * 7:seq * 7]
            chunk += [0xFF] * (7 - len(chunk))
            frames.append(((t_ms + 50 * seq) * 1000, ident(7, 0xEB, 0xFF, 0x00), [seq] + chunk))

    frames.sort(key=lambda f: f[0])
    return frames


def main():
    global DURATION_S
    out = sys.argv[1] if len(sys.argv) > 1 else 'demo-bus.log'
    if len(sys.argv) > 2:
        DURATION_S = int(sys.argv[2])
    with open(out, 'w', newline='\n') as f:
        for t_us, can_id, data in schedule():
            f.write('(%d.%06d) can0 %08X#%s\n' % (t_us // 1000000, t_us % 1000000, can_id,
                                                  ''.join('%02X' % b for b in data)))


if __name__ == '__main__':
    main()
