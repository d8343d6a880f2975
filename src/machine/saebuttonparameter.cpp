#include "machine/saebuttonparameter.h"

#include <QCoreApplication>

SaeButtonParameter::SaeButtonParameter()
    : ZxListParameter(stateTexts())
{}

QStringList SaeButtonParameter::stateTexts()
{
    return {QCoreApplication::translate("SaeButtonParameter", "Off, ok"),
            QCoreApplication::translate("SaeButtonParameter", "On, ok"),
            QCoreApplication::translate("SaeButtonParameter", "Button error"),
            QCoreApplication::translate("SaeButtonParameter", "Button disabled")};
}
