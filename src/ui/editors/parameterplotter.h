#pragma once

#include "can/abstractcanhandler.h"
#include "ui/editors/plottable.h"

#include <QPointer>
#include <QSet>
#include <QString>
#include <QVector>

class AbstractDisplayableItem;
class AbstractSchemeTreeItem;
class SchemeTreeModel;
class ZxParameter;

// Feeds a plot table from parameters of scheme items. On each notifier tick in which a frame of
// a plotted item (or of one of its children) went by, one row takes the current value of every
// plotted parameter, so the columns share their times as the parameter log's do. Items are only
// compared by address with the frames' items, never reached through them; values are read through
// the parameters' guarded accessors. GUI thread.
class ParameterPlotter
{
public:
    struct Source
    {
        QString path;         // the item's unique key in the scheme tree (untranslated)
        QString parameterKey; // the parameter's id, or its name when it has none
        QPointer<AbstractDisplayableItem> item;
        int parameter = -1;
    };

    // Numbers that make sense on a value axis: integers, floats, flags and list indexes.
    static bool isPlottable(const ZxParameter *parameter);
    // The current value of a source, or a gap when the item is gone, has not received anything
    // yet or flags the value as not available.
    static double currentValue(const Source &source);
    // The source of one parameter of a tree node.
    static Source sourceFor(const AbstractSchemeTreeItem *node, int parameter);
    // Finds the item and parameter of a source restored from a file; false when the scheme has
    // neither.
    static bool resolve(Source *source, const SchemeTreeModel *model);

    explicit ParameterPlotter(qint64 startMs = 0);

    // The sources become the table's columns (earlier rows are dropped).
    void setSources(const QVector<Source> &sources);
    const QVector<Source> &sources() const { return m_sources; }
    PlotTable &table() { return m_table; }
    const PlotTable &table() const { return m_table; }
    qint64 startMs() const { return m_startMs; }

    // Adds a row at nowMs when the pack carries a frame of a plotted item; true when it did.
    bool sample(const AbstractCanHandler::MessagePack &pack, qint64 nowMs);
    // Adds a row at nowMs unconditionally.
    void sampleNow(qint64 nowMs);

private:
    void collectTriggers();

    qint64 m_startMs;
    QVector<Source> m_sources;
    // The plotted items and their descendants: frames taken by any of them may change a value.
    QSet<const void *> m_triggers;
    PlotTable m_table;
    QVector<double> m_row;
};
