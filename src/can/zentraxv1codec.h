#pragma once

#include "can/canmessage.h"

#include <QByteArray>
#include <QVector>

#include <functional>

// Wire protocol (version 1) of the maker's USB-CAN adapter: packets F0, L, id, byte-stuffed body.
// Encodes frames and settings, and decodes a byte stream into frames, holding a partial packet
// between calls. Knows nothing of ports or threads.
class ZentraxV1Codec
{
public:
    enum PacketId : quint8 {
        CanFrame = 0x02,
        CanSettings = 0x03,
        SettingsCommit = 0x83,
    };
    static constexpr quint8 Marker = 0xF0;
    static constexpr int MaxPacketLength = 0xEF; // largest L
    static constexpr int BufferLimit = 4095;
    static constexpr int FrameHeaderSize = 5; // identifier and info byte

    using LogSink = std::function<void(const QByteArray &text)>;

    // Packet with a stuffed body; false (and nothing appended) when L would exceed 0xEF.
    static bool encodePacket(quint8 id, const quint8 *body, int length, QByteArray *out);
    static bool encodeFrame(const CanMessage &message, QByteArray *out);
    // The settings packet for a bit rate followed by the commit packet; empty when unsupported.
    static QByteArray encodeBitRate(unsigned rate);
    static int bitRateCode(unsigned rate); // -1 when unsupported

    // Where decoder messages go; by default the debug log.
    void setLogSink(LogSink sink) { m_log = std::move(sink); }

    // How many bytes feed() accepts before the buffer limit.
    int room() const { return BufferLimit - 1 - int(m_buffer.size()); }
    // Appends received bytes. A buffer that reaches the limit is dropped whole (false).
    bool feed(const char *data, int size);
    // Parses buffered packets into at most maxFrames frames appended to out; returns how many.
    int decode(QVector<CanMessage> *out, int maxFrames);
    int buffered() const { return int(m_buffer.size()); }
    void clear() { m_buffer.clear(); }

private:
    void log(const QByteArray &text) const;
    // Moves *pos past bytes before the next packet marker; false when no packet can start yet.
    bool syncToMarker(int *pos);
    void handlePacket(quint8 id, const QByteArray &body, QVector<CanMessage> *out);

    QByteArray m_buffer;
    QByteArray m_body; // reused to unstuff packet bodies without allocating
    LogSink m_log;
};
