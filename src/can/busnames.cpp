#include "can/busnames.h"

#include <algorithm>

quint8 BusNames::busOfChannel(quint64 channel)
{
    return quint8(std::min<quint64>(channel > 0 ? channel - 1 : 0, MaxBus));
}

quint8 BusNames::trailingNumber(const char *begin, const char *end)
{
    const char *digits = end;
    while (digits > begin && digits[-1] >= '0' && digits[-1] <= '9' && end - digits < 3)
        --digits;
    int bus = 0;
    for (const char *p = digits; p < end; ++p)
        bus = bus * 10 + (*p - '0');
    return quint8(std::min(bus, MaxBus));
}

quint8 BusNames::trailingNumber(const QString &name)
{
    const QByteArray latin = name.toLatin1();
    return trailingNumber(latin.constData(), latin.constData() + latin.size());
}

QString BusNames::defaultName(quint8 bus)
{
    return QStringLiteral("can%1").arg(bus);
}

QString BusNames::name(quint8 bus) const
{
    const auto it = m_names.constFind(bus);
    return it != m_names.constEnd() ? *it : defaultName(bus);
}

bool BusNames::hasOwnName(quint8 bus) const
{
    const auto it = m_names.constFind(bus);
    return it != m_names.constEnd() && *it != defaultName(bus);
}

void BusNames::setName(quint8 bus, const QString &name)
{
    m_names.insert(bus, name);
}

quint8 BusNames::busFor(const QString &name)
{
    for (auto it = m_names.constBegin(); it != m_names.constEnd(); ++it) {
        if (it.value() == name)
            return it.key();
    }
    quint8 bus = trailingNumber(name);
    if (m_names.contains(bus)) {
        // Two interfaces ending in the same number ("can0", "vcan0"): the later one moves.
        int free = 0;
        while (free < MaxBus && m_names.contains(quint8(free)))
            ++free;
        bus = quint8(free);
    }
    m_names.insert(bus, name);
    return bus;
}
