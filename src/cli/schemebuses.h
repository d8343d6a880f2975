#pragma once

#include "descriptions/candevicefactory.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

class RecordingDecoder;

// A scheme's units by bus. A scheme learned from a recording of several buses keeps each unit's
// bus (its number) in the unit's "bus" attribute, which older readers pass over; a scheme of one
// bus has none, and its units are on the first bus decoded (the recording's only one, or the
// lowest of those kept).
class SchemeBuses
{
public:
    static QString attribute() { return QStringLiteral("bus"); }

    // False with the reason when the file cannot be read; a damaged file is the loader's to tell.
    bool read(const QString &path, QString *error);
    const QString &path() const { return m_path; }
    const QByteArray &content() const { return m_content; }
    // The buses the units name, in number order.
    const QVector<quint8> &buses() const { return m_buses; }
    // The scheme with only the units on `bus`, and those without a bus when `first`; the file
    // as it is when no unit names a bus.
    QByteArray contentFor(quint8 bus, bool first) const;
    // Loads every bus's units, each bus alone (two buses may have a unit at one address), so a
    // damaged file or unit is told before any recording is read. A scheme of one bus is loaded
    // into `first`, the decoder of the first bus, which must be given for one. The others are
    // loaded with the run's DBC databases, whose groups a unit may hold.
    bool check(RecordingDecoder *first, const CanDeviceFactory::Databases &databases,
               QString *error) const;

private:
    // The units of `bus`, -1 for those without one.
    QByteArray partFor(int bus) const;
    // The scheme with the units `keep` takes by their bus (-1: none).
    QByteArray filtered(const std::function<bool(int bus)> &keep) const;

    QString m_path;
    QByteArray m_content;
    QVector<quint8> m_buses;
};
