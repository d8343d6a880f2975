#include "model/zxinputstateparameter.h"

#include <QCoreApplication>

ZxInputStateParameter::ZxInputStateParameter()
    : ZxListParameter(stateTexts(), 2)
{}

const QStringList &ZxInputStateParameter::stateTexts()
{
    static const QStringList texts{
        QCoreApplication::translate("IOState", "00 - Z"),
        QCoreApplication::translate("IOState", "01 - +V"),
        QCoreApplication::translate("IOState", "10 - GND"),
    };
    return texts;
}
