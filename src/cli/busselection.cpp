#include "cli/busselection.h"

#include "cli/cli.h"

#include <algorithm>

QCommandLineOption BusSelection::keptOption()
{
    return QCommandLineOption(
        QStringLiteral("bus"),
        Cli::tr("Keep only this bus: its number (0 for can0 or a logger's channel 1) or its name "
                "(can1, vcan0); may be repeated"),
        Cli::tr("BUS"));
}

bool BusSelection::Bus::matches(quint8 bus, const BusNames &names) const
{
    return byNumber ? bus == number : names.name(bus) == text;
}

bool BusSelection::parseBus(const QString &text, Bus *bus, QString *error)
{
    bus->text = text.trimmed();
    if (bus->text.isEmpty()) {
        *error = Cli::tr("a bus is missing");
        return false;
    }
    bool isNumber = false;
    const uint number = bus->text.toUInt(&isNumber);
    if (isNumber) {
        if (number > uint(BusNames::MaxBus)) {
            *error
                = Cli::tr("bus %1 is out of range (0 to %2)").arg(bus->text).arg(BusNames::MaxBus);
            return false;
        }
        bus->byNumber = true;
        bus->number = quint8(number);
        return true;
    }
    // An interface name: a letter first, no blanks, nothing the option syntax uses.
    const bool plain = std::none_of(bus->text.cbegin(), bus->text.cend(), [](QChar c) {
        return c.isSpace() || c == QLatin1Char('=') || c == QLatin1Char(',')
               || c == QLatin1Char('#');
    });
    if (!plain || !bus->text.at(0).isLetter()) {
        *error = Cli::tr("\"%1\" is neither a bus number nor an interface name").arg(bus->text);
        return false;
    }
    bus->number = BusNames::trailingNumber(bus->text);
    return true;
}

bool BusSelection::addKept(const QString &text, QString *error)
{
    Bus bus;
    if (!parseBus(text, &bus, error))
        return false;
    m_kept.append(bus);
    m_tableValid = false;
    return true;
}

bool BusSelection::addMapping(const QString &text, QString *error)
{
    const int equals = text.indexOf(QLatin1Char('='));
    if (equals < 0 || text.indexOf(QLatin1Char('='), equals + 1) >= 0) {
        *error = Cli::tr("\"%1\" is not FROM=TO (for example can1=0)").arg(text);
        return false;
    }
    Bus from;
    Bus to;
    if (!parseBus(text.left(equals), &from, error) || !parseBus(text.mid(equals + 1), &to, error))
        return false;
    for (const auto &mapping : qAsConst(m_mappings)) {
        if (mapping.first.text == from.text) {
            *error = Cli::tr("bus %1 is mapped twice").arg(from.text);
            return false;
        }
    }
    m_mappings.append({from, to});
    m_tableValid = false;
    return true;
}

QStringList BusSelection::keptText() const
{
    QStringList texts;
    for (const Bus &bus : m_kept)
        texts.append(bus.text);
    return texts;
}

int BusSelection::target(quint8 bus, const BusNames &in) const
{
    if (!m_kept.isEmpty() && std::none_of(m_kept.cbegin(), m_kept.cend(), [&](const Bus &kept) {
            return kept.matches(bus, in);
        }))
        return -1;
    for (const auto &mapping : m_mappings) {
        if (mapping.first.matches(bus, in))
            return mapping.second.number;
    }
    return bus;
}

const std::array<int, BusNames::MaxBus + 1> &BusSelection::tableFor(const BusNames &in)
{
    if (!m_tableValid || in != m_tableNames) {
        for (int bus = 0; bus <= BusNames::MaxBus; ++bus)
            m_table[size_t(bus)] = target(quint8(bus), in);
        m_tableNames = in;
        m_tableValid = true;
    }
    return m_table;
}

void BusSelection::apply(const BusNames &in, QVector<TimedFrame> *frames)
{
    if (m_kept.isEmpty() && m_mappings.isEmpty())
        return;
    tableFor(in);
    int kept = 0;
    for (int i = 0; i < frames->size(); ++i) {
        const int to = m_table[(*frames)[i].bus];
        if (to < 0)
            continue;
        TimedFrame &frame = (*frames)[kept++];
        if (kept - 1 != i)
            frame = (*frames)[i];
        frame.bus = quint8(to);
    }
    frames->resize(kept);
}

BusNames BusSelection::outputNames(const BusNames &in) const
{
    BusNames out;
    // Buses that keep their number keep their name; a bus mapped to a name takes that name.
    for (int bus = 0; bus <= BusNames::MaxBus; ++bus) {
        if (in.hasOwnName(quint8(bus)) && target(quint8(bus), in) == bus)
            out.setName(quint8(bus), in.name(quint8(bus)));
    }
    for (const auto &mapping : m_mappings) {
        if (!mapping.second.byNumber)
            out.setName(mapping.second.number, mapping.second.text);
    }
    return out;
}
