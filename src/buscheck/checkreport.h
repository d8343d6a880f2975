#pragma once

#include "buscheck/buschecker.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The outcome of a bus check as text, JSON and JUnit XML. Times are seconds from `originUs`
// (the first frame of the recording); the JSON keeps the recording's own times beside them.
namespace CheckReport {

struct Source
{
    QString recording;
    QString scheme;
    qint64 originUs = 0;
    qint64 endUs = 0;
};

// One line per deviation in time order, then a summary line.
QString text(const BusChecker &checker, const Source &source);
QByteArray json(const BusChecker &checker, const Source &source);
// One test case per unit and function of the scheme (and per unexpected unit): it fails with
// its deviations.
QByteArray junit(const BusChecker &checker, const Source &source);

// The check of several buses, a checker each (a unit is its bus and address).
struct Bus
{
    QString name;
    const BusChecker *checker = nullptr;
};
// The deviations of every bus in time order, each with its bus's name ("bus").
QByteArray json(const QVector<Bus> &buses, const Source &source);
// A test suite per bus.
QByteArray junit(const QVector<Bus> &buses, const Source &source);

} // namespace CheckReport
