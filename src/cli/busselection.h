#pragma once

#include "can/busnames.h"
#include "can/candumpreader.h"

#include <QCommandLineOption>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

// Which buses of a recording a conversion keeps (--bus) and what it calls them (--map). A bus is
// named by its number (0 for can0 or a logger's first channel) or by its name in the recording
// ("can1", "vcan0"). Without either every bus is kept as it is.
class BusSelection
{
public:
    // The --bus option of the commands that read a recording.
    static QCommandLineOption keptOption();

    // "N" or "NAME"; false with the reason for a value that names no bus.
    bool addKept(const QString &text, QString *error);
    // "FROM=TO": the frames of bus FROM go to bus TO, a number or a name ("can1=0", "1=vcan3");
    // every mapping applies to the recording's own buses.
    bool addMapping(const QString &text, QString *error);

    bool keepsEverything() const { return m_kept.isEmpty(); }
    // The buses asked for, as given, for messages.
    QStringList keptText() const;

    // Whether the frames of `bus` are kept; `in` names the recording's buses.
    bool keeps(quint8 bus, const BusNames &in)
    {
        return m_kept.isEmpty() || tableFor(in)[bus] >= 0;
    }
    // Drops the frames of other buses and renames the rest; `in` names the recording's buses.
    void apply(const BusNames &in, QVector<TimedFrame> *frames);
    // The names of the buses written.
    BusNames outputNames(const BusNames &in) const;

private:
    struct Bus
    {
        QString text;
        bool byNumber = false;
        quint8 number = 0;
        bool matches(quint8 bus, const BusNames &names) const;
    };
    static bool parseBus(const QString &text, Bus *bus, QString *error);
    // The bus a frame of `bus` goes to, or -1 when it is dropped.
    int target(quint8 bus, const BusNames &in) const;
    const std::array<int, BusNames::MaxBus + 1> &tableFor(const BusNames &in);

    QVector<Bus> m_kept;
    QVector<QPair<Bus, Bus>> m_mappings;
    // target() of every bus for the names last applied.
    BusNames m_tableNames;
    bool m_tableValid = false;
    std::array<int, BusNames::MaxBus + 1> m_table{};
};
