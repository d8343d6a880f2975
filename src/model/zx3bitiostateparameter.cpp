#include "model/zx3bitiostateparameter.h"

#include <QCoreApplication>

Zx3BitIOStateParameter::Zx3BitIOStateParameter()
    : ZxListParameter(stateTexts())
{}

const QStringList &Zx3BitIOStateParameter::stateTexts()
{
    // Built once, after the translation is installed, and shared by every parameter.
    static const QStringList texts{
        QCoreApplication::translate("IOState", "000 - Off, Ok"),
        QCoreApplication::translate("IOState", "001 - On, Ok"),
        QCoreApplication::translate("IOState", "010 - Off, output voltage"),
        QCoreApplication::translate("IOState", "011 - On, no load"),
        QCoreApplication::translate("IOState", "100 - Not used"),
        QCoreApplication::translate("IOState", "101 - On, current overload"),
        QCoreApplication::translate("IOState", "110 - On, load short circuit"),
        QCoreApplication::translate("IOState", "111 - On, valve locked"),
    };
    return texts;
}
