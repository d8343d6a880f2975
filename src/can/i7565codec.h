#pragma once

#include "can/canmessage.h"

#include <QByteArray>
#include <QVector>

#include <functional>

// ASCII line protocol of the ICP DAS I-7565 converter: "e"/"t" frame lines, "P1x" and "C"
// commands, each ended by a carriage return. Decodes a byte stream into frames, holding a partial
// line between calls. Knows nothing of ports or threads.
class I7565Codec
{
public:
    static constexpr char LineEnd = '\r';
    static constexpr int BufferLimit = 4095;

    using LogSink = std::function<void(const QByteArray &text)>;

    static void encodeFrame(const CanMessage &message, QByteArray *out);
    // "P1" and the rate character; empty when the rate is not supported.
    static QByteArray encodeBitRate(unsigned rate);
    static char bitRateCharacter(unsigned rate); // 0 when unsupported
    // Hexadecimal value of the characters, 0xFFFFFFFF when they are not one.
    static quint32 asciiToUnsigned(const char *text, int length);
    // One received line without its carriage return; false when it is not a valid frame.
    static bool parseFrameLine(const char *line, int length, CanMessage *message);

    void setLogSink(LogSink sink) { m_log = std::move(sink); }

    int room() const { return BufferLimit - 1 - int(m_buffer.size()); }
    // Appends received bytes; a backlog that reaches the limit without a line end is dropped.
    bool feed(const char *data, int size);
    int decode(QVector<CanMessage> *out, int maxFrames);
    int buffered() const { return int(m_buffer.size()); }
    void clear() { m_buffer.clear(); }

private:
    void log(const QByteArray &text) const;

    QByteArray m_buffer;
    LogSink m_log;
};
