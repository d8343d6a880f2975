#include "machine/machineregistry.h"

#include "machine/basicjoystickmessagefunction.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"

void registerMachineFunctions()
{
    const char *const names[] = {QT_TRANSLATE_NOOP("J1939", "Basic Joystick Message 1"),
                                 QT_TRANSLATE_NOOP("J1939", "Basic Joystick Message 2"),
                                 QT_TRANSLATE_NOOP("J1939", "Basic Joystick Message 3")};
    for (int n = 1; n <= 3; ++n) {
        J1939Reg::registerClass(
            [n](J1939Device *device) { return new BasicJoystickMessageFunction(n, device); },
            quint32(0xFDD4 + 2 * n), QStringLiteral("bjm%1").arg(n),
            QString::fromLatin1(names[n - 1]));
    }
}
