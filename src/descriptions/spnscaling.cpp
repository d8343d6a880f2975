#include "descriptions/spnscaling.h"

#include "descriptions/descriptionfiles.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

std::mutex s_mutex;
bool s_loaded = false;
QHash<quint32, SpnScaling> s_scalings;

QDomElement typeNodeOf(const QDomElement &func, const QString &typeName)
{
    const QDomElement types = func.firstChildElement(QStringLiteral("types"));
    for (QDomElement type = types.firstChildElement(QStringLiteral("type")); !type.isNull();
         type = type.nextSiblingElement(QStringLiteral("type"))) {
        if (type.attribute(QStringLiteral("key")) == typeName)
            return type;
    }
    return QDomElement();
}

double childNumber(const QDomElement &parent, const QString &tag, double fallback)
{
    bool ok = false;
    const double value = parent.firstChildElement(tag).text().trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

int decimalsOf(double factor)
{
    if (factor == 0.0 || !std::isfinite(factor))
        return 0;
    const double digits = std::ceil(-std::log10(std::fabs(factor)) - 1e-9);
    return int(std::clamp(digits, 0.0, 6.0));
}

SpnScaling scalingOf(const QDomElement &func, const QDomElement &param, quint32 spn)
{
    // A parameter of a named type (status2) takes its length and scaling from the type.
    const QDomElement type = typeNodeOf(func, param.attribute(QStringLiteral("type")));
    const QDomElement scaling = type.isNull() ? param : type;
    SpnScaling s;
    s.spn = spn;
    s.name = param.firstChildElement(QStringLiteral("name")).text().trimmed();
    s.factor = childNumber(scaling, QStringLiteral("multiplier"), 1.0);
    if (s.factor == 0.0)
        s.factor = 1.0;
    // The library subtracts its adder: value = raw × multiplier − adder.
    s.offset = -childNumber(scaling, QStringLiteral("adder"), 0.0);
    s.unit = scaling.firstChildElement(QStringLiteral("suffix")).text().trimmed();
    s.bitLength = int(childNumber(scaling, QStringLiteral("bitlength"), 0.0));
    s.bitLength = std::clamp(s.bitLength, 0, 64);
    s.decimals = decimalsOf(s.factor);
    return s;
}

QHash<quint32, SpnScaling> load()
{
    QHash<quint32, SpnScaling> scalings;
    static const QRegularExpression spnId(QStringLiteral("^SPN(\\d+)$"));
    for (const QString &path : DescriptionFiles::functionLibraryFiles()) {
        for (const QDomElement &func : DescriptionFiles::readFunctionLibrary(path)) {
            for (QDomElement p = func.firstChildElement(QStringLiteral("param")); !p.isNull();
                 p = p.nextSiblingElement(QStringLiteral("param"))) {
                const QRegularExpressionMatch m = spnId.match(
                    p.firstChildElement(QStringLiteral("shortname")).text().trimmed());
                bool ok = false;
                const quint32 spn = m.hasMatch() ? m.captured(1).toUInt(&ok) : 0;
                // The first group that carries an SPN scales it, as it names it.
                if (ok && !scalings.contains(spn))
                    scalings.insert(spn, scalingOf(func, p, spn));
            }
        }
    }
    return scalings;
}

quint64 allOnes(int bytes)
{
    return bytes >= 8 ? ~quint64(0) : (quint64(1) << (8 * bytes)) - 1;
}

} // namespace

namespace SpnRanges {

bool isNotAvailable(quint64 raw, int bytes)
{
    if (bytes <= 0)
        return false;
    // One byte: 0xFF; wider fields: the whole top byte 0xFF.
    return bytes == 1 ? raw == 0xFF : (raw >> (8 * (bytes - 1))) == 0xFF;
}

bool isError(quint64 raw, int bytes)
{
    if (bytes <= 0)
        return false;
    return bytes == 1 ? raw == 0xFE : (raw >> (8 * (bytes - 1))) == 0xFE;
}

} // namespace SpnRanges

QString SpnScaling::text(quint64 raw, int bytes) const
{
    raw &= allOnes(bytes);
    if (SpnRanges::isNotAvailable(raw, bytes))
        return QCoreApplication::translate("SpnScaling", "n/a");
    if (SpnRanges::isError(raw, bytes))
        return QCoreApplication::translate("SpnScaling", "error");
    const double value = double(raw) * factor + offset;
    const QString number = QString::number(value, 'f', decimals);
    return unit.isEmpty() ? number : number + QLatin1Char(' ') + unit;
}

std::optional<SpnScaling> SpnScaling::find(quint32 spn)
{
    {
        std::lock_guard locker(s_mutex);
        if (s_loaded) {
            const auto it = s_scalings.constFind(spn);
            return it == s_scalings.constEnd() ? std::nullopt : std::optional(*it);
        }
    }
    // Read without the lock: reading may report a broken file in a message box, whose event
    // loop may ask for a scaling again.
    QHash<quint32, SpnScaling> scalings = load();
    std::lock_guard locker(s_mutex);
    if (!s_loaded) {
        s_scalings = std::move(scalings);
        s_loaded = true;
    }
    const auto it = s_scalings.constFind(spn);
    return it == s_scalings.constEnd() ? std::nullopt : std::optional(*it);
}

void SpnScaling::reset()
{
    std::lock_guard locker(s_mutex);
    s_scalings.clear();
    s_loaded = false;
}
