#!/usr/bin/env python3
"""Writes the example scheme that matches the demo recording (src/resources/demo/demo.tvsx).

Every unit is a built-in kind restored by its key: the engine from the device list, the machine's
own units (controller with its ZBus sensors under the bridge, the three control panels, the support
indication panel, the cabin and support controllers) from the program's own classes, and an SAE
joystick as a stub device with the basic joystick message 1. A tab puts the extension control
panel's buttons, the controller's inputs and outputs and the engine speed side by side, each with
the lamp of its unit. The lower control panel carries the tune variable L0 that the controller's
acceptance test checks the FRAM with.
"""
import sys
from xml.sax.saxutils import escape

# The sensors the recording plays, by catalogue key and sensor address.
SENSORS = [('zsa-01', 0x20), ('zsb-07', 0x07), ('zse', 0x1D), ('zsk', 0x0E), ('zsl', 0x0F),
           ('zsh-01', 0x01), ('zsc', 0x28), ('zsg.01', 0x19), ('zsj', 0x31)]

UNITS = [('cabin_controller', 0x0A), ('hydro_support_controller', 0x80),
         ('support_indication_panel', 0x9C), ('control_panel_ext', 0x9D),
         ('control_panel_low', 0x9E), ('control_panel_upper', 0x9F)]


# What the check of the demo recording expects beyond the defaults: the engine's catalogue
# functions the demo bus does not send are absent, the tune variables and the machine state come
# only when the tool asks, and the pressure sensor reads 0 to 250 bar without a fault.
ENGINE_ABSENT = [('eec2', 'f003'), ('eec3', 'fedf'), ('et2', 'fea4'), ('eflp1', 'feef'),
                 ('eflp2', 'fedb'), ('lfe1', 'fef2'), ('lfc1', 'fee9'), ('amb', 'fef5'),
                 ('ic1', 'fef6'), ('vep1', 'fef7'), ('shutdn', 'fee4'), ('wfi', 'feff'),
                 ('fd1', 'febd')]
ON_REQUEST = '<expect event="true"/>'
TUNE = '    <func internal="true" key="" address="ef00">%s</func>' % ON_REQUEST
PRESSURE_RANGES = ('<expect><range param="P" min="0" max="250"/>'
                   '<range param="FAULT" min="0" max="0"/></expect>')


def device(key, address, inner=(), name=None):
    out = ['  <device key="%s" address="%x" type="j1939" internal="true" state="3" period="0">'
           % (key, address)]
    if name:
        out.append('    <name>%s</name>' % escape(name))
    out += list(inner)
    out.append('  </device>')
    return out


# The lower control panel's tune variable L0: the controller's acceptance test reads and writes it
# through the panel to check the controller's FRAM, and the demo's controller answers for it.
LOWER_PANEL_TUNE = ['    <func internal="true" key="" address="ef00">' + ON_REQUEST,
                    '      <func internal="true" key="L0" address="4c30">%s</func>' % ON_REQUEST,
                    '    </func>']

# Unique keys in the scheme tree: address in hexadecimal and object name, per level.
PANEL = '9dcontrol_panel_ext'
CONTROLLER = 'a0controller'
ENGINE = '0engine1'
ENGINE_SPEED = 3  # SPN190, the fourth parameter of EEC1

TAB = [
    '  <tab name="Panel, controller and engine" layout="grid" margin="6">',
    '    <row>',
    '      <dstate path="%s"/><label>External control panel</label>' % PANEL,
    '      <dstate path="%s"/><label>Controller</label>' % CONTROLLER,
    '      <dstate path="%s"/><label>Engine #1</label>' % ENGINE,
    '    </row>',
    '    <row>',
    '      <pgnwidget path="%s:ff32state" span="2"/>' % PANEL,
    '      <pgnwidget path="%s:ff30ControllerIOState" span="2"/>' % CONTROLLER,
    '      <group layout="vbox" span="2"><title>Engine speed</title>',
    '        <parameter path="%s:f004eec1" id="%d"/>' % (ENGINE, ENGINE_SPEED),
    '      </group>',
    '    </row>',
    '  </tab>',
]


def main():
    lines = ['<devices>']
    lines += device('engine1', 0x00, [
        '    <func internal="true" key="%s" address="%s"><expect presence="absent"/></func>' % f
        for f in ENGINE_ABSENT], name='Engine #1')
    bridge = ['    <func internal="true" key="zbus" address="ff34">']
    bridge += ['      <func internal="true" key="%s" address="%x">%s</func>'
               % (key, address, PRESSURE_RANGES if key == 'zsb-07' else '')
               for key, address in SENSORS]
    bridge += ['    </func>']
    bridge += ['    <func internal="true" key="" address="ff35">%s</func>' % ON_REQUEST, TUNE]
    lines += device('controller', 0xA0, bridge)
    for key, address in UNITS:
        lines += device(key, address, LOWER_PANEL_TUNE if key == 'control_panel_low'
                        else [TUNE] if key.startswith(('control_panel', 'support')) else ())
    lines += device('empty_device', 0x4A,
                    ['    <func internal="true" key="bjm1" address="fdd6"/>'], name='SAE joystick')
    lines += ['  <widgets/>'] + TAB + ['</devices>']
    out = sys.argv[1] if len(sys.argv) > 1 else 'demo.tvsx'
    with open(out, 'w', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
