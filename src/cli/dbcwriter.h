#pragma once

#include <QByteArray>
#include <QDomElement>
#include <QList>

// Writes the function library as a DBC file for tools that read DBC: one message per parameter
// group with a J1939 extended identifier (the group's priority, destination global, source
// 0xFE), one signal per parameter with its placement, byte order, scaling, unit and range, the
// value tables of list parameters, and the J1939 attributes (VFrameFormat J1939PG, SPN).
class DbcWriter
{
public:
    static constexpr quint8 SourceAddress = 0xFE;

    // The library's <func> elements, as read from the description files.
    static QList<QDomElement> libraryFunctions();
    static QByteArray write(const QList<QDomElement> &functions);
    // A DBC identifier from free text: letters, digits and underscores, not starting with a digit.
    static QByteArray identifier(const QString &text);
    // The 29-bit identifier of a group's message.
    static quint32 canId(quint32 pgn, int priority);
};
