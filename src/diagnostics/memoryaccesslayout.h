#pragma once

#include "diagnostics/memoryaccesstable.h"

#include <QMap>
#include <QPair>
#include <QStringList>
#include <QVector>

// Where the "MA Data" window shows each item: in a group's table, placed by the captures of the
// group's expression (capture 1 the row, capture 2 the column, in order of first appearance), or
// on a row of its own. An item matched by two groups goes to the first; a second item for an
// occupied cell gets a row of its own.
struct MemoryAccessLayout
{
    struct GroupTable
    {
        QString name;
        QStringList rows;
        QStringList columns;
        QMap<QPair<int, int>, int> cells; // (row, column) -> item index
    };

    QVector<GroupTable> tables;
    QVector<int> ungrouped;

    static MemoryAccessLayout build(const MemoryAccessTable &table);
};
