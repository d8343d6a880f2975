#include "model/itemexpectation.h"

#include <QDomDocument>
#include <QDomElement>
#include <QLocale>

namespace {

const char *const PresenceKeywords[] = {"", "present", "absent", "intermittent"};

// The shortest text that reads back as the same double: a learned range survives save → open.
QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

bool ItemExpectation::Range::operator==(const Range &o) const
{
    return parameter == o.parameter && hasLimits == o.hasLimits
           && (!hasLimits || (minimum == o.minimum && maximum == o.maximum))
           && allowNotAvailable == o.allowNotAvailable && allowError == o.allowError;
}

bool ItemExpectation::isEmpty() const
{
    return presence == DefaultPresence && periodMs == 0 && tolerancePercent == 0 && !eventDriven
           && ranges.isEmpty() && name.isEmpty() && software.isEmpty() && codes.isEmpty()
           && groups.isEmpty();
}

const ItemExpectation::Range *ItemExpectation::range(const QString &parameter) const
{
    for (const Range &r : ranges) {
        if (r.parameter == parameter)
            return &r;
    }
    return nullptr;
}

bool ItemExpectation::operator==(const ItemExpectation &o) const
{
    return presence == o.presence && periodMs == o.periodMs
           && tolerancePercent == o.tolerancePercent && eventDriven == o.eventDriven
           && ranges == o.ranges && name == o.name && software == o.software && codes == o.codes
           && groups == o.groups;
}

QString ItemExpectation::presenceKeyword(Presence presence)
{
    return QString::fromLatin1(PresenceKeywords[qBound(0, int(presence), 3)]);
}

ItemExpectation::Presence ItemExpectation::presenceForKeyword(const QString &keyword)
{
    for (int i = 1; i < 4; ++i) {
        if (keyword == QLatin1String(PresenceKeywords[i]))
            return Presence(i);
    }
    return DefaultPresence;
}

void ItemExpectation::save(QDomElement &item) const
{
    if (isEmpty())
        return;
    QDomDocument doc = item.ownerDocument();
    QDomElement e = doc.createElement(QStringLiteral("expect"));
    if (presence != DefaultPresence)
        e.setAttribute(QStringLiteral("presence"), presenceKeyword(presence));
    if (periodMs > 0)
        e.setAttribute(QStringLiteral("period"), periodMs);
    if (tolerancePercent > 0)
        e.setAttribute(QStringLiteral("tolerance"), tolerancePercent);
    if (eventDriven)
        e.setAttribute(QStringLiteral("event"), QStringLiteral("true"));
    if (!name.isEmpty())
        e.setAttribute(QStringLiteral("name"), name);
    if (!software.isEmpty())
        e.setAttribute(QStringLiteral("software"), software);
    for (const Range &r : ranges) {
        QDomElement re = doc.createElement(QStringLiteral("range"));
        re.setAttribute(QStringLiteral("param"), r.parameter);
        if (r.hasLimits) {
            re.setAttribute(QStringLiteral("min"), number(r.minimum));
            re.setAttribute(QStringLiteral("max"), number(r.maximum));
        }
        if (r.allowNotAvailable)
            re.setAttribute(QStringLiteral("na"), QStringLiteral("true"));
        if (r.allowError)
            re.setAttribute(QStringLiteral("error"), QStringLiteral("true"));
        e.appendChild(re);
    }
    for (const Code &c : codes) {
        QDomElement ce = doc.createElement(QStringLiteral("code"));
        ce.setAttribute(QStringLiteral("spn"), c.spn);
        ce.setAttribute(QStringLiteral("fmi"), c.fmi);
        e.appendChild(ce);
    }
    for (quint32 pgn : groups) {
        QDomElement ge = doc.createElement(QStringLiteral("group"));
        ge.setAttribute(QStringLiteral("pgn"), QString::number(pgn, 16).toUpper());
        e.appendChild(ge);
    }
    item.appendChild(e);
}

ItemExpectation ItemExpectation::load(const QDomElement &item)
{
    ItemExpectation x;
    const QDomElement e = item.firstChildElement(QStringLiteral("expect"));
    if (e.isNull())
        return x;
    bool ok = false;
    x.presence = presenceForKeyword(e.attribute(QStringLiteral("presence")));
    const int period = e.attribute(QStringLiteral("period")).toInt(&ok);
    if (ok && period > 0)
        x.periodMs = period;
    const int tolerance = e.attribute(QStringLiteral("tolerance")).toInt(&ok);
    if (ok && tolerance > 0 && tolerance <= 1000)
        x.tolerancePercent = tolerance;
    x.eventDriven = e.attribute(QStringLiteral("event")) == QLatin1String("true");
    x.name = e.attribute(QStringLiteral("name")).left(64);
    x.software = e.attribute(QStringLiteral("software")).left(1024);
    for (QDomElement re = e.firstChildElement(QStringLiteral("range")); !re.isNull();
         re = re.nextSiblingElement(QStringLiteral("range"))) {
        Range r;
        r.parameter = re.attribute(QStringLiteral("param"));
        if (r.parameter.isEmpty())
            continue;
        bool okMin = false;
        bool okMax = false;
        r.minimum = re.attribute(QStringLiteral("min")).toDouble(&okMin);
        r.maximum = re.attribute(QStringLiteral("max")).toDouble(&okMax);
        r.hasLimits = okMin && okMax && r.minimum <= r.maximum;
        if (!r.hasLimits)
            r.minimum = r.maximum = 0;
        r.allowNotAvailable = re.attribute(QStringLiteral("na")) == QLatin1String("true");
        r.allowError = re.attribute(QStringLiteral("error")) == QLatin1String("true");
        x.ranges.append(r);
    }
    for (QDomElement ce = e.firstChildElement(QStringLiteral("code")); !ce.isNull();
         ce = ce.nextSiblingElement(QStringLiteral("code"))) {
        bool okSpn = false;
        bool okFmi = false;
        const uint spn = ce.attribute(QStringLiteral("spn")).toUInt(&okSpn);
        const uint fmi = ce.attribute(QStringLiteral("fmi")).toUInt(&okFmi);
        if (okSpn && okFmi && spn < (1u << 19) && fmi < 32)
            x.codes.append({spn, quint8(fmi)});
    }
    for (QDomElement ge = e.firstChildElement(QStringLiteral("group")); !ge.isNull();
         ge = ge.nextSiblingElement(QStringLiteral("group"))) {
        bool okPgn = false;
        const uint pgn = ge.attribute(QStringLiteral("pgn")).toUInt(&okPgn, 16);
        if (okPgn && pgn < (1u << 18) && !x.groups.contains(pgn))
            x.groups.append(pgn);
    }
    return x;
}
