#include "model/units.h"

#include <QCoreApplication>

QString Units::volt;
QString Units::amper;
QString Units::kiloPascal;
QString Units::celsiusDegree;
QString Units::revolutionsPerMinute;
QString Units::percentage;
QString Units::kilometersPerLiter;
QString Units::kilometersPerHour;
QString Units::milisecond;

void Units::init()
{
    volt = QCoreApplication::translate("Units", "V");
    amper = QCoreApplication::translate("Units", "A");
    kiloPascal = QCoreApplication::translate("Units", "kPa");
    celsiusDegree = QCoreApplication::translate("Units", "C degree");
    revolutionsPerMinute = QCoreApplication::translate("Units", "rpm");
    percentage = QCoreApplication::translate("Units", "%");
    kilometersPerLiter = QCoreApplication::translate("Units", "km/L");
    kilometersPerHour = QCoreApplication::translate("Units", "km/h");
    milisecond = QCoreApplication::translate("Units", "ms");
}
