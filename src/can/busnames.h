#pragma once

#include <QMap>
#include <QString>

// The buses of a recording by number (0 for can0 or a logger's first channel) and the names a
// recording gave them (candump and pcapng interface names). A bus without a given name is called
// canN after its number.
class BusNames
{
public:
    static constexpr int MaxBus = 255;

    // Logger formats (ASC, TRC, BLF, MF4) count channels from 1; channel 0 is taken as the first.
    static quint8 busOfChannel(quint64 channel);
    static quint32 channelOfBus(quint8 bus) { return quint32(bus) + 1; }
    // The number an interface name ends with ("can1", "vcan0"), at most three digits; else 0.
    static quint8 trailingNumber(const char *begin, const char *end);
    static quint8 trailingNumber(const QString &name);
    static QString defaultName(quint8 bus);

    QString name(quint8 bus) const;
    // True when the bus has a name other than its default canN.
    bool hasOwnName(quint8 bus) const;
    void setName(quint8 bus, const QString &name);
    // The bus of the interface called `name`: the one it already names, else the number the name
    // ends with, else (when that bus has another name) the lowest bus without one. The name is
    // kept for the bus.
    quint8 busFor(const QString &name);

    bool isEmpty() const { return m_names.isEmpty(); }
    bool operator==(const BusNames &other) const { return m_names == other.m_names; }
    bool operator!=(const BusNames &other) const { return m_names != other.m_names; }

private:
    QMap<quint8, QString> m_names;
};
