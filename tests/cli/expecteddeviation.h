#pragma once

#include <QMetaType>
#include <QString>
#include <QVector>

// A deviation a bus check should report: its kind, the unit's address (-1: the bus), when it
// started and ended in the recording's seconds, and on which bus.
struct ExpectedDeviation
{
    QString kind;
    int address;
    double start;
    double end;
    QString bus = QString(); // compared when given
};

Q_DECLARE_METATYPE(QVector<ExpectedDeviation>)
