#version 1
# c
#spns
ff;A;d;S;0.000976562;RW
#slots
S;0.0009765625;-40;4;-inf;inf;x
