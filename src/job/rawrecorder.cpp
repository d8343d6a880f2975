#include "job/rawrecorder.h"

#include "can/recordingencoder.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

RawRecorder::RawRecorder(const QString &dir, qint64 partBytes)
    : m_dir(dir)
    , m_partBytes(std::max<qint64>(partBytes, 1))
    , m_encoder(RecordingEncoders::candump())
{
    const QVector<int> parts = partNumbers(dir);
    m_part = parts.isEmpty() ? 1 : parts.constLast() + 1;
}

RawRecorder::~RawRecorder()
{
    close();
}

QString RawRecorder::partFileName(int number)
{
    return QStringLiteral("part-%1.log").arg(number, 4, 10, QLatin1Char('0'));
}

QVector<int> RawRecorder::partNumbers(const QString &dir)
{
    static const QRegularExpression pattern(QStringLiteral("^part-(\\d{4,9})\\.log$"));
    QVector<int> numbers;
    const QStringList names = QDir(dir).entryList({QStringLiteral("part-*.log")}, QDir::Files);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch())
            numbers << match.captured(1).toInt();
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void RawRecorder::fail(const QString &error)
{
    m_failed = true;
    m_error = error;
    m_pending.clear();
    m_file.close();
}

bool RawRecorder::startPart()
{
    if (!QDir().mkpath(m_dir)) {
        fail(tr("Cannot make the folder %1").arg(QDir::toNativeSeparators(m_dir)));
        return false;
    }
    m_file.setFileName(QDir(m_dir).filePath(partFileName(m_part)));
    // Appending: a part left by a crash is never cut short.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        fail(tr("Cannot write %1: %2")
                 .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString()));
        return false;
    }
    m_partSize = m_file.size();
    return true;
}

bool RawRecorder::writePending()
{
    if (m_pending.isEmpty())
        return true;
    if (m_file.write(m_pending) != m_pending.size() || !m_file.flush()) {
        fail(tr("Cannot write %1: %2")
                 .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString()));
        return false;
    }
    m_pending.clear();
    return true;
}

bool RawRecorder::take(const QVector<TimedFrame> &frames)
{
    if (m_failed)
        return false;
    for (const TimedFrame &frame : frames) {
        m_line.clear();
        m_encoder->encode(frame, &m_line);
        // A part holds at least one line, however small the bound.
        if (m_file.isOpen() && m_partSize > 0 && m_partSize + m_line.size() > m_partBytes) {
            if (!writePending())
                return false;
            m_file.close();
            ++m_part;
        }
        if (!m_file.isOpen() && !startPart())
            return false;
        m_pending += m_line;
        m_partSize += m_line.size();
        ++m_frames;
        if (m_pending.size() >= FlushBytes && !writePending())
            return false;
    }
    return true;
}

bool RawRecorder::flush()
{
    return !m_failed && writePending();
}

void RawRecorder::close()
{
    if (m_failed)
        return;
    writePending();
    if (m_file.isOpen()) {
        m_file.close();
        ++m_part;
    }
}
