#pragma once

#include "job/parameterring.h"

#include <QImage>
#include <QSize>

// The small plot of a snapshot: each numeric parameter scaled to its own range, a legend, the
// time axis in seconds from the change and a line at the change. Texts need the fonts of a
// QGuiApplication; without one the plot has lines only.
namespace SnapshotPlot {

constexpr int MaxLines = 8;
QSize defaultSize();
QImage render(const ParameterSamples &samples, qint64 changeUs, qint64 fromUs, qint64 toUs,
              QSize size = defaultSize());
// The columns drawn: those with a value, those that vary first, at most MaxLines.
QVector<int> plottedColumns(const ParameterSamples &samples);

} // namespace SnapshotPlot
