#pragma once

#include <QCoreApplication>
#include <QString>

// Names of the SAE J1939 preferred addresses (the industry-independent part of the address
// table), for units the program finds on the bus before they say who they are.
class J1939PreferredAddresses
{
    Q_DECLARE_TR_FUNCTIONS(J1939PreferredAddresses)

public:
    // The translated name of the unit that prefers this address; empty when none does.
    static QString name(quint8 address);
    // "Engine #1 (0x00)"; empty when no unit prefers the address.
    static QString deviceName(quint8 address);
};
