#include "diagnostics/saeswitchstatusparameter.h"

#include <QCoreApplication>

SaeSwitchStatusParameter::SaeSwitchStatusParameter()
    : ZxListParameter(statusTexts())
{
}

const QStringList &SaeSwitchStatusParameter::statusTexts()
{
    static const QStringList texts{
        QCoreApplication::translate("SwitchStatus", "00 - De-activate"),
        QCoreApplication::translate("SwitchStatus", "01 - Activate"),
        QCoreApplication::translate("SwitchStatus", "10 - Fault Detected"),
        QCoreApplication::translate("SwitchStatus", "11 - Not Available"),
    };
    return texts;
}
