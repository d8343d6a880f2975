#pragma once

#include <QCoreApplication>
#include <QString>

// The fields of a J1939 NAME in words: its industry group and its function (the functions below
// 128 mean the same in every industry group; NMEA 2000 units name their device class in the
// vehicle system field).
class J1939NameTexts
{
    Q_DECLARE_TR_FUNCTIONS(J1939NameTexts)

public:
    enum IndustryGroup {
        Global = 0,
        OnHighway = 1,
        Agricultural = 2,
        Construction = 3,
        Marine = 4,
        Industrial = 5
    };

    // "On-highway equipment"; "reserved" for 6 and 7.
    static QString industryGroup(int group);
    // "Engine"; empty where the function's meaning is not known here.
    static QString function(int function, int industryGroup, int vehicleSystem);
    // "Function 130 (navigation device)" or "Engine (function 0)": the number always, the words
    // where they are known.
    static QString functionText(int function, int industryGroup, int vehicleSystem);
};
