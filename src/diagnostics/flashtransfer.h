#pragma once

#include "can/canmessage.h"

#include <QByteArray>
#include <QVector>

#include <atomic>

// The boot-load data frames of one program and how far the unit has echoed them: the frame that
// waits for its echo, the time-outs and mismatching echoes in a row, the retransmissions. Bus
// thread; the position and counts the GUI shows are atomics.
class FlashTransfer
{
public:
    static constexpr quint8 PfBootLoadData = 0xD6;
    static constexpr quint8 BootLoadDataPriority = 3;
    static constexpr int PieceSize = 4;

    // What a boot-load data frame from the unit says about the frame sent.
    enum Echo {
        NotData, // no boot-load data frame (or too short for one)
        OldEcho, // repeats a frame already acknowledged
        Matches, // repeats the frame sent
        DiffersFromSent,
    };

    // The boot-load data frames of a program, offsets rising by PieceSize.
    static QVector<CanMessage> frames(const QByteArray &data, quint8 target, quint8 source);

    // A new run: these frames, none sent yet, every count zero.
    void start(const QVector<CanMessage> &frames);
    int count() const { return m_count.load(); }
    bool isEmpty() const { return m_frames.isEmpty(); }
    bool hasFrame(int index) const { return index >= 0 && index < m_frames.size(); }
    const CanMessage &frame(int index) const { return m_frames.at(index); }
    // The frame that waits for its echo.
    int index() const { return m_index.load(); }
    void setIndex(int index) { m_index.store(index); }
    bool isLast() const { return index() + 1 >= m_frames.size(); }
    Echo classify(const CanMessage &message) const;

    // The unit answered: the time-outs in a row start again.
    void resetTimeouts() { m_timeouts = 0; }
    // Returns the time-outs in a row, this one included.
    int countTimeout() { return ++m_timeouts; }
    void resetMismatches() { m_mismatches = 0; }
    // Returns the mismatching echoes in a row, this one included.
    int countMismatch() { return ++m_mismatches; }
    // A frame sent again; counted over the whole run.
    void countRetransmission() { m_retransmissions.fetch_add(1); }
    int retransmissions() const { return m_retransmissions.load(); }

private:
    QVector<CanMessage> m_frames;
    std::atomic<int> m_count{0};
    std::atomic<int> m_index{0};
    std::atomic<int> m_retransmissions{0};
    int m_timeouts = 0;
    int m_mismatches = 0;
};
