#pragma once

#include <QString>

// Translated unit texts, filled once at start-up after the translation is installed.
class Units
{
public:
    static void init();

    static QString volt;
    static QString amper;
    static QString kiloPascal;
    static QString celsiusDegree;
    static QString revolutionsPerMinute;
    static QString percentage;
    static QString kilometersPerLiter;
    static QString kilometersPerHour;
    static QString milisecond;
};
