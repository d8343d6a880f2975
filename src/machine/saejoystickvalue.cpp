#include "machine/saejoystickvalue.h"

#include "machine/bitfield.h"

#include <QRegularExpression>

#include <cmath>

namespace {

double axisPoint(const SaeJoystickAxisValue &axis)
{
    const double magnitude = double(axis.position) / SaeJoystickAxisValue::FullScale;
    return axis.positive == 1 ? magnitude : -magnitude;
}

void setAxis(SaeJoystickAxisValue *axis, double value)
{
    if (std::isnan(value))
        value = 0.0;
    value = qBound(-1.0, value, 1.0);
    axis->positive = value > 0 ? 1 : 0;
    axis->neutral = value == 0 ? 1 : 0;
    axis->negative = value < 0 ? 1 : 0;
    axis->position = quint16(BitField::toRaw(std::fabs(value) * SaeJoystickAxisValue::FullScale, 0,
                                             SaeJoystickAxisValue::FullScale));
}

} // namespace

QString SaeJoystickValue::toString() const
{
    // Ten markers: arg() with several arguments stops at %9, so one value at a time.
    return QStringLiteral("[%1,%2;NEUT%3,%4;POS%5,%6;NEG%7,%8;DET%9,%10]")
        .arg(x.position)
        .arg(y.position)
        .arg(x.neutral)
        .arg(y.neutral)
        .arg(x.positive)
        .arg(y.positive)
        .arg(x.negative)
        .arg(y.negative)
        .arg(x.detent)
        .arg(y.detent);
}

bool SaeJoystickValue::parse(const QString &text, SaeJoystickValue *out)
{
    static const QRegularExpression re(
        QStringLiteral("^\\[(\\d+),(\\d+);NEUT(\\d+),(\\d+);POS(\\d+),(\\d+);NEG(\\d+),(\\d+);DET("
                       "\\d+),(\\d+)\\]$"));
    const QRegularExpressionMatch m = re.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    uint v[10];
    for (int i = 0; i < 10; ++i) {
        bool ok = false;
        v[i] = m.captured(i + 1).toUInt(&ok);
        const uint limit = i < 2 ? 0xFFFFu : 3u;
        if (!ok || v[i] > limit)
            return false;
    }
    SaeJoystickValue value;
    value.x.position = quint16(v[0]);
    value.y.position = quint16(v[1]);
    value.x.neutral = quint8(v[2]);
    value.y.neutral = quint8(v[3]);
    value.x.positive = quint8(v[4]);
    value.y.positive = quint8(v[5]);
    value.x.negative = quint8(v[6]);
    value.y.negative = quint8(v[7]);
    value.x.detent = quint8(v[8]);
    value.y.detent = quint8(v[9]);
    *out = value;
    return true;
}

QPointF SaeJoystickValue::toPointF() const
{
    return QPointF(axisPoint(x), -axisPoint(y));
}

void SaeJoystickValue::setPos(const QPointF &point)
{
    setAxis(&x, point.x());
    setAxis(&y, -point.y());
}
