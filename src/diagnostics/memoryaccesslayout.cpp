#include "diagnostics/memoryaccesslayout.h"

#include <QDebug>

MemoryAccessLayout MemoryAccessLayout::build(const MemoryAccessTable &table)
{
    MemoryAccessLayout layout;
    QVector<bool> placed(table.items.size(), false);
    for (const MemoryAccessTable::SpnGroupItem &group : table.groups) {
        GroupTable t;
        t.name = group.name;
        QRegExp expression = group.regExp; // matching keeps state: a copy per use
        for (int i = 0; i < table.items.size(); ++i) {
            if (placed.at(i) || !expression.isValid() || !expression.exactMatch(table.items.at(i).name))
                continue;
            const QString rowName = expression.cap(1);
            const QString columnName = expression.cap(2);
            int row = t.rows.indexOf(rowName);
            int column = t.columns.indexOf(columnName);
            const QPair<int, int> cell(row < 0 ? t.rows.size() : row,
                                       column < 0 ? t.columns.size() : column);
            if (row >= 0 && column >= 0 && t.cells.contains(cell)) {
                qDebug("Item %s clashes with another in group %s",
                       qUtf8Printable(table.items.at(i).name), qUtf8Printable(group.name));
                continue;
            }
            if (row < 0)
                t.rows.append(rowName);
            if (column < 0)
                t.columns.append(columnName);
            t.cells.insert(cell, i);
            placed[i] = true;
        }
        if (t.cells.isEmpty()) {
            qDebug("Unable to match any spn item to group regexp %s",
                   qUtf8Printable(group.regExp.pattern()));
            continue;
        }
        layout.tables.append(t);
    }
    for (int i = 0; i < table.items.size(); ++i) {
        if (!placed.at(i))
            layout.ungrouped.append(i);
    }
    return layout;
}
