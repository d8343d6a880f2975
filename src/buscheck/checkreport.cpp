#include "buscheck/checkreport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamWriter>

#include <algorithm>

namespace {

double seconds(qint64 us)
{
    return double(us) / 1e6;
}

// The deviations that count, or with `notes` the switched-off units' silences, in time order.
QVector<const Deviation *> inTimeOrder(const BusChecker &checker, bool notes = false)
{
    QVector<const Deviation *> list;
    for (const Deviation &d : checker.deviations()) {
        if (d.switchedOff == notes)
            list.append(&d);
    }
    std::stable_sort(list.begin(), list.end(), [](const Deviation *a, const Deviation *b) {
        return a->startUs < b->startUs;
    });
    return list;
}

Deviation shifted(const Deviation &d, qint64 originUs)
{
    Deviation s = d;
    s.startUs -= originUs;
    s.endUs -= originUs;
    return s;
}

} // namespace

QString CheckReport::text(const BusChecker &checker, const Source &source)
{
    QString out;
    const QVector<const Deviation *> list = inTimeOrder(checker);
    for (const Deviation *d : list)
        out += shifted(*d, source.originUs).text() + QLatin1Char('\n');
    for (const Deviation *d : inTimeOrder(checker, true))
        out += BusChecker::tr("Note: %1").arg(shifted(*d, source.originUs).text())
               + QLatin1Char('\n');
    if (list.isEmpty())
        out += BusChecker::tr("The bus matches the expected scheme.") + QLatin1Char('\n');
    else
        out += BusChecker::tr("%n deviation(s) from the expected scheme.", nullptr, list.size())
               + QLatin1Char('\n');
    return out;
}

namespace {

QJsonObject jsonOf(const Deviation *d, const CheckReport::Source &source)
{
    QJsonObject o;
    o[QStringLiteral("kind")] = Deviation::keyword(d->kind);
    o[QStringLiteral("start")] = seconds(d->startUs - source.originUs);
    o[QStringLiteral("end")] = seconds(d->endUs - source.originUs);
    o[QStringLiteral("startTime")] = seconds(d->startUs);
    o[QStringLiteral("endTime")] = seconds(d->endUs);
    o[QStringLiteral("ongoing")] = d->open;
    if (d->address >= 0)
        o[QStringLiteral("address")] = d->address;
    if (d->pgn)
        o[QStringLiteral("pgn")] = int(d->pgn);
    o[QStringLiteral("unit")] = d->unit;
    if (!d->item.isEmpty())
        o[QStringLiteral("function")] = d->item;
    if (!d->parameter.isEmpty())
        o[QStringLiteral("parameter")] = d->parameter;
    if (!d->itemKey.isEmpty())
        o[QStringLiteral("item")] = d->itemKey;
    o[QStringLiteral("rule")] = d->rule;
    o[QStringLiteral("observed")] = d->observed;
    if (!d->expected.isEmpty())
        o[QStringLiteral("expected")] = d->expected;
    return o;
}

} // namespace

QByteArray CheckReport::json(const BusChecker &checker, const Source &source)
{
    return json(QVector<Bus>{{QString(), &checker}}, source);
}

QByteArray CheckReport::json(const QVector<Bus> &buses, const Source &source)
{
    // Each bus's deviations are in time order; those of several merge by their start.
    struct Entry
    {
        const Deviation *deviation;
        const QString *bus;
    };
    QVector<Entry> counted;
    QVector<Entry> notes;
    for (const Bus &bus : buses) {
        for (const Deviation *d : inTimeOrder(*bus.checker))
            counted.append({d, &bus.name});
        for (const Deviation *d : inTimeOrder(*bus.checker, true))
            notes.append({d, &bus.name});
    }
    const auto byStart = [](const Entry &a, const Entry &b) {
        return a.deviation->startUs < b.deviation->startUs;
    };
    std::stable_sort(counted.begin(), counted.end(), byStart);
    std::stable_sort(notes.begin(), notes.end(), byStart);
    const auto array = [&source](const QVector<Entry> &entries) {
        QJsonArray list;
        for (const Entry &e : entries) {
            QJsonObject o = jsonOf(e.deviation, source);
            if (!e.bus->isEmpty())
                o[QStringLiteral("bus")] = *e.bus;
            list.append(o);
        }
        return list;
    };
    QJsonObject root;
    root[QStringLiteral("recording")] = source.recording;
    root[QStringLiteral("scheme")] = source.scheme;
    root[QStringLiteral("start")] = seconds(source.originUs);
    root[QStringLiteral("duration")] = seconds(source.endUs - source.originUs);
    root[QStringLiteral("matches")] = counted.isEmpty();
    root[QStringLiteral("deviations")] = array(counted);
    // Units switched off or asleep: no deviation, but the report says when.
    root[QStringLiteral("switchedOff")] = array(notes);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

namespace {

void writeSuite(QXmlStreamWriter &w, const BusChecker &checker, const QString &name,
                const CheckReport::Source &source)
{
    const QVector<BusChecker::Lane> &lanes = checker.lanes();
    QHash<QString, QVector<const Deviation *>> byLane;
    for (const Deviation *d : inTimeOrder(checker))
        byLane[d->lane].append(d);
    QHash<QString, QString> unitNames;
    for (const BusChecker::Lane &lane : lanes) {
        if (lane.parentKey.isEmpty())
            unitNames.insert(lane.key, lane.name);
    }
    int failures = 0;
    for (const BusChecker::Lane &lane : lanes)
        failures += byLane.value(lane.key).isEmpty() ? 0 : 1;
    w.writeStartElement(QStringLiteral("testsuite"));
    w.writeAttribute(QStringLiteral("name"), name);
    w.writeAttribute(QStringLiteral("tests"), QString::number(lanes.size()));
    w.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    w.writeAttribute(QStringLiteral("errors"), QStringLiteral("0"));
    w.writeAttribute(QStringLiteral("time"),
                     QString::number(seconds(source.endUs - source.originUs), 'f', 3));
    for (const BusChecker::Lane &lane : lanes) {
        w.writeStartElement(QStringLiteral("testcase"));
        const bool unit = lane.parentKey.isEmpty();
        w.writeAttribute(QStringLiteral("classname"),
                         unit ? lane.name : unitNames.value(lane.parentKey));
        w.writeAttribute(QStringLiteral("name"), unit ? BusChecker::tr("unit") : lane.name);
        const QVector<const Deviation *> list = byLane.value(lane.key);
        if (!list.isEmpty()) {
            QString body;
            for (const Deviation *d : list)
                body += shifted(*d, source.originUs).text() + QLatin1Char('\n');
            w.writeStartElement(QStringLiteral("failure"));
            w.writeAttribute(QStringLiteral("type"), Deviation::keyword(list.first()->kind));
            w.writeAttribute(QStringLiteral("message"),
                             BusChecker::tr("%n deviation(s)", nullptr, list.size()));
            w.writeCharacters(body);
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
}

QByteArray junitOf(const QVector<CheckReport::Bus> &buses, const CheckReport::Source &source)
{
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("testsuites"));
    for (const CheckReport::Bus &bus : buses) {
        const QString name
            = bus.name.isEmpty()
                  ? BusChecker::tr("Bus check of %1").arg(source.recording)
                  : BusChecker::tr("Bus check of %1 on %2").arg(source.recording, bus.name);
        writeSuite(w, *bus.checker, name, source);
    }
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

} // namespace

QByteArray CheckReport::junit(const BusChecker &checker, const Source &source)
{
    return junitOf({{QString(), &checker}}, source);
}

QByteArray CheckReport::junit(const QVector<Bus> &buses, const Source &source)
{
    return junitOf(buses, source);
}
