#!/usr/bin/env python3
"""Writes the example scheme that matches the demo recording (src/resources/demo/demo.tvsx).

The engine comes from the device list by key; the machine's own units are described inline
(internal="false"), so the example decodes every unit of the recording without further files.
"""
import sys
from xml.sax.saxutils import escape


def param(kind, name, short, startbyte, bitlength, startbit=None, multiplier=1, suffix=None):
    out = ['      <param type="%s">' % kind,
           '        <name>%s</name>' % escape(name),
           '        <shortname>%s</shortname>' % short,
           '        <startbyte>%d</startbyte>' % startbyte]
    if startbit is not None:
        out.append('        <startbit>%d</startbit>' % startbit)
    out.append('        <bitlength>%d</bitlength>' % bitlength)
    if multiplier is not None:
        out.append('        <multiplier>%s</multiplier>' % multiplier)
    if suffix:
        out.append('        <suffix>%s</suffix>' % escape(suffix))
    out.append('      </param>')
    return out


# One-bit fields as two-entry lists: a plain number of one bit would read "all ones" as
# "not available".
TYPES = ['      <types>',
         '        <type key="sign" basetype="list"><bitlength>1</bitlength>'
         '<list><value>+</value><value>-</value></list></type>',
         '        <type key="flag" basetype="list"><bitlength>1</bitlength>'
         '<list><value>no</value><value>yes</value></list></type>',
         '      </types>']


def func(key, pgn, name, period, params, text=None):
    out = ['    <func internal="false" key="%s" address="%x" priority="6" period="%d">'
           % (key, pgn, period),
           '      <name>%s</name>' % escape(name)] + TYPES
    for p in params:
        out += p
    if text:
        out.append('      <text>%s</text>' % escape(text))
    out.append('    </func>')
    return out


def device(key, address, name, funcs):
    out = ['  <device key="%s" address="%x" type="j1939" internal="false" state="3" period="0">'
           % (key, address),
           '    <name>%s</name>' % escape(name)]
    for f in funcs:
        out += f
    out.append('  </device>')
    return out


def joystick_axis(prefix, short, byte):
    return [param('sign', '%s sign' % prefix, short + 'S', byte, 1, startbit=7),
            param('int', '%s magnitude' % prefix, short, byte, 7, startbit=0, suffix=' %')]


def panel(key, address, name):
    params = (joystick_axis('Left X', 'LX', 0) + joystick_axis('Left Y', 'LY', 1)
              + [param('flag', 'Left joystick deflected', 'LJ', 2, 1, startbit=0),
                 param('int', 'Left buttons', 'LB', 2, 7, startbit=1)]
              + joystick_axis('Right X', 'RX', 3) + joystick_axis('Right Y', 'RY', 4)
              + [param('flag', 'Right joystick deflected', 'RJ', 5, 1, startbit=0),
                 param('int', 'Right buttons', 'RB', 5, 7, startbit=1)])
    return device(key, address, name, [func('demo_panel', 0xFF32, 'Panel state', 20, params)])


def main():
    lines = ['<devices>',
             '  <device key="engine1" address="0" type="j1939" internal="true" state="3" period="0">',
             '    <name>Engine #1</name>',
             '  </device>']
    lines += device('demo_controller', 0xA0, 'Machine controller', [
        func('demo_ctrl_io', 0xFF30, 'Controller inputs and outputs', 100, [
            param('int', 'Input 1', 'IN1', 0, 2, startbit=0),
            param('flag', 'Input 1 ok', 'IN1OK', 0, 1, startbit=2),
            param('int', 'Input 2', 'IN2', 0, 2, startbit=3),
            param('flag', 'Input 2 ok', 'IN2OK', 0, 1, startbit=5),
            param('int', 'Status', 'ST', 3, 8),
            param('int', 'Output groups', 'OUT', 4, 30)]),
        func('demo_ctrl_blocks', 0xFF31, 'Controller blocks', 100, [
            param('int', 'Locks', 'LOCKS', 0, 12),
            param('int', 'Mode', 'MODE', 1, 2, startbit=4)])])
    lines += panel('demo_panel_left', 0x9D, 'Left control panel')
    lines += panel('demo_panel_right', 0x9E, 'Right control panel')
    lines += panel('demo_panel_remote', 0x9F, 'Remote control panel')
    lines += device('demo_support_panel', 0x9C, 'Support indication panel', [
        func('demo_sip', 0xFF33, 'Support panel state', 100, [
            param('int', 'Inputs', 'IN', 0, 8),
            param('int', 'Buttons', 'BTN', 3, 8),
            param('int', 'Outputs', 'OUT', 4, 32)])])
    lines += device('demo_cabin', 0x0A, 'Cabin controller', [
        func('demo_cabin_aux', 0xFED9, 'Cabin auxiliary I/O', 100, [
            param('int', 'Buttons', 'BTN', 0, 8),
            param('int', 'LEDs', 'LED', 2, 8),
            param('int', 'AUXIO 1', 'AUX1', 4, 16, suffix=' mV'),
            param('int', 'AUXIO 2', 'AUX2', 6, 16, suffix=' mV')])])
    lines += device('demo_support', 0x80, 'Support controller', [
        func('demo_support_aux', 0xFED9, 'Support auxiliary I/O', 100, [
            param('int', 'Outputs', 'OUT', 0, 8),
            param('int', 'Inputs', 'IN', 3, 8),
            param('int', 'AUXIO 1', 'AUX1', 4, 16, suffix=' mV')])])
    lines += ['  <widgets/>', '</devices>']
    out = sys.argv[1] if len(sys.argv) > 1 else 'demo.tvsx'
    with open(out, 'w', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
