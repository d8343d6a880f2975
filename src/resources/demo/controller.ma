#version 1
# Calibration values of the demo bus's machine controller (0xA0), for the memory access tool.
# SPN;name;description;slot;value;access
#spns
f000;Lift_Start;Boom lift valve: current at the start of travel;mA;310;RW
f001;Lift_End;Boom lift valve: current at full travel;mA;820;RW
f002;Lower_Start;Boom lower valve: current at the start of travel;mA;300;RW
f003;Lower_End;Boom lower valve: current at full travel;mA;790;RW
f004;Slew_Start;Slew valve: current at the start of travel;mA;280;RW
f005;Slew_End;Slew valve: current at full travel;mA;700;RW
f010;Ramp_Up;Valve ramp, rising;ms;400;RW
f011;Ramp_Down;Valve ramp, falling;ms;250;RW
f020;Idle speed;Engine idle speed request;rpm;850;RW
f021;Boom angle limit;Highest boom angle;deg;72.5;RW
f022;Serial number;Controller serial number;id;26120601;RO
#groups
Valve currents;(Lift|Lower|Slew)_(Start|End)
Ramps;(Ramp)_(Up|Down)
#slots
mA;1;0;2;0;2000;mA
ms;10;0;1;0;2550;ms
rpm;0.125;0;2;500;2500;rpm
deg;0.1;-90;2;-90;90;deg
id;1;0;4;0;4294967295;
