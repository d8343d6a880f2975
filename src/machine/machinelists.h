#pragma once

#include <QStringList>

// The fixed entry lists of the machine's units; item i is bit pattern i.
namespace MachineLists {
// Two-bit output state of the auxiliary I/O message.
QStringList outputState();
// Two-bit input state of the auxiliary I/O message (with "unavailable").
QStringList inputState();
// Speed restriction of one movement lock.
QStringList lock();
// Which panel has control (four bits).
QStringList control();
// One-bit input of the ZSC and ZSH sensors.
QStringList zGnd();
// Two-bit input of the ZSF sensor.
QStringList zsfInput();
// One-bit mark input of the ZSG sensor.
QStringList zMark();
} // namespace MachineLists
