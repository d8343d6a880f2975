#include "can/binaryrecording.h"

#include <QCoreApplication>

#include <utility>

BinaryRecordingPass::BinaryRecordingPass(QIODevice *device, FrameSink sink, BusNames *busNames)
    : m_device(device)
    , m_sink(std::move(sink))
    , m_busNames(busNames)
{
    m_batch.reserve(BatchFrames);
}

bool BinaryRecordingPass::take(const TimedFrame &frame)
{
    if (m_stopped)
        return false;
    m_batch.append(frame);
    ++m_frameCount;
    return m_batch.size() < BatchFrames || flush();
}

bool BinaryRecordingPass::flush()
{
    if (m_stopped)
        return false;
    if (m_batch.isEmpty())
        return true;
    const bool goOn = m_sink(m_batch);
    m_batch.clear();
    m_stopped = !goOn;
    return goOn;
}

void BinaryRecordingPass::skip(qint64 offset, const char *reason)
{
    ++m_skipped;
    if (m_problems.size() < ProblemLimit)
        m_problems.append(
            QCoreApplication::translate("RecordingReader", "offset %1: %2")
                .arg(offset)
                .arg(QCoreApplication::translate("RecordingReader", reason)));
}

bool BinaryRecordingPass::fail(qint64 offset, const QString &reason)
{
    if (m_error.isEmpty())
        m_error = QCoreApplication::translate("RecordingReader", "offset %1: %2")
                      .arg(offset)
                      .arg(reason);
    return false;
}
