#include "buscheck/deviation.h"

namespace {

const char *const Keywords[] = {
    "missing",           "silent",           "late",           "too-fast",
    "unexpected-unit",   "unexpected-group", "moved",          "out-of-range",
    "error-indicator",   "trouble-code",     "identification", "transport-aborted",
    "transport-timeout", "bus-load",
};
static_assert(sizeof Keywords / sizeof *Keywords == Deviation::KindCount);

} // namespace

QString Deviation::keyword(Kind kind)
{
    return QString::fromLatin1(Keywords[qBound(0, int(kind), KindCount - 1)]);
}

QString Deviation::kindText(Kind kind)
{
    switch (kind) {
    case Missing:
        return tr("missing");
    case Silent:
        return tr("silent");
    case Late:
        return tr("late");
    case TooFast:
        return tr("too fast");
    case UnexpectedUnit:
        return tr("unexpected unit");
    case UnexpectedGroup:
        return tr("unexpected group");
    case Moved:
        return tr("at another address");
    case OutOfRange:
        return tr("out of range");
    case ErrorIndicator:
        return tr("error indicator");
    case TroubleCode:
        return tr("trouble code");
    case Identification:
        return tr("other identification");
    case TransportAborted:
        return tr("transport aborted");
    case TransportTimedOut:
        return tr("transport timed out");
    case BusLoad:
        return tr("bus load");
    case KindCount:
        break;
    }
    return QString();
}

QString Deviation::kindLabel() const
{
    return switchedOff ? tr("switched off") : kindText(kind);
}

QString Deviation::secondsText(qint64 us)
{
    return QString::number(double(us) / 1e6, 'f', 3);
}

QString Deviation::text() const
{
    QString where = unit;
    if (!item.isEmpty())
        where += QStringLiteral(" · ") + item;
    if (!parameter.isEmpty())
        where += QStringLiteral(" · ") + parameter;
    QString line
        = tr("%1–%2 s  %3: %4").arg(secondsText(startUs), secondsText(endUs), where, kindLabel());
    if (!observed.isEmpty())
        line += QStringLiteral(", ") + observed;
    if (!rule.isEmpty())
        line += tr(" (rule: %1)").arg(rule);
    if (open)
        line += tr(" (still at the end)");
    return line;
}
