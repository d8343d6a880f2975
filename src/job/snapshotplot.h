#pragma once

#include "job/parameterring.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QStringList>

// The small plot of a snapshot: each numeric parameter in a strip of its own, on its own scale
// with its highest and lowest value and unit beside it, the time axis in seconds from the
// change and a line at the change. Texts need the fonts of a QGuiApplication; without one the
// plot has lines only.
namespace SnapshotPlot {

constexpr int MaxLines = 8;
QSize defaultSize();
QImage render(const ParameterSamples &samples, qint64 changeUs, qint64 fromUs, qint64 toUs,
              QSize size = defaultSize());
// The columns drawn: those with a value, those that vary first, at most MaxLines.
QVector<int> plottedColumns(const ParameterSamples &samples);
// The value axis of a column: its highest and lowest value with the unit ("1500 rpm"), one
// text for a value that did not move, none without a value.
QStringList axisLabels(const ParameterSamples &samples, int column);
// The strips of `count` values, top to bottom, within the plot's area.
QVector<QRect> strips(const QRect &area, int count);

} // namespace SnapshotPlot
