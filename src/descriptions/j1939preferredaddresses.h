#pragma once

#include <QCoreApplication>
#include <QString>

// Names of the SAE J1939 preferred addresses, for units the program finds on the bus before they
// say who they are. Addresses 0-127 and 248-253 mean the same in every industry group; 128-247
// depend on the industry group of the unit's NAME (only the on-highway table is known here).
// NMEA 2000 (marine) units choose their addresses freely, so their addresses name nothing.
class J1939PreferredAddresses
{
    Q_DECLARE_TR_FUNCTIONS(J1939PreferredAddresses)

public:
    // The industry group to assume for a unit that has not claimed its address yet.
    static constexpr int UnknownIndustryGroup = -1;

    // The translated name of the unit that prefers this address; empty when none does.
    static QString name(quint8 address, int industryGroup = UnknownIndustryGroup);
    // "Engine #1 (0x00)"; empty when no unit prefers the address.
    static QString deviceName(quint8 address, int industryGroup = UnknownIndustryGroup);
    // "Engine #1 (0x00)" for any name.
    static QString withAddress(const QString &name, quint8 address);
};
