#include "machine/machinelists.h"

#include <QCoreApplication>

namespace MachineLists {

QStringList outputState()
{
    return {QCoreApplication::translate("MachineLists", "00 - Off, ok"),
            QCoreApplication::translate("MachineLists", "01 - On, ok"),
            QCoreApplication::translate("MachineLists", "10 - Error, short circuit"),
            QCoreApplication::translate("MachineLists", "11 - Error, +V")};
}

QStringList inputState()
{
    return {QCoreApplication::translate("MachineLists", "00 - Z"),
            QCoreApplication::translate("MachineLists", "01 - +V"),
            QCoreApplication::translate("MachineLists", "10 - GND"),
            QCoreApplication::translate("MachineLists", "11 - Unavailable")};
}

QStringList lock()
{
    return {QCoreApplication::translate("MachineLists", "00 - Restrict"),
            QCoreApplication::translate("MachineLists", "01 - ⅓ speed"),
            QCoreApplication::translate("MachineLists", "10 - ⅔ speed"),
            QCoreApplication::translate("MachineLists", "11 - No restriction")};
}

QStringList control()
{
    QStringList items{QCoreApplication::translate("MachineLists", "0000 - Support Panel"),
                      QCoreApplication::translate("MachineLists", "0001 - Lower panel"),
                      QCoreApplication::translate("MachineLists", "0010 - External panel"),
                      QCoreApplication::translate("MachineLists", "0011 - Upper panel")};
    for (int i = 4; i < 16; ++i)
        items << QCoreApplication::translate("MachineLists", "%1 - Not used")
                     .arg(i, 4, 2, QLatin1Char('0'));
    return items;
}

QStringList zGnd()
{
    return {QCoreApplication::translate("MachineLists", "0 - Z"),
            QCoreApplication::translate("MachineLists", "1 - GND")};
}

QStringList zsfInput()
{
    return inputState();
}

QStringList zMark()
{
    return {QCoreApplication::translate("MachineLists", "0 - Z"),
            QCoreApplication::translate("MachineLists", "1 - Mark")};
}

} // namespace MachineLists
