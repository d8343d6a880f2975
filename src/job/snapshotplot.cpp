#include "job/snapshotplot.h"

#include "model/descriptiontext.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <limits>

namespace SnapshotPlot {

namespace {

const QColor LineColors[MaxLines]
    = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
       QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
       QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf)};

// Room left of the strips for their value labels, at the least.
constexpr int AxisWidth = 64;

struct Range
{
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    bool isEmpty() const { return low > high; }
};

Range rangeOf(const ParameterSamples &s, int column)
{
    Range r;
    for (int row = 0; row < s.rowCount(); ++row) {
        const double v = s.value(row, column);
        if (!std::isfinite(v))
            continue;
        r.low = std::min(r.low, v);
        r.high = std::max(r.high, v);
    }
    return r;
}

bool hasFonts()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

// A column's unit as the library writes it (" rpm"), in the current language, without the
// space the library puts before it.
QString unitText(const ParameterSamples &s, int column)
{
    return DescriptionText::translated(s.units.value(column)).trimmed();
}

// "EEC1 - Electronic Engine Controller 1: Engine Speed [rpm]": the group's and the value's
// names, each in the current language, and the unit unless the name ends in it already.
QString legendText(const ParameterSamples &s, int column)
{
    QStringList names = s.names.at(column).split(QLatin1String(": "));
    for (QString &name : names)
        name = DescriptionText::translated(name);
    const QString name = names.join(QLatin1String(": "));
    const QString unit = unitText(s, column);
    return unit.isEmpty() || name.endsWith(unit) ? name : QStringLiteral("%1 [%2]").arg(name, unit);
}

QString valueText(double value, const QString &unit)
{
    const QString number = QString::number(value, 'g', 5);
    return unit.isEmpty() ? number : QStringLiteral("%1 %2").arg(number, unit);
}

} // namespace

QSize defaultSize()
{
    return QSize(640, 240);
}

QVector<int> plottedColumns(const ParameterSamples &samples)
{
    QVector<int> varying;
    QVector<int> constant;
    for (int c = 0; c < samples.columnCount(); ++c) {
        const Range r = rangeOf(samples, c);
        if (r.isEmpty())
            continue;
        (r.low < r.high ? varying : constant).append(c);
    }
    QVector<int> chosen = varying + constant;
    chosen.resize(std::min(int(chosen.size()), MaxLines));
    return chosen;
}

QStringList axisLabels(const ParameterSamples &samples, int column)
{
    const Range r = rangeOf(samples, column);
    if (r.isEmpty())
        return {};
    const QString unit = unitText(samples, column);
    if (!(r.low < r.high))
        return {valueText(r.low, unit)};
    return {valueText(r.high, unit), valueText(r.low, unit)};
}

QVector<QRect> strips(const QRect &area, int count)
{
    QVector<QRect> out;
    if (count <= 0)
        return out;
    const int gap = 4;
    const int height = std::max(8, (area.height() - gap * (count - 1)) / count);
    for (int i = 0; i < count; ++i)
        out.append(QRect(area.left(), area.top() + i * (height + gap), area.width(), height));
    return out;
}

QImage render(const ParameterSamples &samples, qint64 changeUs, qint64 fromUs, qint64 toUs,
              QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (size.width() < AxisWidth + 40 || size.height() < 40)
        return image;
    const bool text = hasFonts();
    const QVector<int> columns = plottedColumns(samples);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The value axis as wide as its longest label ("1500 об/мин"), within a third of the plot.
    int axisWidth = AxisWidth;
    if (text) {
        QFont font = p.font();
        font.setPixelSize(10);
        p.setFont(font);
        for (int column : columns) {
            for (const QString &label : axisLabels(samples, column))
                axisWidth = std::max(axisWidth, p.fontMetrics().horizontalAdvance(label) + 8);
        }
        axisWidth = std::min(axisWidth, size.width() / 3);
    }
    // Each value in a strip of its own, on its own scale: the strip's left edge names its
    // highest and lowest value with the unit, its top line names the value.
    const QRect area(axisWidth, 6, size.width() - axisWidth - 10, size.height() - 30);
    const QVector<QRect> rows = strips(area, int(columns.size()));
    const double spanUs = std::max<double>(1, double(toUs - fromUs));
    const auto xOf
        = [&](qint64 us) { return area.left() + double(us - fromUs) / spanUs * area.width(); };
    // The time axis under the strips: a tick per second, labelled every few.
    const qint64 second = 1000000;
    const qint64 firstTick = qint64(std::ceil(double(fromUs - changeUs) / second));
    const qint64 lastTick = qint64(std::floor(double(toUs - changeUs) / second));
    const qint64 labelEvery = std::max<qint64>(1, (lastTick - firstTick) / 8 + 1);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawLine(QPointF(area.left(), area.bottom()), QPointF(area.right(), area.bottom()));
    for (qint64 t = firstTick; t <= lastTick && lastTick - firstTick < 10000; ++t) {
        const double x = xOf(changeUs + t * second);
        p.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 4));
        if (text && t % labelEvery == 0)
            p.drawText(QRectF(x - 20, area.bottom() + 5, 40, 12), Qt::AlignCenter,
                       QString::number(t));
    }
    if (text)
        p.drawText(QRectF(area.right() - 80, area.bottom() + 14, 80, 12), Qt::AlignRight,
                   QCoreApplication::translate("SnapshotPlot", "time, s"));
    for (int i = 0; i < columns.size(); ++i) {
        const int column = columns.at(i);
        const QRect strip = rows.at(i);
        const Range r = rangeOf(samples, column);
        const double height = r.high > r.low ? r.high - r.low : 1.0;
        p.setPen(QColor(0xd0, 0xd0, 0xd0));
        p.drawRect(strip);
        // The line keeps clear of the strip's name at its top.
        const double top = strip.top() + (text ? 13 : 2);
        const double usable = std::max(2.0, strip.bottom() - 2 - top);
        QPainterPath path;
        bool drawing = false;
        for (int row = 0; row < samples.rowCount(); ++row) {
            const double v = samples.value(row, column);
            if (!std::isfinite(v)) {
                drawing = false; // a gap where the value was not available
                continue;
            }
            const double level = r.high > r.low ? (v - r.low) / height : 0.5;
            const QPointF point(xOf(samples.timesUs.at(row)), strip.bottom() - 2 - level * usable);
            if (drawing)
                path.lineTo(point);
            else
                path.moveTo(point);
            drawing = true;
        }
        p.setPen(QPen(LineColors[i], 1.5));
        p.drawPath(path);
        if (!text)
            continue;
        p.setPen(Qt::black);
        p.drawText(QRectF(strip.left() + 4, strip.top() + 1, strip.width() - 8, 12),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(legendText(samples, column), Qt::ElideRight,
                                              strip.width() - 8));
        const QStringList labels = axisLabels(samples, column);
        p.setPen(QColor(0x40, 0x40, 0x40));
        const QRectF axis(0, strip.top(), axisWidth - 4, strip.height());
        if (labels.size() == 2) {
            p.drawText(axis, Qt::AlignRight | Qt::AlignTop, labels.at(0));
            p.drawText(axis, Qt::AlignRight | Qt::AlignBottom, labels.at(1));
        } else if (!labels.isEmpty()) {
            p.drawText(axis, Qt::AlignRight | Qt::AlignVCenter, labels.at(0));
        }
    }
    // The change itself.
    p.setPen(QPen(Qt::black, 1.5, Qt::DashLine));
    const double x = xOf(changeUs);
    p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    if (text && columns.isEmpty()) {
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawText(area, Qt::AlignCenter,
                   QCoreApplication::translate("SnapshotPlot", "No decoded parameters"));
    }
    return image;
}

} // namespace SnapshotPlot
