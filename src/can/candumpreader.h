#pragma once

#include "can/canmessage.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// One frame of a recording with its time stamp in microseconds and the bus it was logged on
// (0 for can0 or a logger's first channel).
struct TimedFrame
{
    qint64 timeUs = 0;
    CanMessage message;
    quint8 bus = 0;
};

// Reads recordings in the candump log format of Linux can-utils:
//   (1436509052.249713) can0 18FEF100#0102030405060708
// optionally followed by the direction (R or T). The bus is the number the interface name ends
// with. Eight hex digits make an extended identifier, three a standard one. Remote and CAN FD lines
// and anything malformed are skipped and counted; a bad line never stops the reading.
class CandumpReader
{
public:
    // Where a parsed line names its interface, inside the line's text. A caller that asks for it
    // gets bus 0 in the frame and tells the bus from the name itself.
    struct InterfaceName
    {
        const char *begin = nullptr;
        const char *end = nullptr;
    };
    static bool parseLine(const char *begin, const char *end, TimedFrame *frame,
                          InterfaceName *interfaceName = nullptr);

    // Parses a whole recording; frames stay in file order.
    void parse(const QByteArray &text);
    bool readFile(const QString &path);

    const QVector<TimedFrame> &frames() const { return m_frames; }
    int skippedLines() const { return m_skipped; }
    QString errorString() const { return m_error; }

private:
    QVector<TimedFrame> m_frames;
    int m_skipped = 0;
    QString m_error;
};
