#pragma once

#include "can/abstractcanmessagedispatcher.h"

#include <QtGlobal>

#include <atomic>

class FrameLogWriter;

// Takes every received frame in the bus thread, stamps it with the wall clock and hands it to
// the log writer; counts frames and bus bits for the once-a-second report (read from any thread).
class RecordDispatcher : public AbstractCanMessageDispatcher
{
public:
    explicit RecordDispatcher(FrameLogWriter *writer);

    void dispatchMessage(const CanMessage &msg, DispatchResult *result) override;
    void checkDropNewData() override {}
    // Frames are taken as fast as the adapter delivers them.
    bool isLowLatencyEnabled() const override { return true; }

    quint64 frames() const { return m_frames.load(); }
    quint64 bits() const { return m_bits.load(); }

    // Bits a classic data frame occupies on the bus without stuffing, with the interframe space.
    static int frameBits(bool extended, int length);

private:
    FrameLogWriter *m_writer;
    std::atomic<quint64> m_frames{0};
    std::atomic<quint64> m_bits{0};
};
