#pragma once

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <initializer_list>

// A candump log from short frame texts: "11.55 18FECA05#04FF64000301FFFF" is the frame at
// 11.55 s on can0, "2 can1 123#01" one on another bus.
inline QByteArray candumpText(std::initializer_list<const char *> frames)
{
    QByteArray text;
    for (const char *frame : frames) {
        QList<QByteArray> fields = QByteArray(frame).split(' ');
        if (fields.size() == 2)
            fields.insert(1, "can0");
        text += '(' + QByteArray::number(fields.at(0).toDouble(), 'f', 6) + ") " + fields.at(1)
                + ' ' + fields.at(2) + '\n';
    }
    return text;
}

// The lines of a candump text in time order (stable for equal stamps).
inline QByteArray sortedByTime(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    lines.removeAll(QByteArray());
    std::stable_sort(lines.begin(), lines.end(), [](const QByteArray &x, const QByteArray &y) {
        return x.mid(1, x.indexOf(')') - 1).toDouble() < y.mid(1, y.indexOf(')') - 1).toDouble();
    });
    return lines.join('\n') + '\n';
}
